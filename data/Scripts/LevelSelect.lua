-- Level select, from the main menu: every level reached so far (from the progress file), in the
-- level order, chosen like the menu's items; Left/Right jump between the two columns. Choosing
-- a level starts it with fresh totals; "MORE" turns the page when there are more levels than
-- slots; Back, Escape or B return to the menu.
local S = dofile("Scripts/lib/Screens.lua")
local P = dofile("Scripts/lib/Progress.lua")

local Slots = 16 -- "Item1".."Item16" in the level, two columns of eight
local Column = 8
local menu = nil
local chosen = false

local function Space()
  return this.Space
end

-- The reached levels as menu items, then Back. With more levels than slots, each page shows
-- one slot fewer of them and, after them, "MORE" for the next page (after the last, the first).
local page = 0

local function Build()
  local reached = P.Get().reached
  local levels = {}
  for _, level in ipairs(S.Levels()) do
    if level.number <= reached and S.FileExists("Node Levels/" .. level.file) then
      levels[#levels + 1] = level
    end
  end
  local perPage = #levels > Slots and Slots - 1 or Slots
  local pages = math.max(1, math.ceil(#levels / perPage))
  page = page % pages
  local items = {}
  for i = page * perPage + 1, math.min(#levels, (page + 1) * perPage) do
    local level = levels[i]
    items[#items + 1] = {
      action = level.file,
      label = (level.title or "") ~= "" and string.format("%d %s", level.number, string.upper(level.title))
        or tostring(level.number),
    }
  end
  if #items == 0 then
    items[1] = { action = S.FirstLevel(), label = "1" }
  end
  if pages > 1 then
    items[#items + 1] = { action = "more", label = "MORE" }
  end
  this.Page = page + 1
  local count = #items
  items[#items + 1] = { action = "back", object = "BackItem" }
  menu = S.Menu(Space, items, { hitWidth = 3.4, hitHeight = 0.35 })
  local space = Space()
  for i = 1, Slots do
    local object = space and space:GetObjectByName("Item" .. i)
    if object and object.Font then
      object.Font.Visible = i <= count
    end
  end
  this.Levels = count
end

local connections = dofile("Scripts/lib/Connections.lua").For(this)

function Initialize()
  connections:Connect({ "KeyIsTriggered", "MouseIsTriggered", "ControllerButtonDown", "WindowResized",
    "AllObjectsCreated" })
  S.EnsureHud()
end

local function Show()
  menu:Show()
  this.Selected = menu:Selected()
end

local function Back()
  if not chosen then
    chosen = true
    Sounds.PlaySound("hudclose")
    this.Space:ChangeLevel(S.MenuLevel)
  end
end

local function Choose()
  if chosen then
    return
  end
  local action = menu:Selected()
  if action == "back" then
    return Back()
  elseif action == "more" then
    page = page + 1
    Sounds.PlaySound("hudbloop")
    Build()
    return Show()
  end
  chosen = true
  Sounds.PlaySound("hudclose")
  S.StartRun(this.Space, action)
end

-- Left/Right jump to the same row of the other column, when there is a level there.
local function Jump(step)
  local i = menu.selected + step * Column
  if menu.selected <= this.Levels and i >= 1 and i <= this.Levels then
    menu.selected = i
    Sounds.PlaySound("hudbloop")
    Show()
  end
end

function OnAllObjectsCreated()
  Build()
  Show()
end

function OnKeyIsTriggered(event)
  if menu == nil then
    return
  end
  local key = event.Key
  if key == Keys.Escape then
    return Back()
  elseif key == Keys.Left or key == Keys.A then
    return Jump(-1)
  elseif key == Keys.Right or key == Keys.D then
    return Jump(1)
  end
  local result = menu:Key(key)
  if result == "choose" then
    Choose()
  elseif result then
    Show()
  end
end

function OnControllerButtonDown(event)
  if menu == nil then
    return
  end
  local buttons = ControllerInput.Buttons
  local b = event.Button
  if b == buttons.B then
    return Back()
  elseif b == buttons.DPadLeft then
    return Jump(-1)
  elseif b == buttons.DPadRight then
    return Jump(1)
  end
  local result = menu:Pad(b)
  if result == "choose" or b == buttons.Start then
    Choose()
  elseif result then
    Show()
  end
end

function OnWindowResized(event)
  S.OnWindowResized(event)
end

function OnMouseIsTriggered(event)
  if menu and event.Button == 1 and menu:Click(Input.MouseX(), Input.MouseY()) then
    Show()
    Choose()
  end
end

function Shutdown()
  connections:DropAll()
end
