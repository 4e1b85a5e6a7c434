-- While its chunk runs, makes another object running this same script.
_G.nestedMade = (_G.nestedMade or 0) + 1
if _G.nestedMade < 3 then
  local other = this.Space:CreateEmptyObject()
  other.Name = "nested" .. _G.nestedMade
  other:AddLuaComponent("Nested")
end
mine = this.Owner.Name

function Initialize() end

function Mine()
  return mine
end
