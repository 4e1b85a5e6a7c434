-- The victory screen: shows the totals of the run (turns, credits left, times found), logs
-- "game complete" once, and any key, click or controller button returns to the main menu.
local leaving = false

local connections = dofile("Scripts/lib/Connections.lua").For(this)

function Initialize()
  connections:Connect({ "KeyIsTriggered", "MouseIsTriggered", "ControllerButtonDown" }, "OnAny")
  connections:Connect("AllObjectsCreated", "OnShown")
end

local function SetText(name, text)
  local object = this.Space and this.Space:GetObjectByName(name)
  if object and object.Font then
    object.Font.Text = text
  end
end

function OnShown()
  local totals = _G.VantixTotals or {}
  SetText("Turns", "TURNS " .. tostring(totals.turns or 0))
  SetText("Credits", "CREDITS LEFT " .. tostring(totals.credits or 0))
  SetText("Found", "TIMES FOUND " .. tostring(totals.found or 0))
  print("game complete")
end

function OnAny(event)
  if not leaving then
    leaving = true
    this.Space:ChangeLevel("MainMenu.level")
  end
end

function Shutdown()
  connections:DropAll()
end
