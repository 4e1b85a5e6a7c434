-- A patrol: each turn it tries straight ahead, its right, its left and back, takes the first
-- open link, turns along it and steps (eased); with no open link it waits facing as it was.
-- A sentry (MoveDir 0) never moves. After a ping it shows, for a few turns, the direction it
-- will take next. This.NodeId and this.MoveDir tell where it stands and faces.
local R = dofile("Scripts/lib/GameRules.lua")

local level = nil
local me = nil -- the level table's patrol entry: node index and facing (dir)
local revealed = 0 -- turns the ping arrow stays shown
local arrow = nil -- the arrow object, made on the first ping
local moving = false -- a step is being animated; the arrow waits for its end

function Initialize()
  -- After a hot reload the level is already running: ask the turn controller for it again.
  R.Call(R.Controller(this.Space), "Rejoin")
end

function Shutdown()
  level = nil
  me = nil
  arrow = nil
end

local function Publish()
  this.NodeId = level.nodes[me.node].id
  this.MoveDir = me.dir
end

local function Face(object, dir)
  if object ~= nil and dir >= 1 and dir <= 4 then
    object.Transform.Rotation = R.Facing[dir]
  end
end

-- A patrol drawn with the game's art shows whether it moves: a sentry has a picture of its
-- own, whatever the level file (one built in the editor, say) gave it. The picture in use is
-- published as this.Look.
local function ShowKind(object, dir)
  local sprite = object and object.Sprite
  if sprite == nil then
    return
  end
  local file = sprite:GetTexture():match("[^\\/]+$")
  local want = dir == 0 and R.Art.Sentry or R.Art.Patrol
  if (file == R.Art.Patrol or file == R.Art.Sentry) and file ~= want then
    sprite:SwapTexture(want)
    file = want
  end
  this.Look = file
end

function Setup(levelTable, entry)
  level = levelTable
  me = entry
  local node = level.nodes[me.node]
  R.Place(this.Owner, node.x, node.y)
  Face(this.Owner, me.dir)
  ShowKind(this.Owner, me.dir)
  Publish()
end

-- The direction of the next step, or nil when the patrol stays (sentry, or no open link).
function NextDirection()
  if me == nil or me.dir < 1 or me.dir > 4 then
    return nil
  end
  local here = level.nodes[me.node]
  for _, d in ipairs(R.PatrolOrder[me.dir]) do
    if here.next[d] and R.IsLinked(here.node, d) then
      return d
    end
  end
  return nil
end

local function ShowArrow()
  if revealed <= 0 then
    if arrow ~= nil then
      arrow.Sprite.Visible = false
    end
    return
  end
  local d = NextDirection()
  if arrow == nil then
    local x, y = R.Position(this.Owner)
    arrow = this.Space:CreateAtPosition("PatrolIntent", Vector2D(x, y, 1))
  end
  if arrow == nil or arrow.Sprite == nil then
    return
  end
  local node = level.nodes[me.node]
  local offset = 0.45
  local dx, dy = 0, 0
  if d == R.Up then
    dy = offset
  elseif d == R.Down then
    dy = -offset
  elseif d == R.Left then
    dx = -offset
  elseif d == R.Right then
    dx = offset
  end
  R.Place(arrow, node.x + dx, node.y + dy)
  arrow.Sprite.Visible = d ~= nil
  Face(arrow, d or 4)
  this.Revealed = revealed
end

-- A ping reached this patrol: show its next step for `turns` turns.
function Reveal(turns)
  revealed = math.max(revealed, turns)
  ShowArrow()
end

-- Commits this turn's step and returns its animation, or nil when the patrol stays.
function Step()
  local d = NextDirection()
  if d == nil then
    return nil
  end
  local from = level.nodes[me.node]
  me.node = from.next[d]
  local oldDir = me.dir
  me.dir = d
  moving = true
  Publish()
  if arrow ~= nil then
    arrow.Sprite.Visible = false
  end
  local to = level.nodes[me.node]
  local owner = this.Owner
  local fromAngle = R.Facing[oldDir]
  local turn = R.Facing[d] - fromAngle
  -- Turn the short way round.
  if turn > math.pi then
    turn = turn - 2 * math.pi
  elseif turn < -math.pi then
    turn = turn + 2 * math.pi
  end
  local t = 0
  return {
    Advance = function(dt)
      t = math.min(t + dt, R.PatrolTime)
      R.Place(owner, Easing.easeInOutSin(t, from.x, to.x - from.x, R.PatrolTime),
        Easing.easeInOutSin(t, from.y, to.y - from.y, R.PatrolTime))
      owner.Transform.Rotation = Easing.easeOutQuad(math.min(t * 2, R.PatrolTime), fromAngle, turn, R.PatrolTime)
      if t >= R.PatrolTime then
        moving = false
        ShowArrow()
        return true
      end
      return false
    end,
  }
end

-- A turn is over: a ping's display lasts its number of turns.
function TurnEnded()
  if revealed > 0 then
    revealed = revealed - 1
    this.Revealed = revealed
  end
  if not moving or revealed <= 0 then
    ShowArrow()
  end
end
