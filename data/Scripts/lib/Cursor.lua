-- The game's own mouse cursor (the system cursor is hidden for the whole run): one object in a
-- space of its own, so it outlives the level changes of the "Main" space and shows over the
-- splash, the menus, the levels and the pause screen alike. Also gives the window size that
-- clicks are mapped with.
local C = {}

C.SpaceName = "Cursor"
C.Size = 0.45 -- world units of the 10-unit-high default view: about 32 pixels at 720 lines
C.Layer = 9 -- the top draw layer

-- The window size in pixels: the window's own, which is right from the first frame (a window
-- that opens full screen on a desktop of another size hears no resize); without a window, as
-- the last "WindowResized" gave it, else 1280 x 720.
function C.WindowSize()
  local w, h = Input.WindowWidth(), Input.WindowHeight()
  if w > 0 and h > 0 then
    return w, h
  end
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
  if space:GetObjectByName("Camera") == nil then
    -- The view of the screens (10 units high, 16:9), letter-boxed in any window like the level.
    local camera = space:CreateArchetypeInstance("ScreenCamera")
    if camera then
      camera.Name = "Camera" -- made once, even if the archetype cannot be read
    end
  end
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
