-- Counts per-frame updates; the update arrives as the argument and as `event`.
count = 0

function Initialize()
  initialized = (initialized or 0) + 1
  Events.GlobalLuaConnect("LogicUpdate", this, "OnUpdate")
end

function OnUpdate(update)
  count = count + 1
  lastDt = update.dt
  sameEvent = rawequal(update, event)
end

function GetCount()
  return count
end

function Shutdown()
  _G.shutdowns = (_G.shutdowns or 0) + 1
end
