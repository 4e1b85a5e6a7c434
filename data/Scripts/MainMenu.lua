-- The main menu: Up/Down (W/S, D-pad) move the highlight over the items, Enter/Space (A) or a
-- click on an item chooses. Play starts the first level with fresh totals; Level Select and
-- Options open their screens; Quit ends the program.
local S = dofile("Scripts/lib/Screens.lua")
local P = dofile("Scripts/lib/Progress.lua")

local menu = S.Menu(function()
  return this.Space
end, {
  { action = "Play" },
  { action = "Level Select" },
  { action = "Options" },
  { action = "Quit" },
})
local chosen = false

local connections = dofile("Scripts/lib/Connections.lua").For(this)

function Initialize()
  connections:Connect({ "KeyIsTriggered", "MouseIsTriggered", "ControllerButtonDown", "WindowResized",
    "AllObjectsCreated" })
  P.Get()
  S.EnsureHud()
  -- The run may start here rather than on the splash; the cursor is made once either way.
  dofile("Scripts/lib/Cursor.lua").Ensure()
end

local function Show()
  menu:Show()
  this.Selected = menu:Selected()
end

local function Choose()
  if chosen then
    return
  end
  local action = menu:Selected()
  Sounds.PlaySound("hudclose")
  chosen = true
  if action == "Play" then
    S.StartRun(this.Space, S.FirstLevel())
  elseif action == "Level Select" then
    this.Space:ChangeLevel("LevelSelect.level")
  elseif action == "Options" then
    this.Space:ChangeLevel("Options.level")
  elseif action == "Quit" then
    Engine.Quit = true
  else
    chosen = false
  end
end

function OnAllObjectsCreated()
  Show()
end

function OnKeyIsTriggered(event)
  local result = menu:Key(event.Key)
  if result == "choose" then
    Choose()
  elseif result then
    Show()
  end
end

function OnControllerButtonDown(event)
  local result = menu:Pad(event.Button)
  if result == "choose" or event.Button == ControllerInput.Buttons.Start then
    Choose()
  elseif result then
    Show()
  end
end

function OnWindowResized(event)
  S.OnWindowResized(event)
end

-- A click on an item selects and chooses it.
function OnMouseIsTriggered(event)
  if event.Button == 1 and menu:Click(Input.MouseX(), Input.MouseY()) then
    Show()
    Choose()
  end
end

function Shutdown()
  connections:DropAll()
end
