#pragma once
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "Objects/Vector2D.h"

class BaseComponent;
class GameObject;
struct TypeInfo;

// An independent world of game objects holding one level. Objects and components come from
// the space's pools and go back to them; nothing is freed during play.
class Space {
public:
  static constexpr int kObjectBlock = 200;
  static constexpr int kComponentBlock = 100;

  Space();
  ~Space();
  Space(const Space&) = delete;
  Space& operator=(const Space&) = delete;

  int idCounter = -1;
  bool m_Active = true;
  bool nextActive = false;
  int ID = 0;
  std::string name = "Main";
  int index = 0;
  std::string LevelName;
  bool restartPending = false;
  bool changePending = false;
  std::string changeTarget;

  std::vector<std::pair<int, GameObject*>> objectPool;
  std::vector<GameObject*> objects;
  std::vector<int> pendingDestroy;
  std::map<std::string, std::vector<BaseComponent*>> liveComponents;
  std::map<std::string, std::vector<BaseComponent*>> componentPool;

  // Objects.
  GameObject* CreateEmptyObject();
  // The next fresh object id: one past idCounter, or, once idCounter has reached the largest
  // int (a file can store it), the lowest id that no object of the space holds.
  int IssueId();
  GameObject* CreateArchetypeInstance(const std::string& archetypeName);
  GameObject* CreateAtPosition(const std::string& archetypeName, const Vector2D& position);
  GameObject* GetObjectByName(const std::string& name) const;
  std::vector<GameObject*> GetObjectsByName(const std::string& name) const;
  // Every object with a native component of that type name or a script component of that
  // name, in object order: how the game finds its pieces whatever a designer named them.
  std::vector<GameObject*> GetObjectsWith(const std::string& component) const;
  // The first of those, or null: stops at it, for look-ups made every frame.
  GameObject* GetObjectWith(const std::string& component) const;
  GameObject* GetObjectById(int id) const;

  // A component of the registered type from the pool; null for an unknown type name.
  // Always in the state of a new component of its type: a recycled one is reset first, so no
  // path (level reader, scripts, editor) sees what its last owner left. `info` saves a lookup.
  BaseComponent* NewComponent(const std::string& typeName, const TypeInfo* info = nullptr);
  // Puts a component back into the pool of its type (it must not be live any more).
  void ReturnComponent(const std::string& typeName, BaseComponent* component);
  // The entries that filed components in their objects' maps, kept when the components leave
  // so that filing the next ones allocates nothing: objects that come and go every frame
  // (particles) then cost no allocation once the space has run a while.
  using Filing = std::map<std::string, BaseComponent*>::node_type;
  void KeepFiling(Filing&& filing);
  // A kept entry (empty when there is none), its key and value for the caller to set.
  Filing TakeFiling();
  // Files `component` under `typeName` in `map` (an object's components) in a kept entry when
  // there is one. False, with the entry kept again, when the map has that type already.
  bool File(std::map<std::string, BaseComponent*, std::less<>>& map, const std::string& typeName,
            BaseComponent* component);
  size_t KeptFilings() const { return spareFilings.size(); }

  // Releases every object of the space back to the pool and drops its script connections.
  void Clear();
  // End-of-frame removal of the objects destroyed this frame.
  void DestroyPending();
  // Records a destroyed object for the end-of-frame pass (GameObject::Destroy uses it).
  void QueueDestroy(GameObject* object);

  // Levels.
  void ChangeLevel(const std::string& levelFileName);
  void RestartLevel();
  void Destroy() { m_Active = false; }
  void LoadLevel(const std::string& path);
  // Why the level file last loaded was not read whole (the reader's last report); empty when it
  // was. The reader has reported every problem already.
  std::string loadProblem;
  bool SaveLevel(const std::string& path);
  // Applies a pending restart or change (else the destruction pass), then the activity rule.
  void EndFrame();

  // Script property "Active": reads the current flag, writes the next frame's.
  bool GetActive() const { return m_Active; }
  void SetActive(bool value) { nextActive = value; }

  // Count of all objects ever allocated by this space (pool growth), for tests and benchmarks.
  size_t AllocatedObjects() const { return ownedObjects.size(); }

private:
  void GrowObjectPool();
  void ReleaseObject(GameObject* object);
  void ReleaseAll();
  // A child of a released parent is detached and destroyed with it.
  static void DestroyWithParent(GameObject* child);
  void DetachFromOtherSpaces(GameObject* object);
  std::vector<GameObject*> ownedObjects;
  std::vector<BaseComponent*> ownedComponents;
  // Objects destroyed by scripts while the destruction pass itself is releasing objects; their
  // indices may move before the pass gets to them, so they are kept by address.
  std::vector<GameObject*> lateDestroy;
  bool inDestroyPass = false;
  std::vector<Filing> spareFilings;
  // The destruction pass's list of the frame, kept with its capacity for the next frame.
  std::vector<int> destroyScratch;
};
