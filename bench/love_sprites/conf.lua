-- The sprite scene's window: 1280 x 720, no vertical sync, nothing the scene does not use.
function love.conf(t)
  t.window.width = 1280
  t.window.height = 720
  t.window.vsync = 0
  t.window.title = "LOVE sprites"
  t.modules.audio = false
  t.modules.sound = false
  t.modules.joystick = false
  t.modules.physics = false
end
