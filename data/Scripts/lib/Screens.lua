-- What the screens share: window pixels mapped to a space's view (the default one is 10 units
-- high, letter-boxed 16:9, centred on 0, 0), the level order, a vertical menu over a screen's
-- "Item<n>" objects, the HUD level, and opening and closing the pause screen.
local S = {}
local C = dofile("Scripts/lib/Cursor.lua")

S.ViewHeight = 10
S.Aspect = 16 / 9
S.HudLevel = "Hud.level"
S.PauseLevel = "Paused.level"
S.MenuLevel = "MainMenu.level"

-- The window's size (see Cursor.lua).
function S.WindowSize()
  return C.WindowSize()
end

function S.OnWindowResized(event)
  C.SetWindowSize(event.XDim, event.YDim)
end

function S.ToWorld(px, py, windowW, windowH)
  if windowW == nil then
    windowW, windowH = S.WindowSize()
  end
  local vw, vh = windowW, math.floor(windowW / S.Aspect + 0.5)
  if windowH < vh then
    vw, vh = math.floor(windowH * S.Aspect + 0.5), windowH
  end
  local vx, vy = math.floor(windowW / 2) - math.floor(vw / 2), math.floor(windowH / 2) - math.floor(vh / 2)
  local height = S.ViewHeight
  return ((px - vx) / vw - 0.5) * height * S.Aspect, -((py - vy) / vh - 0.5) * height
end

-- Window pixels to the world units of `space` (a Space, or nil): through the view it was last
-- drawn with, whatever its camera, else through the default view as S.ToWorld.
function S.SpaceToWorld(space, px, py)
  if space ~= nil then
    local x, y = Graphics.WindowToWorld(px, py, space.Name)
    if x ~= nil then
      return x, y
    end
  end
  return S.ToWorld(px, py)
end

S.FileExists = dofile("Scripts/lib/Files.lua").Exists

-- The level order: { number, file, par, title } a level (see Pars.lua).
function S.Levels()
  return dofile("Scripts/lib/Pars.lua").Read()
end

-- The first level of the level order, else Level01.level.
function S.FirstLevel()
  local levels = S.Levels()
  return levels[1] and levels[1].file or "Level01.level"
end

-- Starts a level with fresh totals.
function S.StartRun(space, file)
  _G.VantixTotals = { turns = 0, found = 0 }
  space:ChangeLevel(file)
end

---------------------------------------------------------------------------------------------
-- A vertical menu: `space()` gives the screen's space, `items` is a list of { action, label,
-- object } (a label, when given, is written into the item's text; the item's object is named
-- `object`, else "Item<n>"). The highlight bar "Highlight" sits
-- behind the selected item; moving plays "hudbloop".

local Menu = {}
Menu.__index = Menu

function S.Menu(space, items, options)
  options = options or {}
  return setmetatable({
    space = space,
    items = items,
    selected = 1,
    hitWidth = options.hitWidth or 4,
    hitHeight = options.hitHeight or 0.6,
  }, Menu)
end

function Menu:Object(i)
  local space = self.space()
  local item = self.items[i]
  return space and item and space:GetObjectByName(item.object or ("Item" .. i))
end

-- Writes the labels, moves the bar behind the selected item and tints the items.
function Menu:Show()
  local space = self.space()
  local item = self:Object(self.selected)
  local bar = space and space:GetObjectByName("Highlight")
  if item and bar then
    local t = item.Transform.Translation
    local b = bar.Transform.Translation
    bar.Transform.Translation = Vector2D(t.x + (self.barOffset or 0), t.y, b.w)
  end
  for i = 1, #self.items do
    local font = self:Object(i) and self:Object(i).Font
    if font then
      if self.items[i].label then
        font.Text = self.items[i].label
      end
      if i == self.selected then
        font:SetColor(255, 255, 255, 255)
      else
        font:SetColor(140, 170, 200, 255)
      end
    end
  end
end

function Menu:Selected()
  return self.items[self.selected] and self.items[self.selected].action
end

function Menu:Select(i)
  if i >= 1 and i <= #self.items then
    self.selected = i
    self:Show()
  end
end

