-- The soak run's driver, a dev-only script that the soak program puts into a space of its own
-- (never part of the game's data): it switches autoplay on and moves the "Main" space through
-- the splash, the menus and every level in turn, staying SoakConfig.dwell frames on each unless
-- the game moves on first (a level won, a menu choice). What it does is printed as "soak: " lines.
local dwell = (SoakConfig and SoakConfig.dwell) or 250
local rotation = {}
local ticks = 0 -- LogicUpdate arrives twice a frame
local lastLevel = nil
local quitsRefused = 0

local function Exists(file)
  local f = io.open("Node Levels/" .. file, "r")
  if f then
    f:close()
    return true
  end
  return false
end

-- The splash, the menu and the levels in the order of the pars file, then the victory screen.
local function Rotation()
  local list = {}
  local function Add(file)
    if Exists(file) then
      list[#list + 1] = file
    end
  end
  Add("splash_KelvoLogo.level")
  Add("MainMenu.level")
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
    local file = rotation[1]
    for i, entry in ipairs(rotation) do
      if entry == main.LevelName then
        file = rotation[i % #rotation + 1]
      end
    end
    ticks = 0
    print("soak: driver moves to " .. file)
    main:ChangeLevel(file)
  end
end
