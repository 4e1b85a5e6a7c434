-- The game's shared data: directions, the patrols' turn order, timings, costs, sounds, and the
-- texts the HUD shows (refusal reasons and context help). Every role script loads it with
-- dofile, so the rules' constants live in one place.
local R = {}

-- Directions are numbered as a patrol's MoveDir: 1 up, 2 down, 3 left, 4 right.
R.Up, R.Down, R.Left, R.Right = 1, 2, 3, 4
R.DirField = { "Up", "Down", "Left", "Right" }
R.DirName = { "up", "down", "left", "right" }
R.Opposite = { 2, 1, 4, 3 }
-- A patrol tries straight ahead, its right, its left, then back.
R.PatrolOrder = {
  [1] = { 1, 4, 3, 2 },
  [2] = { 2, 3, 4, 1 },
  [3] = { 3, 1, 2, 4 },
  [4] = { 4, 2, 1, 3 },
}
-- Sprites turn clockwise for a positive rotation; the patrol and arrow art face right.
R.Facing = { -math.pi / 2, math.pi / 2, math.pi, 0 }

R.PingCost = 1
R.LinkCost = 2
R.PingTurns = 2 -- turns a ping keeps patrols shown
R.PingRange = 3 -- links from the player's node

-- Seconds of game time. The main loop delivers each frame's step twice (at the start and at
-- the end of the frame), so scripts count half of every step.
R.MoveTime = 0.22
R.PatrolTime = 0.22
R.FoundTime = 0.45
R.WonTime = 0.5
R.SiphonHold = 1.0
R.FlashTime = 0.25
function R.GameTime(dt)
  return dt * 0.5
end

-- Key colours by key type (the firewall, key node and HUD key icons use them).
R.KeyColor = {
  [1] = { 255, 200, 40 },
  [2] = { 230, 90, 255 },
  [3] = { 80, 255, 150 },
  [4] = { 255, 120, 80 },
}
function R.KeyTint(keyType)
  return R.KeyColor[keyType] or { 255, 255, 255 }
end

-- Why an action was refused (the HUD shows the last one).
R.Refusal = {
  NoLink = "There is no link that way.",
  Closed = "That link is closed.",
  Credits = "Not enough credits: entering costs %d.",
  Key = "The firewall needs a key of its colour.",
  KeyAndCredits = "The firewall needs a key and %d credits.",
  NothingToSiphon = "This node has no credits to siphon.",
  PingCredits = "A ping costs 1 credit.",
  LinkCredits = "Closing or opening a link costs 2 credits.",
  NoNeighbour = "There is no link that way to close or open.",
}

-- One line of context help, first the one that fits the situation.
R.Help = {
  Siphon = "Hold Space (or A) for a second to siphon %d credits.",
  Encrypted = "Entering an encrypted node costs one credit per layer, paid once.",
  FireWall = "A firewall opens with a key of its colour; keys sit on key nodes.",
  Ping = "F (or Y) pings for 1 credit: nearby patrols show where they go next.",
  Link = "Hold Left Shift (or a bumper) and a direction to close or open a link: 2 credits.",
  Wait = "Tab (or X) waits a turn while the patrols move.",
  End = "Reach the green end node.",
  Found = "Found! Restarting...",
  Won = "Network breached.",
}
-- The idea each level teaches, by level number.
R.LevelHelp = {
  [1] = "Move with the arrow keys, W A S D, the D-pad or a click. Reach the green end node.",
  [2] = "Hold Space (or A) on a node with credits to siphon them; encryption costs credits.",
  [3] = "Encryption is paid once: a node you opened stays open.",
  [4] = "Patrols move after you. Tab (or X) waits a turn; never share a node with a patrol.",
  [5] = "F (or Y) pings for 1 credit and shows where nearby patrols go next.",
  [6] = "Hold Left Shift (or a bumper) and a direction to close or open a link for 2 credits.",
  [7] = "Pick up the key, then open the firewall of its colour.",
  [8] = "The exit is encrypted: gather enough credits before you enter it.",
  [9] = "Two patrols. They never block each other.",
  [10] = "A key behind a patrol, and a firewall that also wants credits.",
  [11] = "The credits for the exit lie on the patrol's beat.",
  [12] = "Two key colours: each firewall opens only with its own.",
  [13] = "Three patrols sweep the grid; count their steps.",
  [14] = "Everything you have learnt, at once.",
}

R.Sound = {
  PlayerMove = "playermove",
  PatrolMove = "enemymove",
  Refused = "cantping",
  Ping = "ping",
  Link = "link",
  Unlink = "unlink",
  Siphon = "siphon",
  Death = "death",
  Victory = "levelvictory",
  Wait = "hudbloop", -- a short blip, so a wait is heard on a level without patrols too
}

-- Sprite textures of the game pieces.
R.Art = {
  Node = "node_plain.png",
  Credits = "node_credits.png",
  Drained = "node_drained.png",
  Key = "node_key.png",
  End = "node_end.png",
  Encrypted = { "node_enc1.png", "node_enc2.png", "node_enc3.png", "node_enc4.png" },
  Link = "link.png",
  LinkClosed = "link_closed.png",
  Patrol = "patrol_unit.png",
  Sentry = "sentry.png",
}

-- The neighbour object of a GameNode in direction d, and whether that link is open.
function R.Neighbour(gameNode, d)
  return gameNode[R.DirField[d] .. "Node"]
end
function R.IsLinked(gameNode, d)
  return gameNode[R.DirField[d] .. "Linked"]
end
function R.SetLinked(gameNode, d, open)
  gameNode[R.DirField[d] .. "Linked"] = open
end
function R.LinkParticles(gameNode, d)
  return gameNode[R.DirField[d] .. "Particles"]
end

-- A position of a transform, as plain numbers.
function R.Position(object)
  local t = object.Transform.Translation
  return t.x, t.y
end
function R.Place(object, x, y)
  local transform = object.Transform
  local t = transform.Translation
  transform.Translation = Vector2D(x, y, t.w)
end

-- The top-level objects of a space with that component or script (objects that are children of
-- another are not pieces of the level), in object order: the level's pieces are found by what
-- they are, whatever a designer named them.
function R.PiecesWith(space, component)
  local pieces = {}
  for _, object in ipairs(space and space:GetObjectsWith(component) or {}) do
    if object.Parent == nil then
      pieces[#pieces + 1] = object
    end
  end
  return pieces
end

-- The level's turn controller script in that space, or nil.
function R.Controller(space)
  local object = space and space:GetObjectWith("TurnController")
  return object and object.TurnController
end

-- Calls a function another script component offers, if it has it.
function R.Call(component, name, ...)
  if component == nil then
    return nil
  end
  local f = component[name]
  if type(f) ~= "function" then
    return nil
  end
  return f(...)
end

return R
