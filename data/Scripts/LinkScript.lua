-- A link between two nodes, drawn as a strip with particles along it; dimmed, and without
-- particles, while the link is closed. This.Open tells its state.
local R = dofile("Scripts/lib/GameRules.lua")

function Initialize() end

function SetOpen(open)
  this.Open = open
  local owner = this.Owner
  if owner == nil then
    return
  end
  local sprite = owner.Sprite
  if sprite then
    sprite:SwapTexture(open and R.Art.Link or R.Art.LinkClosed)
    if open then
      sprite:SetColor(255, 255, 255, 255)
    else
      sprite:SetColor(150, 150, 170, 140)
    end
  end
  local emitter = owner.ParticleEmitter
  if emitter ~= nil then
    -- The emitter's script properties may not be offered by every build of the engine.
    pcall(function()
      emitter.Active = open
    end)
  end
end

function Shutdown() end
