-- The turn controller of a playable level: finds the level's pieces when it has loaded, takes
-- the player's actions, plays one turn in the game's exact order (the player's action, being
-- found, reaching an end node, the patrols' steps, being found), animates it, writes the game's
-- log and restarts or moves on. What the HUD shows is published on this component:
-- Turn, Credits, Keys, KeyCount, Par, LevelNum, Title, LevelFile, Refusal, Help, Phase, NodeId.
local R = dofile("Scripts/lib/GameRules.lua")
local Files = dofile("Scripts/lib/Files.lua")

local level = nil -- the pieces: nodes, player, patrols (see Discover)
local phase = "loading" -- loading, idle, busy, over, broken, gone
local queued = nil -- one action that arrived while a turn was animating
local stages = {} -- animation stages still to play; each a list of animators
local outcome = nil -- "found" or "won" once the turn decided it
local turn = 0
local credits = 0
local keys = {}
local refusal = ""
local listeners = {}

local connections = dofile("Scripts/lib/Connections.lua").For(this)

function Initialize()
  connections:Connect("AllObjectsCreated", "OnLevelLoaded")
  connections:Connect("LogicUpdate", "OnUpdate")
  dofile("Scripts/lib/Screens.lua").EnsureHud() -- the HUD shows what this publishes
  -- What this component published outlives a hot reload of the script, but the level's state
  -- in the old copy does not: start the level again rather than wait for a load that is over.
  if this.LevelFile ~= nil and this.Space then
    this.Space:RestartLevel()
  end
end

-- The pause screen's own flag is set at once; the engine's pause flag follows a frame later.
local function Paused()
  return Engine.Paused or _G.VantixPaused == true
end

-- Called once per event connection when the level goes away: forget every piece, so nothing
-- touches the objects of the old level again.
function Shutdown()
  connections:DropAll()
  phase = "gone"
  level = nil
  queued = nil
  stages = {}
  listeners = {}
end

local function Space()
  return this.Space
end

local function LevelFile()
  local space = Space()
  return space and space.LevelName or "?"
end

local function Log(text)
  print(text)
end

-- Script errors and broken level data are reported the way the engine reports them.
local function Report(problem)
  print("Error: " .. LevelFile() .. " <-----> " .. problem)
end

---------------------------------------------------------------------------------------------
-- Level order and pars, from the pars file the level checker keeps (see lib/Pars.lua).

local function ReadPars()
  return dofile("Scripts/lib/Pars.lua").Read()
end

local function FileExists(file)
  return Files.Exists("Node Levels/" .. file)
end

-- The level after this one, or the victory screen after the last.
local function NextLevel(levelNum)
  for _, entry in ipairs(ReadPars()) do
    if entry.number > levelNum and FileExists(entry.file) then
      return entry.file
    end
  end
  local guess = string.format("Level%02d.level", levelNum + 1)
  if FileExists(guess) then
    return guess
  end
  for _, screen in ipairs({ "Victory.level", "MainMenu.level" }) do
    if FileExists(screen) then
      return screen
    end
  end
  return nil
end

-- The braces of a line of a level file, not counting those inside quoted text.
local function BraceChange(line)
  local unquoted = line:gsub('"[^"]*"', "")
  local _, opens = unquoted:gsub("{", "")
  local _, closes = unquoted:gsub("}", "")
  return opens - closes
end

-- The stored ids of the top-level objects with a GameNode, in file order (the order the space
-- lists them), and the link ids each one stores (links[i][d], d as in R.DirField): the script
-- API has no way to read an object's id, the Ping event carries one, and a link to an id no
-- object has reads as no link through the node's accessors. Depth 3 is inside a top-level
-- object (Space, Objects, GameObject), 4 inside its Components, 5 inside one component.
local function ReadNodeIds(file)
  local ids, links = {}, {}
  local f = io.open("Node Levels/" .. file, "r")
  if not f then
    return ids, links
  end
  local depth = 0
  local id, stored, isNode, inGameNode = nil, nil, false, false
  for line in f:lines() do
    if depth == 3 then
      local self = line:match("^%s*m_Self int (%-?%d+)")
      if self then
        id = tonumber(self)
      end
    elseif depth == 4 then
      local component = line:match("^%s*Component%s+(%S+)")
      if component then
        inGameNode = component == "GameNode"
        isNode = isNode or inGameNode
      end
    elseif depth == 5 and inGameNode then
      local field, value = line:match("^%s*(%a+)ID int (%-?%d+)")
      for d, name in ipairs(R.DirField) do
        if field == name then
          stored[d] = tonumber(value)
        end
      end
    end
    local before = depth
    depth = depth + BraceChange(line)
    if before <= 2 and depth == 3 then
      id, stored, isNode, inGameNode = nil, {}, false, false
    elseif before >= 3 and depth <= 2 then
      if isNode and id then
        ids[#ids + 1] = id
        links[#ids] = stored
      end
      inGameNode = false
    end
  end
  f:close()
  return ids, links
end

---------------------------------------------------------------------------------------------
-- Finding and checking the pieces of the level.

local function IndexOf(list, object)
  if object == nil then
    return nil
  end
  for i, entry in ipairs(list) do
    if entry.object == object then
      return i
    end
  end
  return nil
end

-- Builds the level table; returns nil and the problem when the level breaks the rules' data.
local function Discover()
  local space = Space()
  local found = {
    nodes = {},
    patrols = {},
    links = {},
    controller = this,
  }
  local nodeObjects = R.PiecesWith(space, "GameNode")
  local ids, storedLinks = ReadNodeIds(space.LevelName)
  local idsKnown = #ids == #nodeObjects
  for i, object in ipairs(nodeObjects) do
    local gameNode = object.GameNode
    local id = idsKnown and ids[i] or i
    if object.Transform == nil then
      return nil, "node " .. id .. " has no Transform"
    end
    local x, y = R.Position(object)
    found.nodes[i] = {
      object = object,
      node = gameNode,
      script = object.NodeScript,
      id = id,
      stored = idsKnown and storedLinks[i] or {},
      x = x,
      y = y,
      next = {},
    }
  end
  if #found.nodes == 0 then
    return nil, "the level has no node"
  end
  local anyEnd = false
  for i, entry in ipairs(found.nodes) do
    anyEnd = anyEnd or entry.node.EndNode
    if entry.script == nil then
      return nil, "node " .. entry.id .. " has no NodeScript"
    end
    for d = 1, 4 do
      local other = R.Neighbour(entry.node, d)
      local stored = entry.stored[d]
      if other == nil and stored ~= nil and stored >= 0 then
        return nil, "node " .. entry.id .. " links " .. R.DirName[d] .. " to id " .. stored .. ", which no object has"
      end
      if other ~= nil then
        local j = IndexOf(found.nodes, other)
        if j == nil then
          return nil, "node " .. entry.id .. " links " .. R.DirName[d] .. " to an object that is not a node"
        end
        local back = R.Neighbour(found.nodes[j].node, R.Opposite[d])
        if back == nil or back ~= entry.object then
          return nil, "node " .. entry.id .. " links " .. R.DirName[d] .. " to node " ..
            found.nodes[j].id .. ", which does not link back"
        end
        if R.IsLinked(found.nodes[j].node, R.Opposite[d]) ~= R.IsLinked(entry.node, d) then
          return nil, "the two ends of the link from node " .. entry.id .. " " .. R.DirName[d] .. " disagree"
        end
        entry.next[d] = j
      end
    end
  end
  if not anyEnd then
    return nil, "no node is an end node"
  end

  local players = R.PiecesWith(space, "Player")
  if #players ~= 1 then
    return nil, "a playable level has exactly one Player"
  end
  local player = players[1]
  if player.Transform == nil then
    return nil, "the player has no Transform"
  end
  local px, py = R.Position(player)
  local start = nil
  for i, entry in ipairs(found.nodes) do
    if math.abs(entry.x - px) <= 0.01 and math.abs(entry.y - py) <= 0.01 then
      start = i
      break
    end
  end
  if start == nil then
    return nil, "the player does not stand on a node"
  end
  found.player = { object = player, data = player.Player, script = player.PlayerScript, node = start }
  if found.player.script == nil then
    return nil, "the player has no PlayerScript"
  end

  for _, object in ipairs(R.PiecesWith(space, "Patrol")) do
    local patrol = object.Patrol
    local script = object.PatrolScript
    local at = IndexOf(found.nodes, patrol.StartNode)
    if at == nil then
      return nil, "a patrol does not start on a node"
    end
    if script == nil then
      return nil, "a patrol has no PatrolScript"
    end
    if object.Transform == nil then
      return nil, "a patrol has no Transform"
    end
    found.patrols[#found.patrols + 1] = { object = object, script = script, node = at, dir = patrol.MoveDir }
  end
  return found
end

---------------------------------------------------------------------------------------------
-- The state the HUD reads.

local function KeyCount()
  local n = 0
  for _, count in pairs(keys) do
    n = n + count
  end
  return n
end

local function HelpLine()
  if phase == "over" then
    return outcome == "won" and R.Help.Won or R.Help.Found
  end
  if level == nil then
    return ""
  end
  local here = level.nodes[level.player.node]
  if here.node.Credits > 0 then
    return string.format(R.Help.Siphon, here.node.Credits)
  end
  for d = 1, 4 do
    local j = here.next[d]
    if j then
      local n = level.nodes[j].node
      if n.FireWallProtected then
        return R.Help.FireWall
      end
      if n.EncryptionLayers > 0 then
        return R.Help.Encrypted
      end
    end
  end
  return R.LevelHelp[level.levelNum] or R.Help.End
end

local function Publish()
  this.Turn = turn
  this.Credits = credits
  this.Keys = keys
  this.KeyCount = KeyCount()
  this.Refusal = refusal
  this.Phase = phase
  this.Help = HelpLine()
  if level then
    this.NodeId = level.nodes[level.player.node].id
    level.player.data.Credits = credits
  end
end

local function Notify(handler, event)
  for _, component in ipairs(listeners) do
    R.Call(component, handler, event)
  end
end

-- Another script (the HUD) asks to be told of Ping, Siphon, EndPlayerTurn and PlayerFound:
-- its functions OnPing, OnSiphon, OnEndPlayerTurn and OnPlayerFound get the event.
-- A piece's script, hot-reloaded in the middle of the level, asks for the level again.
function Rejoin()
  if level == nil or phase == "gone" then
    return
  end
  R.Call(level.player.script, "Setup", level, level.player)
  for _, patrol in ipairs(level.patrols) do
    R.Call(patrol.script, "Setup", level, patrol)
  end
end

function Listen(component)
  listeners[#listeners + 1] = component
end

---------------------------------------------------------------------------------------------
-- Loading.

-- The strip drawn along the link of a node that way: the level's own (the generator writes one
-- for every link), else the one laid at load.
local function LinkStrip(entry, d)
  return R.LinkParticles(entry.node, d) or entry.strips[d]
end

-- A link without a strip of its own (a level built in the editor or by hand) would not show at
-- all: it gets one from the Link archetype, laid between its two nodes. The strip is named
-- "Particle", as emitted particles are, so the editor neither lists nor saves it: it is laid
-- again at every load, wherever the nodes then stand.
local kStripSides = { R.Down, R.Right } -- every link is the down or right link of one end
local function LayMissingStrips(found)
  local space = Space()
  for _, entry in ipairs(found.nodes) do
    entry.strips = {}
  end
  for _, entry in ipairs(found.nodes) do
    for _, d in ipairs(kStripSides) do
      local j = entry.next[d]
      local other = j and found.nodes[j]
      if other and LinkStrip(entry, d) == nil and LinkStrip(other, R.Opposite[d]) == nil then
        local strip = space:CreateArchetypeInstance("Link")
        if strip.Transform ~= nil then
          strip.Name = "Particle"
          local dx, dy = other.x - entry.x, other.y - entry.y
          local length = math.sqrt(dx * dx + dy * dy)
          R.Place(strip, (entry.x + other.x) / 2, (entry.y + other.y) / 2)
          strip.Transform.Rotation = math.atan2(dy, dx)
          -- The strip's picture is 8 units long at scale 1.
          strip.Transform.Scale = Vector2D(length / 8, 0.07, 0)
          local emitter = strip.ParticleEmitter
          if emitter ~= nil then
            local vertical = math.abs(dx) < math.abs(dy)
            emitter.EmitterSizeX = vertical and 0.03 or length * 0.4
            emitter.EmitterSizeY = vertical and length * 0.4 or 0.03
            emitter.VelocityVarianceX = vertical and 0 or 0.6
            emitter.VelocityVarianceY = vertical and 0.6 or 0
          end
          entry.strips[d] = strip
          other.strips[R.Opposite[d]] = strip
          R.Call(strip.LinkScript, "SetOpen", R.IsLinked(entry.node, d))
        else
          strip:Destroy()
        end
      end
    end
  end
end

function OnLevelLoaded(created)
  if phase == "gone" then
    return
  end
  local found, problem = Discover()
  if not found then
    phase = "broken"
    Report(problem .. "; the level is skipped")
    local nextFile = NextLevel(tonumber(LevelFile():match("(%d+)")) or 0)
    if nextFile and nextFile ~= LevelFile() then
      Space():ChangeLevel(nextFile)
    end
    return
  end
  level = found
  level.levelNum = level.player.data.LevelNum
  credits = level.player.data.Credits
  keys = {}
  turn = 0
  refusal = ""
  level.par = nil
  level.title = ""
  for _, entry in ipairs(ReadPars()) do
    if entry.file == LevelFile() then
      level.par = entry.par
      level.title = entry.title
    end
  end
  this.Par = level.par
  this.LevelNum = level.levelNum
  this.Title = level.title
  this.LevelFile = LevelFile()

  LayMissingStrips(level)
  for _, entry in ipairs(level.nodes) do
    R.Call(entry.script, "Setup", level, entry)
  end
  R.Call(level.player.script, "Setup", level, level.player)
  for i, patrol in ipairs(level.patrols) do
    R.Call(patrol.script, "Setup", level, patrol)
  end
  phase = "idle"
  Publish()
  Log("level start " .. LevelFile())
end

---------------------------------------------------------------------------------------------
-- Turns.

local function Refuse(reason, ...)
  refusal = string.format(reason, ...)
  Sounds.PlaySound(R.Sound.Refused)
  R.Call(level.player.script, "Flash")
  Publish()
  return false
end

local function PatrolOnPlayer()
  for _, patrol in ipairs(level.patrols) do
    if patrol.node == level.player.node then
      return true
    end
  end
  return false
end

-- Patrols within R.PingRange links of a node, by breadth-first walk over the links.
local function PatrolsNear(start)
  local distance = { [start] = 0 }
  local frontier = { start }
  while #frontier > 0 do
    local nextFrontier = {}
    for _, i in ipairs(frontier) do
      if distance[i] < R.PingRange then
        for d = 1, 4 do
          local j = level.nodes[i].next[d]
          if j and distance[j] == nil then
            distance[j] = distance[i] + 1
            nextFrontier[#nextFrontier + 1] = j
          end
        end
      end
    end
    frontier = nextFrontier
  end
  local near = {}
  for _, patrol in ipairs(level.patrols) do
    if distance[patrol.node] then
      near[#near + 1] = patrol
    end
  end
  return near
end

local function SendPing()
  if credits < R.PingCost then
    return Refuse(R.Refusal.PingCredits)
  end
  credits = credits - R.PingCost
  Sounds.PlaySound(R.Sound.Ping)
  for _, patrol in ipairs(PatrolsNear(level.player.node)) do
    R.Call(patrol.script, "Reveal", R.PingTurns)
  end
  local event = _G.Ping()
  event.PingNodeID = level.nodes[level.player.node].id
  Notify("OnPing", event)
  R.Call(level.player.script, "Pulse")
  refusal = ""
  Publish()
  return true
end

local function Move(d)
  local here = level.nodes[level.player.node]
  local j = here.next[d]
  if j == nil then
    return Refuse(R.Refusal.NoLink)
  end
  if not R.IsLinked(here.node, d) then
    return Refuse(R.Refusal.Closed)
  end
  local target = level.nodes[j]
  local node = target.node
  local cost = node.EncryptionLayers
  local keyNeeded = node.FireWallProtected and node.KeyType or 0
  if keyNeeded ~= 0 and (keys[keyNeeded] or 0) < 1 then
    if cost > credits then
      return Refuse(R.Refusal.KeyAndCredits, cost)
    end
    return Refuse(R.Refusal.Key)
  end
  if cost > credits then
    return Refuse(R.Refusal.Credits, cost)
  end
  if keyNeeded ~= 0 then
    keys[keyNeeded] = keys[keyNeeded] - 1
  end
  credits = credits - cost
  local gained = R.Call(target.script, "Enter") or 0
  if gained ~= 0 then
    keys[gained] = (keys[gained] or 0) + 1
  end
  local from = level.player.node
  level.player.node = j
  Sounds.PlaySound(R.Sound.PlayerMove)
  stages[#stages + 1] = { R.Call(level.player.script, "MoveAnimation", from, j) }
  return true
end

local function Siphon()
  local here = level.nodes[level.player.node]
  local taken = R.Call(here.script, "Drain") or 0
  if taken <= 0 then
    return Refuse(R.Refusal.NothingToSiphon)
  end
  credits = credits + taken
  local event = _G.Siphon()
  event.Credits = taken
  Notify("OnSiphon", event)
  R.Call(level.player.script, "Pulse")
  return true
end

-- Closes an open link or opens a closed one, at both ends.
local function ToggleLink(d)
  local here = level.nodes[level.player.node]
  local j = here.next[d]
  if j == nil then
    return Refuse(R.Refusal.NoNeighbour)
  end
  if credits < R.LinkCost then
    return Refuse(R.Refusal.LinkCredits)
  end
  credits = credits - R.LinkCost
  local open = not R.IsLinked(here.node, d)
  R.SetLinked(here.node, d, open)
  R.SetLinked(level.nodes[j].node, R.Opposite[d], open)
  local strip = LinkStrip(here, d)
  if strip ~= nil then
    R.Call(strip.LinkScript, "SetOpen", open)
  end
  Sounds.PlaySound(open and R.Sound.Link or R.Sound.Unlink)
  R.Call(level.player.script, "Pulse")
  return true
end

-- Once the turn has decided the level, it is over: the outcome's animation still plays, but
-- neither a restart nor the pause screen can undo what the log already said.
local function Found()
  outcome = "found"
  phase = "over"
  Log(string.format("level found %s turns=%d", LevelFile(), turn))
  Sounds.PlaySound(R.Sound.Death)
  Input.SimpleVibrate(0.8, 400)
  Notify("OnPlayerFound", _G.PlayerFound())
  stages[#stages + 1] = { R.Call(level.player.script, "FoundAnimation") }
end

local function Won()
  outcome = "won"
  phase = "over"
  Log(string.format("level won %s turns=%d", LevelFile(), turn))
  Sounds.PlaySound(R.Sound.Victory)
  stages[#stages + 1] = { R.Call(level.player.script, "WonAnimation") }
end

-- The rest of a turn whose action cost it, in the game's order.
local function FinishTurn()
  turn = turn + 1
  if PatrolOnPlayer() then
    return Found()
  end
  if level.nodes[level.player.node].node.EndNode then
    return Won()
  end
  local steps = {}
  for _, patrol in ipairs(level.patrols) do
    local animation = R.Call(patrol.script, "Step")
    if animation then
      steps[#steps + 1] = animation
    end
  end
  if #steps > 0 then
    Sounds.PlaySound(R.Sound.PatrolMove)
    stages[#stages + 1] = steps
  end
  for _, patrol in ipairs(level.patrols) do
    R.Call(patrol.script, "TurnEnded")
  end
  Notify("OnEndPlayerTurn", _G.EndPlayerTurn())
  if PatrolOnPlayer() then
    return Found()
  end
end

local function Settle()
  if outcome == "found" then
    local totals = _G.VantixTotals or { turns = 0, found = 0 }
    totals.found = totals.found + 1
    _G.VantixTotals = totals
    phase = "over"
    Publish()
    Space():RestartLevel()
    return
  end
  if outcome == "won" then
    local totals = _G.VantixTotals or { turns = 0, found = 0 }
    totals.turns = totals.turns + turn
    totals.credits = credits
    _G.VantixTotals = totals
    phase = "over"
    Publish()
    local nextFile = NextLevel(level.levelNum)
    if nextFile then
      Space():ChangeLevel(nextFile)
    end
    return
  end
  phase = "idle"
  Publish()
  if queued then
    local action = queued
    queued = nil
    Act(action)
  end
end

-- Plays one action: "move", "link" (both with .dir 1..4), "siphon", "ping" or "wait".
local function Perform(action)
  local costsTurn = false
  if action.kind == "move" then
    costsTurn = Move(action.dir)
  elseif action.kind == "link" then
    costsTurn = ToggleLink(action.dir)
  elseif action.kind == "siphon" then
    costsTurn = Siphon()
  elseif action.kind == "wait" then
    Sounds.PlaySound(R.Sound.Wait)
    R.Call(level.player.script, "Pulse")
    costsTurn = true
  elseif action.kind == "ping" then
    SendPing()
  end
  if not costsTurn then
    return
  end
  refusal = ""
  phase = "busy"
  FinishTurn()
  Publish()
  if #stages == 0 then
    Settle()
  end
end

-- The player's scripts hand every action here. While a turn animates, one action waits.
function Act(action)
  if phase == "busy" then
    if queued == nil then
      queued = action
    end
    return
  end
  if phase ~= "idle" or level == nil or Paused() then
    return
  end
  Perform(action)
end

-- Restarting counts as being found in the totals.
-- The pause screen's Restart closes the pause screen first.
function Restart()
  if (phase ~= "idle" and phase ~= "busy") or _G.VantixPaused == true then
    return
  end
  do
    local totals = _G.VantixTotals or { turns = 0, found = 0 }
    totals.found = totals.found + 1
    _G.VantixTotals = totals
  end
  phase = "over"
  queued = nil
  Space():RestartLevel()
end

-- Whether the player's actions are taken now (not paused, not over).
function Accepting()
  return (phase == "idle" or phase == "busy") and not Paused()
end

-- The refusal a siphon would get on the player's node, or nil.
function SiphonRefusal()
  if level == nil then
    return R.Refusal.NothingToSiphon
  end
  if level.nodes[level.player.node].node.Credits <= 0 then
    return R.Refusal.NothingToSiphon
  end
  return nil
end

function RefuseSiphon()
  if level then
    Refuse(R.Refusal.NothingToSiphon)
  end
end

function OnUpdate(update)
  if level == nil or phase == "gone" or #stages == 0 or Engine.Paused then
    return
  end
  local dt = R.GameTime(update.dt)
  local stage = stages[1]
  local busy = false
  for _, animation in ipairs(stage) do
    if not animation.done then
      animation.done = animation.Advance(dt)
      busy = busy or not animation.done
    end
  end
  if not busy then
    table.remove(stages, 1)
    if #stages == 0 then
      Settle()
    end
  end
end
