-- Walks the node graph from a start node in one direction, naming every node on the way.
function Initialize() end

function Walk(start, direction)
  local names = {}
  local node = start
  local guard = 0
  while node and guard < 100 do
    names[#names + 1] = node.Name
    node = node.GameNode[direction .. "Node"]
    guard = guard + 1
  end
  return table.concat(names, ",")
end

-- Every node reachable through open links, counted once.
function Reachable(start)
  local seen, queue, count = {}, { start }, 0
  while #queue > 0 do
    local node = table.remove(queue, 1)
    local id = node.Name
    if not seen[id] then
      seen[id] = true
      count = count + 1
      local n = node.GameNode
      for _, d in ipairs({ "Up", "Down", "Left", "Right" }) do
        local next = n[d .. "Node"]
        if next and n[d .. "Linked"] then
          queue[#queue + 1] = next
        end
      end
    end
  end
  return count
end
