-- Small file and text helpers the scripts share.
local F = {}

-- Whether a file of the data folder can be opened for reading.
function F.Exists(path)
  local f = io.open(path, "r")
  if f then
    f:close()
    return true
  end
  return false
end

-- A piece of a damaged file fit to print: bytes that are not printable show as \xNN.
function F.Printable(text)
  return (text:gsub("[^\32-\126]", function(byte)
    return string.format("\\x%02X", byte:byte())
  end))
end

return F
