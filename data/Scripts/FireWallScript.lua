-- A firewall drawn over its node in the colour of the key that opens it; when opened it fades
-- and is removed.
local R = dofile("Scripts/lib/GameRules.lua")

local fading = nil -- seconds into the fade, or nil
local FadeTime = 0.3

local connections = dofile("Scripts/lib/Connections.lua").For(this)

function Initialize()
  connections:Connect("LogicUpdate", "OnUpdate")
end

function Shutdown()
  connections:DropAll()
  fading = nil
end

function Setup(keyType)
  local sprite = this.Owner and this.Owner.Sprite
  if sprite then
    local tint = R.KeyTint(keyType)
    sprite:SetColor(tint[1], tint[2], tint[3], 255)
  end
end

function Open()
  this.Opened = true
  if fading == nil then
    fading = 0
  end
end

function OnUpdate(update)
  if fading == nil then
    return
  end
  local owner = this.Owner
  if owner == nil then
    fading = nil
    return
  end
  fading = fading + R.GameTime(update.dt)
  local sprite = owner.Sprite
  if sprite then
    sprite.Alpha = math.max(0, math.floor(Easing.easeOutQuad(math.min(fading, FadeTime), 255, -255, FadeTime)))
  end
  if fading >= FadeTime then
    fading = nil
    owner:Destroy()
  end
end
