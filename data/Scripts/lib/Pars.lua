-- The level order, the pars and the titles, from the pars file the level generator writes from
-- the level checker's solutions: "<number> <file> <par> <title>" a line, in any order, with
-- blank lines and lines starting with # skipped. The entries come back sorted by number.
-- A file that cannot be read, or that lists no level, leaves the game playable: the levels are
-- then "Level01.level", "Level02.level", ... as far as they exist, with no par and no title.
-- Each problem is printed once a run, naming the file, as the checker names it.
local F = dofile("Scripts/lib/Files.lua")
local Pars = {}

Pars.File = "Node Levels/Pars.txt"

local function Report(problem)
  local told = _G.VantixParsProblems or {}
  _G.VantixParsProblems = told
  local text = Pars.File .. problem
  if not told[text] then
    told[text] = true
    print(text)
  end
end

-- The levels named by number alone, for a run without a usable pars file.
local function ByFileName()
  local entries = {}
  while true do
    local file = string.format("Level%02d.level", #entries + 1)
    if not F.Exists("Node Levels/" .. file) then
      return entries
    end
    entries[#entries + 1] = { number = #entries + 1, file = file, title = "" }
  end
end

-- { number, file, par, title } for every level, sorted by number.
function Pars.Read()
  local f = io.open(Pars.File, "r")
  if not f then
    Report(": cannot be read; the levels go by their file names and show no par")
    return ByFileName()
  end
  local entries = {}
  local lineNumber = 0
  for line in f:lines() do
    lineNumber = lineNumber + 1
    line = line:gsub("\r$", "")
    if line:match("%S") and not line:match("^#") then
      local number, file, par, title = line:match("^(%d+)%s+(%S+)%s+(%d+)%s*(.-)%s*$")
      if number then
        entries[#entries + 1] = { number = tonumber(number), file = file, par = tonumber(par), title = title }
      else
        Report(string.format(':%d: not "<number> <file> <par> <title>": "%s"; the line is skipped', lineNumber,
          F.Printable(line:sub(1, 60))))
      end
    end
  end
  f:close()
  if #entries == 0 then
    Report(": lists no level; the levels go by their file names and show no par")
    return ByFileName()
  end
  table.sort(entries, function(a, b)
    return a.number < b.number
  end)
  return entries
end

return Pars
