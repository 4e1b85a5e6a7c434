-- Logs every call it gets under its object's name and, on each update, runs whatever the test's
-- plan holds for that name.
function Initialize()
  me = this.Owner.Name
  Events.GlobalLuaConnect("LogicUpdate", this, "OnUpdate")
end

function OnUpdate(update)
  _G.log = (_G.log or "") .. me .. ";"
  local step = _G.plan and _G.plan[me]
  if step then
    step(this, update)
  end
end

function Late(update)
  _G.log = (_G.log or "") .. me .. ":late;"
end

function Shutdown()
  _G.log = (_G.log or "") .. me .. ":shutdown;"
end
