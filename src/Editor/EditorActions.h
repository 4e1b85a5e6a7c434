#pragma once
#include <string>
#include <vector>

class GameNode;
class GameObject;
class Space;

// What the editor does to a level, apart from its windows: name checks, deleting with the
// links cleared, linking nodes both ways, copying nodes, the file lists and saving.
namespace EditorActions {

// Longest name the editor accepts for an object, an archetype or a level.
constexpr size_t kMaxName = 255;

// A name typed into the editor: not empty, at most 255 characters, no path separator, no
// "..", no control character. False with the reason when the name is refused.
bool CheckName(const std::string& name, std::string& why);
// A new name for an object: as CheckName, and not "Particle", the name of the objects that are
// neither listed nor saved (an object renamed so would vanish from the list and the file).
bool CheckObjectName(const std::string& name, std::string& why);
// The level file name for a typed name: ".level" is added when missing.
std::string LevelFileName(const std::string& typed);

enum Direction { kUp, kDown, kLeft, kRight };
constexpr Direction kDirections[] = {kUp, kDown, kLeft, kRight};
const char* DirectionName(Direction direction); // "Up", "Down", "Left", "Right"
Direction Opposite(Direction direction);
int& LinkId(GameNode& node, Direction direction);
bool& LinkOpen(GameNode& node, Direction direction);

// Links `from` to `to` in the direction and `to` back to `from` in the opposite one, so both
// ends agree; a node either of them was linked to there before, and that linked back, is
// unlinked. A null `to` removes the link at both ends. Both must have a GameNode.
void Link(Space& space, GameObject* from, Direction direction, GameObject* to);
// Opens or closes the link in that direction at both ends.
void SetLinkOpen(Space& space, GameObject* from, Direction direction, bool open);

// Sets every link, firewall and link-particle id of the space's nodes that names the id to none,
// and every patrol that starts there to none (-1). Returns how many fields were cleared.
int ClearLinksTo(Space& space, int id);
// Destroys the object (and its children) after clearing the links that name them.
void DeleteObject(Space& space, GameObject* object);

// A new object with the same name, components and children as the source, its node links and
// link particles cleared, placed one unit to the right of it. Null when the source is not
// written (inactive, dead or a child).
GameObject* CopyBeside(Space& space, GameObject* source);

// One link of the node graph as stored: from a node to the id in a direction.
struct LinkView {
  int from = -1;
  int to = -1;
  Direction direction = kUp;
  bool open = true;
  // The other end does not link back (or names another node), or disagrees about open.
  bool oneSided = false;
  // The id names no object of the space.
  bool missing = false;
};
// Every link of the live objects with a GameNode, in object-list order then Up, Down, Left,
// Right.
std::vector<LinkView> NodeLinks(const Space& space);

// The file lists the editor offers: level files ("X.level"), archetype names and script names
// (without their extensions).
std::vector<std::string> LevelFiles();
std::vector<std::string> ArchetypeNames();
std::vector<std::string> ScriptNames();

// Writes the level under "Node Levels\" + file name with the level writer's atomic save (the
// folder is made when missing). False with the reason when the file could not be written; the
// old file is then kept as it was.
bool SaveLevelFile(const Space& space, const std::string& fileName, std::string& why);

} // namespace EditorActions
