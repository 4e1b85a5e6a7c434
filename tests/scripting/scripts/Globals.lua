-- Top-level globals land in the instance, not in _G.
shared = (shared or 0) + 1
k = 7

function Initialize() end

function Shared()
  return shared
end

function Bump()
  shared = shared + 1
end
