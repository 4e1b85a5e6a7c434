-- The main menu: Up/Down (W/S, D-pad) move the highlight over the items, Enter/Space (A) or a
-- click on an item chooses. Play starts the first level with fresh totals; Quit ends the program.
local S = dofile("Scripts/lib/Screens.lua")

local Actions = { "Play", "Quit" }
local selected = 1
local chosen = false
local windowW, windowH = 1280, 720

function Initialize()
  for _, name in ipairs({ "KeyIsTriggered", "MouseIsTriggered", "ControllerButtonDown", "WindowResized",
    "AllObjectsCreated" }) do
    Events.GlobalLuaConnect(name, this, "On" .. name)
  end
end

local function Item(i)
  return this.Space and this.Space:GetObjectByName("Item" .. i)
end

-- Moves the highlight bar behind the selected item and tints the items.
local function Show()
  local item = Item(selected)
  local bar = this.Space and this.Space:GetObjectByName("Highlight")
  if item and bar then
    local t = item.Transform.Translation
    local b = bar.Transform.Translation
    bar.Transform.Translation = Vector2D(t.x, t.y, b.w)
  end
  for i = 1, #Actions do
    local font = Item(i) and Item(i).Font
    if font then
      if i == selected then
        font:SetColor(255, 255, 255, 255)
      else
        font:SetColor(140, 170, 200, 255)
      end
    end
  end
  this.Selected = Actions[selected]
end

local function Move(step)
  selected = (selected - 1 + step) % #Actions + 1
  Sounds.PlaySound("hudbloop")
  Show()
end

local function Choose()
  if chosen then
    return
  end
  local action = Actions[selected]
  Sounds.PlaySound("hudclose")
  if action == "Play" then
    chosen = true
    _G.VantixTotals = { turns = 0, found = 0 }
    this.Space:ChangeLevel(S.FirstLevel())
  elseif action == "Quit" then
    chosen = true
    Engine.Quit = true
  end
end

function OnAllObjectsCreated()
  Show()
end

function OnKeyIsTriggered(event)
  local k = event.Key
  if k == Keys.Up or k == Keys.W then
    Move(-1)
  elseif k == Keys.Down or k == Keys.S then
    Move(1)
  elseif k == Keys.Enter or k == Keys.Space then
    Choose()
  end
end

function OnControllerButtonDown(event)
  local b = event.Button
  local buttons = ControllerInput.Buttons
  if b == buttons.DPadUp then
    Move(-1)
  elseif b == buttons.DPadDown then
    Move(1)
  elseif b == buttons.A or b == buttons.Start then
    Choose()
  end
end

function OnWindowResized(event)
  windowW, windowH = event.XDim, event.YDim
end

-- A click on an item selects and chooses it.
function OnMouseIsTriggered(event)
  if event.Button ~= 1 then
    return
  end
  local x, y = S.ToWorld(Input.MouseX(), Input.MouseY(), windowW, windowH)
  for i = 1, #Actions do
    local item = Item(i)
    if item then
      local t = item.Transform.Translation
      if math.abs(t.x - x) < 4 and math.abs(t.y - y) < 0.6 then
        selected = i
        Show()
        Choose()
        return
      end
    end
  end
end

function Shutdown()
end
