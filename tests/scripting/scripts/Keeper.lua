-- Holds on to another object's script component and object after they are gone.
function Initialize() end

function Keep(component, object)
  kept = component
  keptObject = object
end

function ReadKeptName()
  return kept.Name
end

function WriteKept()
  kept.value = 1
end

function CallKept()
  return kept:Answer()
end

function KeptObjectName()
  return keptObject.Name
end
