-- Removes itself from its object while one of its own handlers runs.
function Initialize()
  Events.GlobalLuaConnect("LogicUpdate", this, "Go")
end

function Go()
  _G.goCalls = (_G.goCalls or 0) + 1
  this.Owner:RemoveLuaComponent("SelfRemover")
  _G.nameAfterRemoval = this.Name
end

function Shutdown()
  _G.selfRemoverShutdowns = (_G.selfRemoverShutdowns or 0) + 1
end
