-- The event connections of one script component, kept so that its Shutdown can drop them all.
-- A hot reload tells the old copy of a script "Shutdown" and then runs the new copy, whose
-- Initialize connects again: connections left behind would deliver every event twice.
--
--   local connections = dofile("Scripts/lib/Connections.lua").For(this)
--   function Initialize() connections:Connect({ "LogicUpdate", "KeyIsTriggered" }) end
--   function Shutdown() connections:DropAll() end
local Connections = {}

local List = {}
List.__index = List

function Connections.For(component)
  return setmetatable({ component = component, made = {} }, List)
end

-- Connects each event name (one name or a list) to the script function `handler`, or to
-- "On" .. name when no handler is given.
function List:Connect(names, handler)
  if type(names) == "string" then
    names = { names }
  end
  for _, name in ipairs(names) do
    local function_name = handler or ("On" .. name)
    Events.GlobalLuaConnect(name, self.component, function_name)
    self.made[#self.made + 1] = { name = name, handler = function_name }
  end
end

-- Drops every connection made through this list. Safe to call more than once: the engine
-- tells a script "Shutdown" once per connection when its space is cleared.
function List:DropAll()
  for i = #self.made, 1, -1 do
    local made = self.made[i]
    self.made[i] = nil
    Events.GlobalLuaDisconnect(made.name, self.component, made.handler)
  end
end

return Connections
