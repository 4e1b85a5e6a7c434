-- Asks its object for names it does not have.
function Initialize() end

function MissingComponent()
  this.Owner:RemoveComponent("Nothing")
  reached = true
end

function MissingScript()
  this.Owner:GetLuaComponent("Nothing")
  reached = true
end

function WrongArgument()
  this.Owner:SetParent(5)
end
