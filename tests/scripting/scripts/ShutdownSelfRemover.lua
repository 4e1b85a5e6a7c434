-- Removes itself from inside its own "Shutdown", after looking for the script filed after it.
function Initialize() end

function Shutdown()
  _G.selfShutdowns = (_G.selfShutdowns or 0) + 1
  _G.sawLater = this.Owner ~= nil and this.Owner.ShutdownWitness ~= nil
  this.Owner:RemoveLuaComponent("ShutdownSelfRemover")
end
