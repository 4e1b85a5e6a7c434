function Initialize() end

function k()
  return "function k"
end
