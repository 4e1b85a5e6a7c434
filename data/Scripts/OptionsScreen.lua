-- The options screen, from the main menu (in the Main space) or from the pause screen (in the
-- "Pause" space): music and effect volumes, mute and full screen. Left/Right (A/D, D-pad)
-- change the selected option, Enter/Space (A) or a click steps it (a click left of an item's
-- middle lowers a volume); every change applies at once and is saved. Back, Escape or B return
-- to the screen it came from.
local S = dofile("Scripts/lib/Screens.lua")
local P = dofile("Scripts/lib/Progress.lua")

local VolumeStep = 10
local menu = S.Menu(function()
  return this.Space
end, {
  { action = "music" },
  { action = "effects" },
  { action = "mute" },
  { action = "fullscreen" },
  { action = "back" },
}, { hitWidth = 5 })

local connections = dofile("Scripts/lib/Connections.lua").For(this)

function Initialize()
  connections:Connect({ "KeyIsTriggered", "MouseIsTriggered", "ControllerButtonDown", "WindowResized",
    "AllObjectsCreated", "LogicUpdate" })
  S.EnsureHud()
end

local function FromPause()
  return this.Space ~= nil and this.Space.Name == "Pause"
end

local function OnOff(value)
  return value == 1 and "ON" or "OFF"
end

local function Show()
  local values = P.Get()
  menu.items[1].label = "MUSIC " .. values.music .. "%"
  menu.items[2].label = "EFFECTS " .. values.effects .. "%"
  menu.items[3].label = "MUTE " .. OnOff(values.mute)
  menu.items[4].label = "FULL SCREEN " .. OnOff(values.fullscreen)
  menu.items[5].label = FromPause() and "BACK TO PAUSE" or "BACK TO MENU"
  menu:Show()
  this.Selected = menu:Selected()
end

function Back()
  Sounds.PlaySound("hudclose")
  if FromPause() then
    this.Space:ChangeLevel(S.PauseLevel)
  else
    this.Space:ChangeLevel(S.MenuLevel)
  end
end

-- Steps the selected option: volumes by `step` tenths (wrapping past the ends when `wrap`),
-- switches flip.
local function Change(step, wrap)
  local key = menu:Selected()
  if key == "back" then
    return
  end
  local values = P.Get()
  if key == "music" or key == "effects" then
    local value = values[key] + step * VolumeStep
    if wrap and value > 100 then
      value = 0
    elseif wrap and value < 0 then
      value = 100
    end
    P.Set(key, value)
  else
    P.Set(key, 1 - values[key])
  end
  Sounds.PlaySound("hudbloop")
  Show()
end

local function Choose()
  if menu:Selected() == "back" then
    Back()
  else
    Change(1, true)
  end
end

function OnAllObjectsCreated()
  Show()
end

local shown = false
function OnLogicUpdate()
  if not shown then
    shown = true
    Show()
  end
end

function OnKeyIsTriggered(event)
  local key = event.Key
  if key == Keys.Left or key == Keys.A then
    Change(-1, false)
  elseif key == Keys.Right or key == Keys.D then
    Change(1, false)
  elseif key == Keys.Escape and not FromPause() then
    Back() -- from the pause screen the HUD sends Escape here as Back
  else
    local result = menu:Key(key)
    if result == "choose" then
      Choose()
    elseif result then
      Show()
    end
  end
end

function OnControllerButtonDown(event)
  local buttons = ControllerInput.Buttons
  local b = event.Button
  if b == buttons.DPadLeft then
    Change(-1, false)
  elseif b == buttons.DPadRight then
    Change(1, false)
  elseif b == buttons.B or (b == buttons.Start and not FromPause()) then
    Back()
  else
    local result = menu:Pad(b)
    if result == "choose" then
      Choose()
    elseif result then
      Show()
    end
  end
end

function OnWindowResized(event)
  S.OnWindowResized(event)
end

function OnMouseIsTriggered(event)
  if event.Button ~= 1 then
    return
  end
  local i = menu:Click(Input.MouseX(), Input.MouseY())
  if i == nil then
    return
  end
  local key = menu:Selected()
  if key == "music" or key == "effects" then
    local x = S.SpaceToWorld(this.Space, Input.MouseX(), Input.MouseY())
    local middle = menu:Object(i).Transform.Translation.x
    Change(x < middle and -1 or 1, false)
  else
    Choose()
  end
end

function Shutdown()
  connections:DropAll()
end
