-- Looks around in its "Shutdown": its object, another object by name, and a node link.
function Initialize()
  node = this.Owner.GameNode
end

function Shutdown()
  sawOwner = this.Owner ~= nil
  sawOther = this.Space ~= nil and this.Space:GetObjectByName("Far") ~= nil
  sawLink = node ~= nil and node.UpNode ~= nil and node.UpNode.Name == "Far"
end
