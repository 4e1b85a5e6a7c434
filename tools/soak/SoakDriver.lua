-- The soak run's driver, a dev-only script that the soak program puts into a space of its own
-- (never part of the game's data): it switches autoplay on and moves the "Main" space through
-- the splash, the menus and every level in turn, moving on every SoakConfig.dwell frames spent
-- on one level (the game may move first: a level won, a menu choice). What it does is printed as
-- "soak: " lines.
local dwell = (SoakConfig and SoakConfig.dwell) or 250
local rotation = {}
local ticks = 0 -- LogicUpdate arrives twice a frame
local lastLevel = nil
local position = 0 -- the entry of the rotation the driver last moved to
local quitsRefused = 0

local function Exists(file)
  local f = io.open("Node Levels/" .. file, "r")
  if f then
    f:close()
    return true
  end
  return false
end

-- The splash, the menu and its screens, the levels in the order of the pars file, then the
-- victory screen. Every screen the game can reach is in the first round, so that what each one
-- loads the first time (its scripts, their names) is in place before memory is compared.
local function Rotation()
  local list = {}
  local function Add(file)
    if Exists(file) then
      list[#list + 1] = file
    end
  end
  Add("splash_KelvoLogo.level")
  Add("MainMenu.level")
  Add("LevelSelect.level")
  Add("Options.level")
  local pars = io.open("Node Levels/Pars.txt", "r")
  if pars then
    for line in pars:lines() do
      local file = line:match("^%d+%s+(%S+)")
      if file then
        Add(file)
      end
    end
    pars:close()
  end
  Add("Victory.level")
  return list
end

function Initialize()
  rotation = Rotation()
  print("soak: rotation of " .. #rotation .. " levels, " .. dwell .. " frames each")
  Input.ToggleAutoplay()
  Events.GlobalLuaConnect("LogicUpdate", this, "OnUpdate")
end

function OnUpdate()
  local main = Engine.GetSpaceByName("Main")
  if not main then
    return
  end
  -- The menu's Quit, chosen by a random key, would end the run early: the soak goes on.
  if Engine.Quit and quitsRefused < 1000000 then
    Engine.Quit = false
    quitsRefused = quitsRefused + 1
    print("soak: the game asked to quit; the soak goes on")
  end
  if main.LevelName ~= lastLevel then
    lastLevel = main.LevelName
    ticks = 0
  end
  ticks = ticks + 1
  if ticks >= 2 * dwell and #rotation > 0 then
    -- The driver keeps its own place: a screen the game leaves by itself (the level select
    -- starting a level, the options going back to the menu) does not make it skip the next.
    position = position % #rotation + 1
    if rotation[position] == main.LevelName then
      position = position % #rotation + 1
    end
    local file = rotation[position]
    ticks = 0
    print("soak: driver moves to " .. file)
    main:ChangeLevel(file)
  end
end
