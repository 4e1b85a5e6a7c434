-- The VANTIX sprite scene drawn by LÖVE, two ways: one draw call per sprite, or hand-batched
-- (the four sheets packed into one atlas drawn through one SpriteBatch).
--   love love_sprites DIR N PX FRAMES single|batch     prints "ms_per_frame X"
-- DIR holds Graphics/Art/sheet0..3.png and atlas.png, written by "bench_sprites art DIR".
local dir, count, pixels, frames, mode

local function readImage(path)
  local file = assert(io.open(path, "rb"))
  local bytes = file:read("*a")
  file:close()
  local image = love.graphics.newImage(love.filesystem.newFileData(bytes, path), {mipmaps = true})
  image:setFilter("linear", "linear")
  image:setMipmapFilter("linear")
  image:setWrap("clamp", "clamp")
  return image
end

-- The same placements as bench_sprites (same generator and order).
local function placements(n)
  local state = 12345
  local function nextValue()
    state = (state * 1103515245 + 12345) % 4294967296
    return math.floor(state / 256) % 65536 / 65536
  end
  local placed = {}
  for i = 0, n - 1 do
    local x = nextValue() * 1280
    local y = nextValue() * 720
    local r = nextValue() * 6.2831853
    local phase = nextValue() * 0.4
    placed[#placed + 1] = {i = i, x = x, y = y, r = r, sheet = i % 4, layer = i % 10,
                           timer = phase * 0.25, frame = 0}
  end
  -- Drawn layer by layer, as VANTIX draws its ten layers.
  table.sort(placed, function(a, b)
    if a.layer ~= b.layer then return a.layer < b.layer end
    return a.i > b.i
  end)
  return placed
end

-- A failure prints and ends the run instead of showing LÖVE's error screen.
function love.errorhandler(message)
  io.stderr:write("love_sprites: " .. tostring(message) .. "\n")
  return nil
end

function love.load(args)
  dir, count, pixels, frames, mode = args[1], tonumber(args[2]), tonumber(args[3]),
    tonumber(args[4]), args[5]
end

function love.run()
  love.load(love.arg.parseGameArguments(arg), arg)
  local sprites = placements(count)
  local scale = pixels / 32
  local sheets, quads, atlas, atlasQuads, batch = {}, {}, nil, {}, nil
  if mode == "batch" then
    atlas = readImage(dir .. "/atlas.png")
    for s = 0, 3 do
      atlasQuads[s] = {}
      for f = 0, 3 do
        atlasQuads[s][f] = love.graphics.newQuad(f * 32, s * 32, 32, 32, 128, 128)
      end
    end
    batch = love.graphics.newSpriteBatch(atlas, count, "stream")
  else
    for s = 0, 3 do
      sheets[s] = readImage(dir .. "/Graphics/Art/sheet" .. s .. ".png")
    end
    for f = 0, 3 do
      quads[f] = love.graphics.newQuad(f * 32, 0, 32, 32, 128, 32)
    end
  end
  local dt = 1 / 60
  local function frame()
    for _, p in ipairs(sprites) do
      p.timer = p.timer + dt
      if p.timer > 0.1 then
        p.frame = (p.frame + 1) % 4
        p.timer = 0
      end
    end
    love.graphics.clear(0, 0, 0, 1)
    love.graphics.setColor(1, 1, 1, 0.9)
    if batch then
      batch:clear()
      for _, p in ipairs(sprites) do
        batch:add(atlasQuads[p.sheet][p.frame], p.x, p.y, p.r, scale, scale, 16, 16)
      end
      love.graphics.draw(batch)
    else
      for _, p in ipairs(sprites) do
        love.graphics.draw(sheets[p.sheet], quads[p.frame], p.x, p.y, p.r, scale, scale, 16, 16)
      end
    end
    love.graphics.present()
    love.event.pump()
  end
  for _ = 1, 20 do frame() end
  local start, startCpu = love.timer.getTime(), os.clock()
  for _ = 1, frames do frame() end
  local ms = (love.timer.getTime() - start) * 1000 / frames
  -- CPU time of the whole process (the rasteriser's threads too): steadier than the clock on a
  -- loaded machine.
  local cpu = (os.clock() - startCpu) * 1000 / frames
  io.write(string.format("ms_per_frame %.4f cpu_ms_per_frame %.4f\n", ms, cpu))
  io.flush()
  return function() return 0 end
end
