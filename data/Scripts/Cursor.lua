-- The cursor sprite: follows the mouse through the letter-boxed default view, with the arrow's
-- tip on the pointer; hidden until the mouse first moves, so keyboard and controller players
-- never see it.
local S = dofile("Scripts/lib/Screens.lua")
local C = dofile("Scripts/lib/Cursor.lua")
local connections = dofile("Scripts/lib/Connections.lua").For(this)

function Initialize()
  connections:Connect({ "MouseMoved", "WindowResized" })
end

-- Puts the arrow's tip (the image's top-left corner) on window pixel px, py.
function Place(px, py)
  local owner = this.Owner
  if owner == nil then
    return
  end
  local w, h = C.WindowSize()
  local x, y = S.ToWorld(px, py, w, h)
  local t = owner.Transform.Translation
  owner.Transform.Translation = Vector2D(x + C.Size / 2, y - C.Size / 2, t.w)
  owner.Sprite.Visible = true
  this.PixelX, this.PixelY = px, py
end

function OnMouseMoved(event)
  Place(event.XPos, event.YPos)
end

function OnWindowResized(event)
  C.SetWindowSize(event.XDim, event.YDim)
  if this.PixelX then
    Place(this.PixelX, this.PixelY)
  end
end

function Shutdown()
  connections:DropAll()
end
