-- Loaded with a level: once every object exists, walks the level's nodes from "start".
function Initialize()
  Events.GlobalLuaConnect("AllObjectsCreated", this, "OnLoaded")
end

function OnLoaded(created)
  local names, credits = {}, 0
  local node = this.Space:GetObjectByName("start")
  while node do
    names[#names + 1] = node.Name
    credits = credits + node.GameNode.Credits
    if node.GameNode.EndNode then
      break
    end
    node = node.GameNode.RightNode
  end
  _G.levelWalk = table.concat(names, ",")
  _G.levelCredits = credits
  _G.levelQuarter = created.Quarter
end

function Shutdown()
  _G.levelWalkerShutdowns = (_G.levelWalkerShutdowns or 0) + 1
end
