-- A script without "Initialize".
function Answer()
  return 42
end
