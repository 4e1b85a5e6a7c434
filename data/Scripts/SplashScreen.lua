-- The splash screen: the logo and title fade in, hold and fade out with an ease; any key, mouse
-- click or controller button skips it; then the main menu. The first screen of a run reads the
-- progress file (applying the saved options) and loads the HUD.
local S = dofile("Scripts/lib/Screens.lua")
local P = dofile("Scripts/lib/Progress.lua")
-- Seconds: the logo is up for 1.6 s in all.
local FadeIn, Hold, FadeOut = 0.5, 0.6, 0.5

local t = 0
local leaving = false

local connections = dofile("Scripts/lib/Connections.lua").For(this)

function Initialize()
  connections:Connect({ "KeyIsTriggered", "MouseIsTriggered", "ControllerButtonDown" }, "OnSkip")
  connections:Connect("LogicUpdate")
  SetAlpha(0)
  P.Get()
  S.EnsureHud()
  -- The first screen of the run brings up the game's cursor, which stays for the whole run.
  dofile("Scripts/lib/Cursor.lua").Ensure()
end

local function Leave()
  if not leaving then
    leaving = true
    this.Space:ChangeLevel(S.MenuLevel)
  end
end

function SetAlpha(a)
  local space = this.Space
  for _, name in ipairs({ "Logo", "Title" }) do
    local object = space and space:GetObjectByName(name)
    local look = object and (object.Sprite or object.Font)
    if look then
      look.Alpha = math.floor(a + 0.5)
    end
  end
end

function OnSkip(event)
  Leave()
end

function OnLogicUpdate(update)
  if leaving then
    return
  end
  t = t + update.dt * 0.5 -- each frame's step arrives twice (start and end of the frame)
  this.Elapsed = t
  if t < FadeIn then
    SetAlpha(Easing.easeInOutQuad(t, 0, 255, FadeIn))
  elseif t < FadeIn + Hold then
    SetAlpha(255)
  elseif t < FadeIn + Hold + FadeOut then
    SetAlpha(Easing.easeInOutQuad(t - FadeIn - Hold, 255, -255, FadeOut))
  else
    SetAlpha(0)
    Leave()
  end
end

function Shutdown()
  connections:DropAll()
end
