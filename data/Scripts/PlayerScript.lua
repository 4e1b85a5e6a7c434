-- The player's probe: turns keyboard, mouse and controller input into actions for the turn
-- controller (moves, links, siphon held for a second, ping, wait, restart), and animates the
-- probe (eased moves, the siphon gauge, refusals, being found, winning).
local R = dofile("Scripts/lib/GameRules.lua")
local C = dofile("Scripts/lib/Cursor.lua")

local level = nil
local me = nil -- the level table's player entry
local baseScale = nil
local siphonHeld = nil -- seconds the siphon button has been held, or nil
local flash = nil -- seconds into the refusal flash, or nil
local pulse = nil
local siphonByPad = false -- the siphon being held is the controller's A, not Space
local bumpers = 0 -- controller bumpers held (they act as Left Shift)
local stickX, stickY = 0, 0 -- the left stick's last reported axis values
local stickArmed = true

local StickPress = 20000 -- axis value that counts as a push of the left stick
local StickRelease = 8000

local connections = dofile("Scripts/lib/Connections.lua").For(this)

function Initialize()
  connections:Connect({ "KeyIsTriggered", "KeyIsReleased", "MouseIsTriggered", "ControllerButtonDown",
    "ControllerButtonUp", "ControllerAxisMoved", "ControllerRemoved", "WindowResized", "LogicUpdate" })
  C.Ensure()
  -- After a hot reload the level is already running: ask the turn controller for it again.
  R.Call(R.Controller(this.Space), "Rejoin")
end

-- Called once per event connection when the level goes away.
function Shutdown()
  connections:DropAll()
  if siphonHeld ~= nil then
    siphonHeld = nil
    Sounds.SiphonSoundEnd()
  end
  level = nil
  me = nil
end

local function Controller()
  return level and level.controller
end

local function Accepting()
  local controller = Controller()
  return controller ~= nil and R.Call(controller, "Accepting")
end

local function Act(action)
  if Accepting() then
    R.Call(Controller(), "Act", action)
  end
end

local function Sprite()
  return this.Owner and this.Owner.Sprite
end

local function SetScale(factor)
  local transform = this.Owner and this.Owner.Transform
  if transform and baseScale then
    transform.Scale = Vector2D(baseScale.x * factor, baseScale.y * factor, baseScale.w)
  end
end

local function Tint(r, g, b, a)
  local sprite = Sprite()
  if sprite then
    sprite:SetColor(r, g, b, a)
  end
end

function Setup(levelTable, entry)
  level = levelTable
  me = entry
  local transform = this.Owner.Transform
  local s = transform.Scale
  baseScale = { x = s.x, y = s.y, w = s.w }
  local node = level.nodes[me.node]
  R.Place(this.Owner, node.x, node.y)
end

---------------------------------------------------------------------------------------------
-- Animations the turn controller plays; each Advance(dt) returns true when done.

function MoveAnimation(from, to)
  local a, b = level.nodes[from], level.nodes[to]
  local t = 0
  local owner = this.Owner
  return {
    Advance = function(dt)
      t = math.min(t + dt, R.MoveTime)
      local x = Easing.easeInOutQuad(t, a.x, b.x - a.x, R.MoveTime)
      local y = Easing.easeInOutQuad(t, a.y, b.y - a.y, R.MoveTime)
      R.Place(owner, x, y)
      return t >= R.MoveTime
    end,
  }
end

function FoundAnimation()
  local t = 0
  return {
    Advance = function(dt)
      t = math.min(t + dt, R.FoundTime)
      local alpha = Easing.easeInQuad(t, 255, -255, R.FoundTime)
      Tint(255, 60, 60, math.max(0, math.floor(alpha)))
      SetScale(Easing.easeOutQuad(t, 1, 0.8, R.FoundTime))
      return t >= R.FoundTime
    end,
  }
end

