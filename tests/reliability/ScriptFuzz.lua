-- The script API fuzzer's driver. It walks everything the engine registered in this state
-- (namespace functions and properties, class constructors, static variables, and every
-- instance's methods, properties and fallback names), then makes seeded random calls and
-- assignments with hostile arguments, each in a protected call.
--
-- Called by the test as a chunk with (seed, standard global names, list of objects); returns the
-- driver table: Run(n) makes n calls, Adopt(values) adds engine objects to the pool, Targets()
-- lists what was found, Stats() counts what happened.

local seed, standardNames = ...

-- A small generator of its own, so the run depends on the seed alone (scripts may reseed math).
local state = seed % 2147483647
if state <= 0 then state = state + 2147483646 end
local function Random(n)
  state = (state * 16807) % 2147483647
  return state % n + 1
end
local function Chance(percent)
  return Random(100) <= percent
end

local registry = debug.getregistry()
local rawget, rawset, pcall, type, getmetatable, tostring = rawget, rawset, pcall, type,
  getmetatable, tostring
local select, unpack, next = select, unpack, next

-- ---- Walking the API ----------------------------------------------------------------------

local targets = {}
local instanceClasses = {} -- class name -> instance metatable
local function Add(kind, owner, key, run, className)
  targets[#targets + 1] = {kind = kind, name = owner .. "." .. key, run = run, class = className,
                           key = key, calls = 0}
end

local function OurScope(t)
  local mt = type(t) == "table" and getmetatable(t)
  return type(mt) == "table" and type(rawget(mt, "__getters")) == "table" and mt or nil
end

local function WalkScope(t, name, seen)
  if seen[t] then return end
  seen[t] = true
  local mt = OurScope(t)
  for key, value in next, t do
    if type(key) == "string" then
      if type(value) == "function" then
        Add("call", name, key, value)
      elseif OurScope(value) then
        WalkScope(value, name .. "." .. key, seen)
      end
    end
  end
  if mt then
    for key in next, rawget(mt, "__getters") do
      Add("get", name, key, t)
    end
    for key in next, rawget(mt, "__setters") or {} do
      Add("set", name, key, t)
    end
    if type(rawget(mt, "__call")) == "function" then
      Add("construct", name, "()", t)
    end
  end
end

local function WalkGlobals()
  local seen = {}
  for key, value in next, _G do
    if type(key) == "string" and not standardNames[key] then
      if type(value) == "function" then
        Add("call", "_G", key, value)
      elseif OurScope(value) then
        WalkScope(value, key, seen)
      end
    end
  end
  -- Instance metatables are kept in the registry, one per class.
  for _, mt in next, registry do
    if type(mt) == "table" and type(rawget(mt, "__classname")) == "string" and
       type(rawget(mt, "__methods")) == "table" then
      local class = rawget(mt, "__classname")
      instanceClasses[class] = mt
      for key, f in next, rawget(mt, "__methods") do
        Add("method", class, key, f, class)
      end
      for key in next, rawget(mt, "__getters") do
        Add("read", class, key, nil, class)
      end
      for key in next, rawget(mt, "__setters") do
        Add("write", class, key, nil, class)
      end
      if rawget(mt, "__fallbackget") then
        Add("read", class, "<other name>", nil, class)
      end
      if rawget(mt, "__fallbackset") then
        Add("write", class, "<other name>", nil, class)
      end
    end
  end
  table.sort(targets, function(a, b)
    return a.kind .. a.name < b.kind .. b.name
  end)
end

-- ---- Hostile values -----------------------------------------------------------------------

local names = {
  "", "Transform", "Sprite", "RigidBody", "CircleCollider", "BoxCollider", "GameNode", "Player",
  "PlayerComponent", "Patrol", "PatrolComponent", "ParticleEmitter", "SimpleEmitter", "Font",
  "LuaComponent", "Camera", "Node", "Spark", "Ember", "FireWall", "TurnController", "NodeScript",
  "PlayerScript", "FuzzScript", "NoSuchScript", "Main", "HUD", "Pause", "Level01.level",
  "Level02.level", "MainMenu.level", "Paused.level", "NoSuchLevel.level", "LogicUpdate",
  "KeyIsTriggered", "AllObjectsCreated", "Ping", "Siphon", "EndPlayerTurn", "Initialize",
  "Shutdown", "Update", "event:/Music/Main_Theme", "bus:/", "Music", "SFX", "kelvo_logo.png",
  "img_test.png", "..", "../../../../etc/passwd", "Node Levels\\Level01.level", "a\0b",
  "Lev\195\169l\255", "%s%n%x", string.rep("x", 300), string.rep("\255", 64),
}
local longName = string.rep("long", 25000)
local numbers = {
  0, 1, -1, 2, 3, 7, 0.5, -0.5, 0 / 0, 1 / 0, -1 / 0, 1e30, -1e30, 2 ^ 31, -2 ^ 31, 2 ^ 31 - 1,
  2 ^ 32, 2 ^ 53, -2 ^ 63, 2 ^ 64, 1e308, -1e308, 4.9e-324, 255, 256, 254, 65535, -65536,
}

local pool = {}        -- values seen: engine objects, results of calls
local byClass = {}     -- class name -> list of instances seen
local kPoolSize = 256
local kPerClass = 48

local function ClassOf(value)
  if type(value) ~= "userdata" then return nil end
  local mt = getmetatable(value)
  return type(mt) == "table" and rawget(mt, "__classname") or nil
end

local function Keep(value)
  local class = ClassOf(value)
  if not class and type(value) ~= "table" then return end
  if #pool < kPoolSize then
    pool[#pool + 1] = value
  else
    pool[Random(kPoolSize)] = value
  end
  if class then
    local list = byClass[class]
    if not list then list = {} byClass[class] = list end
    if #list < kPerClass then list[#list + 1] = value else list[Random(kPerClass)] = value end
  end
end

local functions = {
  function() end,
  function() error("thrown by a fuzz argument") end,
  function() error({}) end,
  function(...) return coroutine.yield(...) end,
  function(...) return ... end,
}

local Value
local function HostileTable(depth)
  local t = {}
  for i = 1, Random(4) - 1 do
    t[i] = Value(depth + 1)
  end
  if Chance(20) then t.x = Value(depth + 1) end
  if Chance(10) then t[t] = t end
  if Chance(10) then setmetatable(t, {__index = function() error("hostile __index") end}) end
  return t
end

function Value(depth)
  depth = depth or 0
  local r = Random(100)
  if r <= 8 then return nil
  elseif r <= 14 then return Chance(50)
  elseif r <= 34 then return numbers[Random(#numbers)]
  elseif r <= 40 then return Random(41) - 11 -- small ids, negative ones too
  elseif r <= 56 then return names[Random(#names)]
  elseif r <= 57 then return longName
  elseif r <= 62 then return depth < 2 and HostileTable(depth) or {}
  elseif r <= 66 then return functions[Random(#functions)]
  elseif r <= 67 then return coroutine.create(functions[Random(#functions)])
  elseif #pool > 0 then return pool[Random(#pool)]
  end
  return nil
end

-- An instance of the class most of the time; anything at all otherwise.
local function SelfFor(class)
  local list = byClass[class]
  if list and #list > 0 and Chance(85) then
    return list[Random(#list)]
  end
  return Value()
end

local function Arguments()
  local n = Random(6) - 1
  local args = {}
  for i = 1, n do args[i] = Value() end
  return n, args
end

local function OtherName()
  return Chance(70) and names[Random(#names)] or Value()
end

-- ---- Calls --------------------------------------------------------------------------------

local stats = {calls = 0, errors = 0, results = 0, nonStringErrors = 0}
local trace = false
local current = nil -- the target of the call under way, for the test's reports

local function KeepResults(ok, ...)
  if not ok then
    stats.errors = stats.errors + 1
    if type((...)) ~= "string" then stats.nonStringErrors = stats.nonStringErrors + 1 end
    return
  end
  for i = 1, select("#", ...) do
    local v = select(i, ...)
    if v ~= nil then
      stats.results = stats.results + 1
      Keep(v)
    end
  end
end

local function Call(target)
  local kind = target.kind
  if kind == "call" then
    local n, args = Arguments()
    return pcall(target.run, unpack(args, 1, n))
  elseif kind == "construct" then
    local n, args = Arguments()
    return pcall(target.run, unpack(args, 1, n))
  elseif kind == "get" then
    return pcall(function() return target.run[target.key] end)
  elseif kind == "set" then
    local v = Value()
    return pcall(function() target.run[target.key] = v end)
  elseif kind == "method" then
    local self = SelfFor(target.class)
    local n, args = Arguments()
    if Chance(50) and ClassOf(self) == target.class then
      -- The script's own spelling, through the instance's __index.
      return pcall(function() return self[target.key](self, unpack(args, 1, n)) end)
    end
    return pcall(target.run, self, unpack(args, 1, n))
  elseif kind == "read" then
    local self = SelfFor(target.class)
    local key = target.key == "<other name>" and OtherName() or target.key
    return pcall(function() return self[key] end)
  elseif kind == "write" then
    local self = SelfFor(target.class)
    local key = target.key == "<other name>" and OtherName() or target.key
    local v = Value()
    return pcall(function() self[key] = v end)
  end
end

local driver = {}

-- Makes n calls; returns the number made.
function driver.Run(n)
  for _ = 1, n do
    local target = targets[Random(#targets)]
    target.calls = target.calls + 1
    stats.calls = stats.calls + 1
    current = target.kind .. " " .. target.name
    if trace then
      io.stderr:write("fuzz call ", stats.calls, ": ", current, "\n")
      io.stderr:flush()
    end
    KeepResults(Call(target))
  end
  current = nil
  return n
end

-- Adds the values of a list (engine objects the test collected) to the pool.
function driver.Adopt(list)
  for _, v in ipairs(list) do Keep(v) end
end

function driver.SetTrace(on)
  trace = on
end

function driver.Current()
  return current
end

-- "kind name calls" lines, one per target.
function driver.Targets()
  local lines = {}
  for i, t in ipairs(targets) do
    lines[i] = t.kind .. " " .. t.name .. " " .. t.calls
  end
  return table.concat(lines, "\n")
end

function driver.Stats()
  local classes = 0
  for _ in next, byClass do classes = classes + 1 end
  return stats.calls, stats.errors, stats.results, stats.nonStringErrors, #targets, classes
end

WalkGlobals()
return driver
