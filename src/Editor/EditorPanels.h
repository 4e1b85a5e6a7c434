#pragma once
// The panels of the editor's frame, one file each, all drawing for the editor singleton.
#include <string>
#include <vector>

class GameObject;
class LevelEditor;
class ParticleEmitter;

namespace EditorPanels {

// The main window's inspectors for the object, in the fixed order of the components.
void DrawInspectors(LevelEditor& editor, GameObject& object);
// "Save", "New Level" and "Load Level", with their questions.
void DrawFileSection(LevelEditor& editor);
// The "Object List" window, "Create Empty Object" and the "Archetype Menu".
void DrawObjectList(LevelEditor& editor);
// The node graph window.
void DrawNodeGraph(LevelEditor& editor);
// Node links and collider outlines over the game view, through the default camera.
void DrawDebugOverlay(LevelEditor& editor);

// The particle system's re-making of an emitter's behaviour choices from its fields belongs
// here; the editor calls it after every edit of an emitter.
void EmitterFieldsEdited(ParticleEmitter& emitter);

// The objects of the current space that the lists offer: live, not particles, in list order.
std::vector<GameObject*> ListedObjects(LevelEditor& editor, bool topLevelOnly);
// "name" or "Unnamed".
std::string NameOf(const GameObject* object);

} // namespace EditorPanels