function WonAnimation()
  local t = 0
  return {
    Advance = function(dt)
      t = math.min(t + dt, R.WonTime)
      SetScale(Easing.easeOutSin(t, 1, 1.5, R.WonTime))
      Tint(255, 255, 255, math.max(0, math.floor(Easing.easeInSin(t, 255, -255, R.WonTime))))
      return t >= R.WonTime
    end,
  }
end

-- A refused action: a short red flash.
function Flash()
  flash = 0
end

-- An action that costs no move (siphon, ping, link): a short swell.
function Pulse()
  pulse = 0
end

---------------------------------------------------------------------------------------------
-- Input.

local function Direction(d)
  local linking = Input.KeyIsDown(Keys.LShift) or bumpers > 0
  Act({ kind = linking and "link" or "move", dir = d })
end

local function StartSiphon(byPad)
  if siphonHeld ~= nil or not Accepting() then
    return
  end
  if R.Call(Controller(), "SiphonRefusal") then
    R.Call(Controller(), "RefuseSiphon")
    return
  end
  siphonHeld = 0
  siphonByPad = byPad
  Sounds.SiphonSoundCall()
end

local function StopSiphon()
  if siphonHeld == nil then
    return
  end
  siphonHeld = nil
  siphonByPad = false
  Sounds.SiphonSoundEnd()
  Tint(255, 255, 255, 255)
end

local KeyDirections = {
  [Keys.Up] = R.Up, [Keys.W] = R.Up,
  [Keys.Down] = R.Down, [Keys.S] = R.Down,
  [Keys.Left] = R.Left, [Keys.A] = R.Left,
  [Keys.Right] = R.Right, [Keys.D] = R.Right,
}

function OnKeyIsTriggered(event)
  if level == nil or Engine.Paused then
    return
  end
  local key = event.Key
  if KeyDirections[key] then
    Direction(KeyDirections[key])
  elseif key == Keys.Space then
    StartSiphon(false)
  elseif key == Keys.F then
    Act({ kind = "ping" })
  elseif key == Keys.Tab then
    Act({ kind = "wait" })
  elseif key == Keys.R then
    R.Call(Controller(), "Restart")
  end
end

function OnKeyIsReleased(event)
  if event.Key == Keys.Space then
    StopSiphon()
  end
end

local Pad = ControllerInput.Buttons
local PadDirections = {
  [Pad.DPadUp] = R.Up,
  [Pad.DPadDown] = R.Down,
  [Pad.DPadLeft] = R.Left,
  [Pad.DPadRight] = R.Right,
}

function OnControllerButtonDown(event)
  if level == nil then
    return
  end
  local button = event.Button
  if button == Pad.LB or button == Pad.RB then
    bumpers = bumpers + 1
    return
  end
  if Engine.Paused then
    return
  end
  if PadDirections[button] then
    Direction(PadDirections[button])
  elseif button == Pad.A then
    StartSiphon(true)
  elseif button == Pad.Y then
    Act({ kind = "ping" })
  elseif button == Pad.X then
    Act({ kind = "wait" })
  elseif button == Pad.Back then
    R.Call(Controller(), "Restart")
  end
end

function OnControllerButtonUp(event)
  local button = event.Button
  if button == Pad.LB or button == Pad.RB then
    bumpers = math.max(0, bumpers - 1)
  elseif button == Pad.A then
    StopSiphon()
  end
end

-- The left stick moves once per push, along its stronger axis; both axes must come back near
-- the centre before the next (a real stick reports small values on the other axis meanwhile).
function OnControllerAxisMoved(event)
  local axis, value = event.Axis, event.Value
  if axis == ControllerInput.Axis.LStickX then
    stickX = value
  elseif axis == ControllerInput.Axis.LStickY then
    stickY = value
  else
    return
  end
  if math.abs(stickX) < StickRelease and math.abs(stickY) < StickRelease then
    stickArmed = true
    return
  end
  if level == nil or Engine.Paused or not stickArmed then
    return
  end
  if math.max(math.abs(stickX), math.abs(stickY)) < StickPress then
    return
  end
  stickArmed = false
  if math.abs(stickX) >= math.abs(stickY) then
    Direction(stickX > 0 and R.Right or R.Left)
  else
    Direction(stickY > 0 and R.Down or R.Up) -- stick y grows downwards
  end
