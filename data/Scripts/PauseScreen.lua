-- The pause screen, preloaded from Paused.level into the "Pause" space: Resume, Restart,
-- Options, Main Menu, chosen like the main menu's items. The HUD opens it (Escape, Start or a
-- lost window focus) and sends Escape or Start here as Back, which resumes; so does B.
local S = dofile("Scripts/lib/Screens.lua")

local menu = S.Menu(function()
  return this.Space
end, {
  { action = "Resume" },
  { action = "Restart" },
  { action = "Options" },
  { action = "Main Menu" },
})
local shown = false

local connections = dofile("Scripts/lib/Connections.lua").For(this)

function Initialize()
  connections:Connect({ "KeyIsTriggered", "MouseIsTriggered", "ControllerButtonDown", "WindowResized",
    "AllObjectsCreated", "LogicUpdate" })
end

local function Show()
  menu:Show()
  this.Selected = menu:Selected()
  shown = true
end

-- Called when the pause screen opens: the highlight starts on Resume.
function Reset()
  menu.selected = 1
  Show()
end

function Back()
  S.ClosePause()
end

local function Choose()
  if not S.IsPaused() then
    return
  end
  local action = menu:Selected()
  if action == "Resume" then
    S.ClosePause()
  elseif action == "Restart" then
    S.ClosePause()
    local controller = S.Controller()
    if controller and type(controller.Restart) == "function" then
      controller.Restart()
    end
  elseif action == "Options" then
    Sounds.PlaySound("hudbloop")
    this.Space:ChangeLevel("Options.level")
  elseif action == "Main Menu" then
    S.ClosePause()
    local main = Engine.GetSpaceByName("Main")
    if main then
      main:ChangeLevel(S.MenuLevel)
    end
  end
end

function OnAllObjectsCreated()
  Show()
end

-- A pause space loaded while inactive never hears AllObjectsCreated.
function OnLogicUpdate()
  if not shown then
    Show()
  end
end

function OnKeyIsTriggered(event)
  if not S.IsPaused() then
    return
  end
  local result = menu:Key(event.Key)
  if result == "choose" then
    Choose()
  elseif result then
    this.Selected = menu:Selected()
  end
end

function OnControllerButtonDown(event)
  if not S.IsPaused() then
    return
  end
  -- B goes back here as on the other screens (the options in this space take it too).
  if event.Button == ControllerInput.Buttons.B then
    Back()
    return
  end
  local result = menu:Pad(event.Button)
  if result == "choose" then
    Choose()
  elseif result then
    this.Selected = menu:Selected()
  end
end

function OnWindowResized(event)
  S.OnWindowResized(event)
end

function OnMouseIsTriggered(event)
  if S.IsPaused() and event.Button == 1 and menu:Click(Input.MouseX(), Input.MouseY()) then
    this.Selected = menu:Selected()
    Choose()
  end
end

function Shutdown()
  connections:DropAll()
end
