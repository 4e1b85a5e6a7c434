-- The game's own mouse cursor (the system cursor is hidden for the whole run): one object in a
-- space of its own, so it outlives the level changes of the "Main" space and shows over the
-- splash, the menus, the levels and the pause screen alike. Also keeps the window size the
-- cursor last heard of, for scripts that map clicks and start after the last resize.
local C = {}

C.SpaceName = "Cursor"
C.Size = 0.45 -- world units of the 10-unit-high default view: about 32 pixels at 720 lines
C.Layer = 9 -- the top draw layer

-- The window size in pixels as the last "WindowResized" gave it (1280 x 720 before any).
function C.WindowSize()
  local size = _G.VantixWindow
  if size then
    return size.w, size.h
  end
  return 1280, 720
end

function C.SetWindowSize(w, h)
  _G.VantixWindow = { w = w, h = h }
end

-- Creates the cursor space and its cursor object unless they exist; returns the object.
function C.Ensure()
  local space = Engine.GetSpaceByName(C.SpaceName) or Engine.CreateSpaceByName(C.SpaceName)
  if space == nil then
    return nil
  end
  space.Active = true -- a space a script makes is inactive from the end of its first frame
  local cursor = space:GetObjectByName("Cursor")
  if cursor == nil then
    cursor = space:CreateEmptyObject()
    cursor.Name = "Cursor"
    local transform = cursor:AddComponent("Transform")
    transform.Scale = Vector2D(C.Size, C.Size, 1)
    transform.Z = C.Layer
    local sprite = cursor:AddComponent("Sprite")
    sprite:SwapTexture("cursor.png")
    sprite.Visible = false
    cursor:AddLuaComponent("Cursor")
  end
  return cursor
end

return C
