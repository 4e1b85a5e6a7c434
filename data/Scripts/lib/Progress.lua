-- The player's progress and options, kept in "Progress.txt" in the data folder: the highest
-- level reached, the music and effect volumes, mute and full screen. Read once per run (a
-- missing file is a fresh start; a malformed one is a fresh start with one message naming the
-- file), applied to the sound and the window, and written safely: the new text goes to a
-- temporary file that is then renamed over the old one, so a failed write never loses it.
local P = {}

P.File = "Progress.txt"
P.MaxBytes = 4096

-- The fields in file order, with their allowed values.
P.Fields = {
  { key = "reached", min = 1, max = 999, default = 1 },
  { key = "music", min = 0, max = 100, default = 100 },
  { key = "effects", min = 0, max = 100, default = 100 },
  { key = "mute", min = 0, max = 1, default = 0 },
  { key = "fullscreen", min = 0, max = 1, default = 1 },
}

local function Say(text)
  print(P.File .. ": " .. text)
end

function P.Defaults()
  local values = {}
  for _, field in ipairs(P.Fields) do
    values[field.key] = field.default
  end
  return values
end

local function FieldOf(key)
  for _, field in ipairs(P.Fields) do
    if field.key == key then
      return field
    end
  end
  return nil
end

local Printable = dofile("Scripts/lib/Files.lua").Printable

-- Whether a line could be the start of a setting line or of the end line (a write cut short).
local function Unfinished(line)
  local key, digits = line:match("^(%a+) (%d*)$")
  if key then
    return FieldOf(key) ~= nil and #digits <= 3
  end
  if not line:match("^%a+$") then
    return false
  end
  if ("end"):sub(1, #line) == line then
    return true
  end
  for _, field in ipairs(P.Fields) do
    if field.key:sub(1, #line) == line then
      return true
    end
  end
  return false
end

-- The values in a file's text, or nil and what is wrong with it. Every field must be there
-- once, and the last line must be "end" (a file cut short is caught).
function P.Parse(text)
  if #text > P.MaxBytes then
    return nil, "it is larger than " .. P.MaxBytes .. " bytes"
  end
  local values = {}
  local ended = false
  local number = 0
  local _, lastLine = text:gsub("\n", "")
  lastLine = lastLine + 1 -- the piece after the last line break (empty when the text ends with one)
  for line in (text .. "\n"):gmatch("([^\n]*)\n") do
    number = number + 1
    line = line:gsub("\r$", "")
    local where = "line " .. number .. ": "
    if ended and line:match("%S") then
      return nil, where .. "text after the end line"
    end
    if line == "end" then
      ended = true
    elseif line:match("^%s*$") or line:match("^#") then
      -- blank lines and comments
    else
      local key, value = line:match("^(%a+) (%S+)$")
      local field = key and FieldOf(key)
      if not field and number == lastLine and Unfinished(line) then
        return nil, "line " .. number .. " is cut short"
      end
      if not field then
        return nil, where .. "not a setting (\"" .. Printable(line:sub(1, 40)) .. "\")"
      end
      if values[key] ~= nil then
        return nil, where .. key .. " is given twice"
      end
      local n = value:match("^%d%d?%d?$") and tonumber(value)
      if not n or n < field.min or n > field.max then
        return nil, where .. key .. " must be a whole number from " .. field.min .. " to " .. field.max
      end
      values[key] = n
    end
  end
  if not ended then
    return nil, "it has no end line (cut short?)"
  end
  for _, field in ipairs(P.Fields) do
    if values[field.key] == nil then
      return nil, field.key .. " is missing"
    end
  end
  return values
end

function P.Format(values)
  local lines = { "# VANTIX progress and options" }
  for _, field in ipairs(P.Fields) do
    lines[#lines + 1] = field.key .. " " .. string.format("%d", values[field.key])
  end
  lines[#lines + 1] = "end"
  return table.concat(lines, "\n") .. "\n"
end

-- Reads the file: its values, or the defaults (with a message when it is there but unusable).
function P.Read()
  local f = io.open(P.File, "rb")
  if not f then
    return P.Defaults()
  end
  local text, readProblem = f:read(P.MaxBytes + 1)
  f:close()
  if text == nil and readProblem then
    -- Opened but not readable (a folder of that name, say): nothing was cut short.
    Say("cannot be read (" .. tostring(readProblem) .. "); progress and options start fresh")
    return P.Defaults()
  end
  local values, problem = P.Parse(text or "")
  if not values then
    Say("cannot be read (" .. problem .. "); progress and options start fresh")
    return P.Defaults()
  end
  return values
end

-- Writes the values; false (with a message) when the file could not be written, and then the
-- old file is untouched.
function P.Write(values)
  local temporary = P.File .. ".tmp"
  local f, openProblem = io.open(temporary, "wb")
  if not f then
    Say("not saved: " .. tostring(openProblem))
    return false
  end
  local written, writeProblem = f:write(P.Format(values))
  local closed, closeProblem = f:close()
  if not written or not closed then
    os.remove(temporary)
    Say("not saved: " .. tostring(writeProblem or closeProblem))
    return false
  end
  local renamed, renameProblem = os.rename(temporary, P.File)
  if not renamed then
    os.remove(temporary)
    -- The error names the temporary file, but it is the file itself that cannot be replaced.
    Say("not saved: it cannot be replaced (" .. tostring(renameProblem) .. ")")
    return false
  end
  return true
end

-- Puts the options into effect: volumes, mute and full screen.
function P.Apply(values)
  Sounds.SetMusicVolume(values.music / 100)
  Sounds.SetSFXVolume(values.effects / 100)
  Sounds.SetSoundToggle(values.mute == 1)
  if Graphics.IsFullScreen() ~= (values.fullscreen == 1) then
    Graphics.ToggleFullScreen()
  end
end

-- The run's values: read and applied on the first call of the run.
function P.Get()
  if _G.VantixProgress == nil then
    _G.VantixProgress = P.Read()
    P.Apply(_G.VantixProgress)
  end
  return _G.VantixProgress
end

-- Changes one value, applies it and saves.
function P.Set(key, value)
  local values = P.Get()
  local field = FieldOf(key)
  value = math.max(field.min, math.min(field.max, math.floor(value)))
  if values[key] == value then
    return
  end
  values[key] = value
  P.Apply(values)
  P.Write(values)
end

-- A level of that number has been reached.
function P.Reach(levelNum)
  local values = P.Get()
  if type(levelNum) == "number" and levelNum > values.reached and levelNum <= FieldOf("reached").max then
    values.reached = levelNum
    P.Write(values)
  end
end

return P