end

-- A controller pulled out mid-game sends no releases: forget what it held, so the keyboard
-- plays on as usual (no bumper left "held" turning moves into links, no siphon left running).
function OnControllerRemoved(event)
  bumpers = 0
  stickX, stickY, stickArmed = 0, 0, true
  if siphonByPad then
    StopSiphon()
  end
end

function OnWindowResized(event)
  C.SetWindowSize(event.XDim, event.YDim)
end

-- The view the level generator's camera frames: the network in the middle 70% of a 16:9
-- picture (used until the level has been drawn once).
local function View()
  local minX, maxX, minY, maxY = math.huge, -math.huge, math.huge, -math.huge
  for _, node in ipairs(level.nodes) do
    minX, maxX = math.min(minX, node.x), math.max(maxX, node.x)
    minY, maxY = math.min(minY, node.y), math.max(maxY, node.y)
  end
  local height = math.max((maxY - minY + 1) / 0.7, (maxX - minX + 1) / 0.7 / (16 / 9), 6)
  return (minX + maxX) / 2, (minY + maxY) / 2, height * 16 / 9, height
end

-- Window pixels to world units: through the view the level is drawn with (whatever its
-- camera), else through the letter-boxed 16:9 viewport and the generator's framing.
local function ToWorld(px, py)
  local x, y = Graphics.WindowToWorld(px, py)
  if x ~= nil then
    return x, y
  end
  local aspect = 16 / 9
  local windowW, windowH = C.WindowSize()
  local vw, vh = windowW, math.floor(windowW / aspect + 0.5)
  if windowH < vh then
    vw, vh = math.floor(windowH * aspect + 0.5), windowH
  end
  local vx, vy = math.floor(windowW / 2) - math.floor(vw / 2), math.floor(windowH / 2) - math.floor(vh / 2)
  local cx, cy, width, height = View()
  return cx + ((px - vx) / vw - 0.5) * width, cy - ((py - vy) / vh - 0.5) * height
end

-- A click on a neighbouring node moves (or, with Left Shift held, links) towards it.
function OnMouseIsTriggered(event)
  if level == nil or Engine.Paused or event.Button ~= 1 then
    return
  end
  local x, y = ToWorld(Input.MouseX(), Input.MouseY())
  local here = level.nodes[me.node]
  for d = 1, 4 do
    local j = here.next[d]
    if j then
      local node = level.nodes[j]
      if math.abs(node.x - x) < 0.6 and math.abs(node.y - y) < 0.6 then
        Direction(d)
        return
      end
    end
  end
end

function OnLogicUpdate(update)
  if level == nil then
    return
  end
  local dt = R.GameTime(update.dt)
  if siphonHeld ~= nil then
    if Engine.Paused then
      return
    end
    siphonHeld = siphonHeld + dt
    local fill = math.min(siphonHeld / R.SiphonHold, 1)
    Tint(255, 255, math.floor(255 - 200 * fill), 255)
    SetScale(1 + 0.3 * fill)
    if siphonHeld >= R.SiphonHold then
      StopSiphon()
      SetScale(1)
      Act({ kind = "siphon" })
    end
  end
  if flash ~= nil then
    flash = flash + dt
    local k = math.floor(Easing.easeOutQuad(math.min(flash, R.FlashTime), 0, 255, R.FlashTime))
    Tint(255, k, k, 255)
    if flash >= R.FlashTime then
      flash = nil
      Tint(255, 255, 255, 255)
    end
  end
  if pulse ~= nil then
    pulse = pulse + dt
    SetScale(1 + 0.25 * math.sin(math.min(pulse / R.FlashTime, 1) * math.pi))
    if pulse >= R.FlashTime then
      pulse = nil
      SetScale(1)
    end
  end
end