function Menu:Move(step)
  if #self.items == 0 then
    return
  end
  self.selected = (self.selected - 1 + step) % #self.items + 1
  Sounds.PlaySound("hudbloop")
  self:Show()
end

-- Up/Down (W/S) move; returns "choose" for Enter/Space, else whether the key was taken.
function Menu:Key(key)
  if key == Keys.Up or key == Keys.W then
    self:Move(-1)
    return true
  elseif key == Keys.Down or key == Keys.S then
    self:Move(1)
    return true
  elseif key == Keys.Enter or key == Keys.Space then
    return "choose"
  end
  return false
end

-- The D-pad moves; A chooses.
function Menu:Pad(button)
  local buttons = ControllerInput.Buttons
  if button == buttons.DPadUp then
    self:Move(-1)
    return true
  elseif button == buttons.DPadDown then
    self:Move(1)
    return true
  elseif button == buttons.A then
    return "choose"
  end
  return false
end

-- The item under the mouse (window pixels), selected; nil when the click hit none.
function Menu:Click(px, py)
  local x, y = S.SpaceToWorld(self.space(), px, py)
  for i = 1, #self.items do
    local item = self:Object(i)
    if item and (item.Font == nil or item.Font.Visible) then
      local t = item.Transform.Translation
      if math.abs(t.x - x) < self.hitWidth and math.abs(t.y - y) < self.hitHeight then
        self.selected = i
        self:Show()
        return i
      end
    end
  end
  return nil
end

---------------------------------------------------------------------------------------------
-- The HUD space holds the HUD level from the first screen on.

function S.EnsureHud()
  local hud = Engine.GetHUDSpace()
  if hud and hud.LevelName ~= S.HudLevel and S.FileExists("Node Levels/" .. S.HudLevel) then
    hud:ChangeLevel(S.HudLevel)
  end
end

---------------------------------------------------------------------------------------------
-- The pause screen lives in the buffer space, preloaded from Paused.level. `_G.VantixPaused`
-- says at once whether it is open; `Engine.Paused` follows at the end of the frame.

function S.IsPaused()
  return _G.VantixPaused == true
end

-- The turn controller of the level in the Main space, or nil on a screen without one.
function S.Controller()
  local main = Engine.GetSpaceByName("Main")
  local object = main and main:GetObjectWith("TurnController")
  return object and object.TurnController
end

-- Whether a level is being played (the pause screen can open over it).
function S.Playing()
  local controller = S.Controller()
  local phase = controller and controller.Phase
  return phase == "idle" or phase == "busy"
end

local function PauseScreen()
  local buffer = Engine.GetBufferSpace()
  local object = buffer and buffer:GetObjectByName("PauseMenu")
  return object and object.PauseScreen
end

function S.OpenPause()
  if S.IsPaused() then
    return
  end
  local buffer = Engine.GetBufferSpace()
  if buffer == nil then
    return
  end
  _G.VantixPaused = true
  Engine.Paused = true
  if buffer.LevelName ~= S.PauseLevel then
    buffer:ChangeLevel(S.PauseLevel)
  end
  buffer.Active = true
  local screen = PauseScreen()
  if screen and type(screen.Reset) == "function" then
    screen.Reset()
  end
  Sounds.PlaySound("hudbloop")
end

function S.ClosePause()
  if not S.IsPaused() then
    return
  end
  _G.VantixPaused = false
  Engine.Paused = false
  local buffer = Engine.GetBufferSpace()
  if buffer then
    buffer.Active = false
    if buffer.LevelName ~= S.PauseLevel then
      buffer:ChangeLevel(S.PauseLevel)
    end
  end
  Sounds.PlaySound("hudclose")
end

-- Escape or Start while the pause screen is open: the screen in the buffer space goes back
-- (the pause menu resumes; the options return to the pause menu).
function S.PauseBack()
  local buffer = Engine.GetBufferSpace()
  for _, name in ipairs({ "PauseMenu", "Options" }) do
    local object = buffer and buffer:GetObjectByName(name)
    local screen = object and (object.PauseScreen or object.OptionsScreen)
    if screen and type(screen.Back) == "function" then
      screen.Back()
      return
    end
  end
  S.ClosePause()
end

return S
