#include "Scripting/LuaComponent.h"

#include <filesystem>

#include "Core/Engine.h"
#include "Core/Space.h"
#include "Objects/GameObject.h"

FileInfo::FileInfo(std::string filePath) : path(std::move(filePath)) { StatFile(); }

FileInfo::~FileInfo() = default;

bool FileInfo::StatFile() {
  std::error_code ec;
  auto when = std::filesystem::last_write_time(path, ec);
  if (ec) {
    modificationTime = 0;
    return false;
  }
  modificationTime = std::chrono::duration_cast<std::chrono::seconds>(when.time_since_epoch()).count();
  return true;
}

LuaComponent::LuaComponent() = default;

LuaComponent::LuaComponent(const std::string& scriptName, GameObject* owner)
    : FileInfo(scriptName + ".lua"), m_Name(scriptName) {
  if (owner) {
    ownerId = owner->m_Self;
    spaceIndex = owner->spaceIndex;
  }
}

LuaComponent::~LuaComponent() = default;

void LuaComponent::LoadByName(const std::string& scriptName) {
  path = "Scripts/" + scriptName + ".lua";
  Load();
}

void LuaComponent::Load() {}
void LuaComponent::Reload() {}
void LuaComponent::Call(const std::string&, int) {}

GameObject* LuaComponent::GetOwner() const {
  Space* space = GetSpace();
  return space ? space->GetObjectById(ownerId) : nullptr;
}

Space* LuaComponent::GetSpace() const {
  return Engine::ms_Singleton ? Engine::ms_Singleton->SpaceAt(spaceIndex) : nullptr;
}

void LuaComponent::Release(LuaComponent* component) { delete component; }

void LuaComponent::HandleEvent(PolyEventBase&, const std::string&) {}
