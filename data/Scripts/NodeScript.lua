-- A node of the network: what entering it costs and gives (encryption paid once, a key picked
-- up once, a firewall opened with a key) and what siphoning takes, kept in its GameNode, and
-- the sprite that shows its state (plain, credits, drained, encrypted with its layer count,
-- key, end). The look in use is published as this.Look.
local R = dofile("Scripts/lib/GameRules.lua")

local connections = dofile("Scripts/lib/Connections.lua").For(this)

local node = nil -- the GameNode
local hadCredits = false
local level = nil
-- The properties the look is made from, and their values when it was last made.
local looked = { "EndNode", "Credits", "EncryptionLayers", "KeyType", "FireWallProtected" }
local shown = {}

function Initialize()
  connections:Connect("LogicUpdate")
end

function Shutdown()
  connections:DropAll()
  node = nil
  level = nil
end

local function Look()
  if node.EndNode then
    if node.EncryptionLayers > 0 then
      return R.Art.Encrypted[math.min(node.EncryptionLayers, #R.Art.Encrypted)], { 90, 255, 120 }
    end
    return R.Art.End, { 255, 255, 255 }
  end
  if node.EncryptionLayers > 0 then
    return R.Art.Encrypted[math.min(node.EncryptionLayers, #R.Art.Encrypted)], { 255, 255, 255 }
  end
  if node.KeyType ~= 0 and not node.FireWallProtected then
    return R.Art.Key, R.KeyTint(node.KeyType)
  end
  if node.Credits > 0 then
    return R.Art.Credits, { 255, 255, 255 }
  end
  if hadCredits then
    return R.Art.Drained, { 255, 255, 255 }
  end
  return R.Art.Node, { 255, 255, 255 }
end

function Refresh()
  if node == nil then
    return
  end
  for i, field in ipairs(looked) do
    shown[i] = node[field]
  end
  local art, tint = Look()
  this.Look = art
  local sprite = this.Owner and this.Owner.Sprite
  if sprite then
    sprite:SwapTexture(art)
    sprite:SetColor(tint[1], tint[2], tint[3], 255)
  end
end

-- A property changed by someone else (the editor, while the level runs) shows at once.
function OnLogicUpdate()
  if node == nil then
    return
  end
  for i, field in ipairs(looked) do
    if node[field] ~= shown[i] then
      Refresh()
      return
    end
  end
end

-- Called by the turn controller once the level has loaded.
function Setup(levelTable, entry)
  level = levelTable
  node = entry.node
  hadCredits = node.Credits > 0
  if node.FireWallProtected then
    R.Call(node.FireWall and node.FireWall.FireWallScript, "Setup", node.KeyType)
  end
  for d = 1, 4 do
    local particles = R.LinkParticles(node, d)
    if particles ~= nil then
      R.Call(particles.LinkScript, "SetOpen", R.IsLinked(node, d))
    end
  end
  Refresh()
end

-- The player enters (the controller has checked and taken the price): the layers are cleared,
-- a firewall is opened for good, and a key node gives its key once. Returns the key type
-- gained, or 0.
function Enter()
  local gained = 0
  if node.FireWallProtected then
    node.FireWallProtected = false
    node.KeyType = 0
    R.Call(node.FireWall and node.FireWall.FireWallScript, "Open")
  elseif node.KeyType ~= 0 then
    gained = node.KeyType
    node.KeyType = 0
  end
  node.EncryptionLayers = 0
  Refresh()
  return gained
end

-- Siphoning: all of the node's credits; the node then shows as drained.
function Drain()
  local taken = node.Credits
  if taken <= 0 then
    return 0
  end
  node.Credits = 0
  Refresh()
  return taken
end
