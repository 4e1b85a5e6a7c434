function Initialize()
  local x = = 1
end
