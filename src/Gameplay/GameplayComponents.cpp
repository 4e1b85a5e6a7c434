// The node, player and patrol components and the accessors that turn stored ids into objects.
#include "Gameplay/GameplayComponents.h"

#include "Core/Space.h"

GameObject* GameNode::Linked(int id) const {
  if (id < 0)
    return nullptr;
  Space* space = GetSpace();
  return space ? space->GetObjectById(id) : nullptr;
}

GameObject* Patrol::StartNode() const {
  Space* space = GetSpace();
  return space ? space->GetObjectById(StartID) : nullptr;
}
