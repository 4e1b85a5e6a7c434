-- What the splash, menu and victory screens share: the level order's first level, and window
-- pixels mapped to the default view (10 units high, letter-boxed 16:9, centred on 0, 0).
local S = {}

S.ViewHeight = 10
S.Aspect = 16 / 9

function S.ToWorld(px, py, windowW, windowH)
  local vw, vh = windowW, math.floor(windowW / S.Aspect + 0.5)
  if windowH < vh then
    vw, vh = math.floor(windowH * S.Aspect + 0.5), windowH
  end
  local vx, vy = math.floor(windowW / 2) - math.floor(vw / 2), math.floor(windowH / 2) - math.floor(vh / 2)
  local height = S.ViewHeight
  return ((px - vx) / vw - 0.5) * height * S.Aspect, -((py - vy) / vh - 0.5) * height
end

-- The first level of the pars file the level checker keeps, else Level01.level.
function S.FirstLevel()
  local best, bestNumber = nil, math.huge
  local f = io.open("Node Levels/Pars.txt", "r")
  if f then
    for line in f:lines() do
      local number, file = line:match("^(%d+)%s+(%S+)")
      if number and tonumber(number) < bestNumber then
        best, bestNumber = file, tonumber(number)
      end
    end
    f:close()
  end
  return best or "Level01.level"
end

return S
