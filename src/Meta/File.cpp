#include "Meta/File.h"

#include "Core/Space.h"
#include "Objects/EventDispatcher.h"
#include "Objects/Events.h"
#include "Objects/GameObject.h"

void Space::LoadLevel(const std::string& path) {
  Clear();
  LevelName = path.size() > 12 ? path.substr(12) : std::string();
  AllObjectsCreated created;
  created.Quarter = 3;
  if (EventDispatcher::ms_Singleton)
    EventDispatcher::ms_Singleton->SendToSpace(created, this, "AllObjectsCreated");
}

bool Space::SaveLevel(const std::string&) { return false; }

bool LoadArchetype(GameObject* object, const std::string&) {
  object->Release();
  return false;
}

bool SaveArchetype(GameObject* object, const std::string& archetypeName) {
  object->m_ArchetypeName = archetypeName;
  return false;
}
