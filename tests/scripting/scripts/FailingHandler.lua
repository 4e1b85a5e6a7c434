function Initialize()
  Events.GlobalLuaConnect("LogicUpdate", this, "Boom")
end

function Boom(update)
  error("boom")
end
