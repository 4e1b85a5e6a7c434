-- Notes the name of its owner as its script starts, while the level is still being read.
function Initialize()
  _G.ownersSeen = (_G.ownersSeen or "") .. this.Owner.Name .. ","
end
