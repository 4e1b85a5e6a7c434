-- The HUD, in the "HUD" space (which is always active): over a level it shows the credits, the
-- keys held, the turns played, the level's number, name and par, one line of context help and
-- why the last action was refused, all read from the turn controller; on the other screens it
-- shows nothing. It also owns what reaches the level from outside: Escape or Start opens the
-- pause screen (and, while it is open, goes back on it), and a lost window focus pauses the
-- sound and opens the pause screen; regaining focus resumes the sound.
local S = dofile("Scripts/lib/Screens.lua")
local P = dofile("Scripts/lib/Progress.lua")
local R = dofile("Scripts/lib/GameRules.lua")

local Texts = { "Level", "Par", "Credits", "Keys", "Turn", "Refusal", "Help" }
local KeySlots = 4 -- key icons "Key1".."Key4", one per key type held
local visible = nil
local levelSeen = nil

local connections = dofile("Scripts/lib/Connections.lua").For(this)

function Initialize()
  connections:Connect({ "LogicUpdate", "KeyIsTriggered", "ControllerButtonDown", "FocusLost", "FocusGained",
    "WindowResized" })
  P.Get()
end

local function Find(name)
  local space = this.Space
  return space and space:GetObjectByName(name)
end

local function SetText(name, text)
  local object = Find(name)
  if object and object.Font and object.Font.Text ~= text then
    object.Font.Text = text
  end
end

local function SetVisible(show)
  if visible == show then
    return
  end
  visible = show
  for _, name in ipairs(Texts) do
    local object = Find(name)
    if object and object.Font then
      object.Font.Visible = show
    end
  end
  if not show then
    for i = 1, KeySlots do
      local object = Find("Key" .. i)
      if object and object.Sprite then
        object.Sprite.Visible = false
      end
    end
  end
  this.Visible = show
end

-- One icon per key type held, tinted with its colour, after the keys count.
local function ShowKeys(keys)
  local types = {}
  for keyType, count in pairs(keys or {}) do
    if count > 0 then
      types[#types + 1] = keyType
    end
  end
  table.sort(types)
  for i = 1, KeySlots do
    local object = Find("Key" .. i)
    local sprite = object and object.Sprite
    if sprite then
      local keyType = types[i]
      sprite.Visible = keyType ~= nil
      if keyType then
        local c = R.KeyTint(keyType)
        sprite:SetColor(c[1], c[2], c[3], 255)
      end
    end
  end
end

local function Update(controller)
  local number = controller.LevelNum
  local title = controller.Title or ""
  SetText("Level", "LEVEL " .. tostring(number or "?") .. (title ~= "" and ("  " .. string.upper(title)) or ""))
  SetText("Par", "PAR " .. tostring(controller.Par or "-"))
  SetText("Credits", "CREDITS " .. tostring(controller.Credits or 0))
  SetText("Keys", "KEYS " .. tostring(controller.KeyCount or 0))
  SetText("Turn", "TURNS " .. tostring(controller.Turn or 0))
  SetText("Refusal", controller.Refusal or "")
  SetText("Help", controller.Help or "")
  ShowKeys(controller.Keys)
  if controller.LevelFile ~= levelSeen then
    levelSeen = controller.LevelFile
    if type(number) == "number" then
      P.Reach(number)
    end
  end
end

function OnLogicUpdate()
  local controller = S.Controller()
  local phase = controller and controller.Phase
  if phase == "idle" or phase == "busy" or phase == "over" then
    Update(controller)
    SetVisible(true)
  else
    SetVisible(false)
  end
end

local function PauseKey()
  if S.IsPaused() then
    S.PauseBack()
  elseif S.Playing() then
    S.OpenPause()
  end
end

function OnKeyIsTriggered(event)
  if event.Key == Keys.Escape then
    PauseKey()
  end
end

function OnControllerButtonDown(event)
  if event.Button == ControllerInput.Buttons.Start then
    PauseKey()
  end
end

function OnFocusLost()
  Sounds.SetSoundFocus(false)
  if S.Playing() then
    S.OpenPause()
  end
end

function OnFocusGained()
  Sounds.SetSoundFocus(true)
end

function OnWindowResized(event)
  S.OnWindowResized(event)
end

function Shutdown()
  connections:DropAll()
end
