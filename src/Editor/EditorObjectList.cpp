// The "Object List" window: the objects of "Main" with their per-object actions, "Create Empty
// Object" and the "Archetype Menu".
#include <imgui.h>

#include "Core/Space.h"
#include "Editor/EditorActions.h"
#include "Editor/EditorPanels.h"
#include "Editor/EditorWidgets.h"
#include "Editor/LevelEditor.h"
#include "Meta/File.h"
#include "Meta/TypeRegistry.h"
#include "Objects/GameObject.h"
#include "Scripting/LuaComponent.h"
#include "Utilities/Check.h"

namespace EditorPanels {

using namespace EditorUi;

namespace {
constexpr float kWindowWidth = 400.0f;
constexpr float kWindowHeight = 650.0f;
const char* const kParticleName = "Particle";

// Text typed into the popups, kept while they are open.
std::string g_newName;
std::string g_archetypeName;

std::string Labelled(const GameObject* object) {
  return NameOf(object) + "##" + std::to_string(object->m_Self);
}

void RenamePopup(LevelEditor& editor, GameObject& object) {
  if (Button("Change Name")) {
    g_newName = object.m_Name;
    ImGui::OpenPopup("Change Name");
  }
  if (!ImGui::BeginPopup("Change Name"))
    return;
  ProbeScope scope("Change Name");
  InputScratch("New Name", g_newName, 256);
  if (Button("Modify")) {
    std::string why;
    if (!EditorActions::CheckObjectName(g_newName, why)) {
      editor.Say("The name '" + g_newName + "' is refused: " + why, true);
    } else {
      Step();
      object.m_Name = g_newName;
      editor.Say("Renamed to '" + g_newName + "'");
      ImGui::CloseCurrentPopup();
    }
  }
  ImGui::SameLine();
  if (Button("Cancel"))
    ImGui::CloseCurrentPopup();
  ImGui::EndPopup();
}

void ParentPopup(LevelEditor& editor, GameObject& object) {
  if (Button("Add to Parent"))
    ImGui::OpenPopup("Add to Parent");
  if (object.parent) {
    ImGui::SameLine();
    if (Button("Remove from Parent")) {
      Step();
      object.RemoveFromParent();
    }
  }
  if (!ImGui::BeginPopup("Add to Parent"))
    return;
  ProbeScope scope("Add to Parent");
  for (GameObject* other : ListedObjects(editor, false)) {
    if (other == &object || other == object.parent)
      continue;
    if (!Selectable(Labelled(other).c_str()))
      continue;
    if (object.IsAncestorOf(other)) {
      editor.Say("'" + NameOf(other) + "' is a child of '" + NameOf(&object) +
                     "': it cannot become its parent",
                 true);
    } else {
      Step();
      object.SetParent(other);
      editor.Say("'" + NameOf(&object) + "' is now a child of '" + NameOf(other) + "'");
    }
  }
  ImGui::EndPopup();
}

void ComponentLists(LevelEditor& editor, GameObject& object) {
  bool open = ImGui::TreeNode("Components");
  Probe::Record("Components");
  if (!open)
    return;
  ImGui::TextUnformatted("\n \nAdd Components \n \n");
  {
    ImGui::PushID("add");
    ProbeScope scope("Add Components");
    for (const std::string& type : TypeRegistry::Get().ComponentNames())
      if (!object.GetComponent(type) && Button(type.c_str())) {
        Step();
        object.AddComponent(type);
      }
    ImGui::PopID();
  }
  ImGui::TextUnformatted("\n \nRemove Components\n \n");
  {
    ImGui::PushID("remove");
    ProbeScope scope("Remove Components");
    std::vector<std::string> names;
    for (const auto& entry : object.components)
      names.push_back(entry.first);
    for (const std::string& type : names)
      if (Button(type.c_str())) {
        Step();
        object.RemoveComponent(type);
      }
    ImGui::PopID();
  }
  ImGui::TextUnformatted("\n \nAdd Lua Components\n \n");
  {
    ImGui::PushID("addLua");
    ProbeScope scope("Add Lua Components");
    for (const std::string& script : EditorActions::ScriptNames())
      if (!object.GetLuaComponent(script) && Button(script.c_str())) {
        Step();
        object.AddLuaComponent(script);
        editor.Say("Added the script component '" + script + "'");
      }
    ImGui::PopID();
  }
  ImGui::TextUnformatted("\n \nRemove Lua Components\n \n");
  {
    ImGui::PushID("removeLua");
    ProbeScope scope("Remove Lua Components");
    std::vector<std::string> names;
    for (const auto& entry : object.luaComponents)
      names.push_back(entry.first);
    for (const std::string& script : names)
      if (Button(script.c_str())) {
        Step();
        object.RemoveLuaComponent(script);
      }
    ImGui::PopID();
  }
  ImGui::TreePop();
}

void DeletePopup(LevelEditor& editor, GameObject& object) {
  if (Button("Delete Object"))
    ImGui::OpenPopup("Delete Object?");
  if (!ImGui::BeginPopupModal("Delete Object?", nullptr, ImGuiWindowFlags_AlwaysAutoResize))
    return;
  ProbeScope scope("Delete Object?");
  ImGui::TextUnformatted("Are you sure you really want to really do this, for reals?");
  if (Button("\t \t yes\t \t")) {
    Step();
    editor.Say("Deleted '" + NameOf(&object) + "'");
    EditorActions::DeleteObject(*editor.current, &object);
    ImGui::CloseCurrentPopup();
  }
  ImGui::SameLine();
  if (Button("\t \t no\t \t"))
    ImGui::CloseCurrentPopup();
  ImGui::EndPopup();
}

void ObjectEntry(LevelEditor& editor, GameObject& object) {
  // Keyed by the object, not its id: two objects of a space may share an id (a hand-edited
  // file), and their entries must still open and ask on their own.
  ImGui::PushID(&object);
  ProbeScope scope(NameOf(&object));
  ImGuiTreeNodeFlags flags = ImGuiTreeNodeFlags_OpenOnArrow | ImGuiTreeNodeFlags_OpenOnDoubleClick;
  if (editor.Selected() == &object)
    flags |= ImGuiTreeNodeFlags_Selected;
  bool open = ImGui::TreeNodeEx("entry", flags, "%s", NameOf(&object).c_str());
  Probe::Record("entry", NameOf(&object));
  Tip("CLICK TO SELECT");
  if (ImGui::IsItemClicked() && !ImGui::IsItemToggledOpen())
    editor.SelectObject(&object);
  if (open) {
    RenamePopup(editor, object);
    ParentPopup(editor, object);
    ComponentLists(editor, object);
    std::vector<GameObject*> children = object.children;
    for (GameObject* child : children)
      if (child && child->parent == &object && !child->IsDead)
        ObjectEntry(editor, *child);
    DeletePopup(editor, object);
    ImGui::TreePop();
  }
  ImGui::PopID();
}

void ArchetypeMenu(LevelEditor& editor) {
  bool open = ImGui::CollapsingHeader("Archetype Menu");
  Probe::Record("Archetype Menu");
  if (!open)
    return;
  ProbeScope scope("Archetype Menu");
  bool openArchetype = ImGui::TreeNode("Create Archetype Instance");
  Probe::Record("Create Archetype Instance");
  if (openArchetype) {
    static ImGuiTextFilter filter;
    ImGui::TextUnformatted("Choose Archetype From File");
    filter.Draw("Filter (inc,-exc)##archetypes");
    for (const std::string& name : EditorActions::ArchetypeNames()) {
      if (!filter.PassFilter(name.c_str()) || !Selectable(name.c_str()))
        continue;
      Step();
      int reports = CheckFailureCount();
      GameObject* made = editor.current->CreateArchetypeInstance(name);
      editor.SelectObject(made);
      if (CheckFailureCount() != reports)
        editor.Say("The instance of '" + name +
                       "' holds only what could be read: " + LastCheckDetail(),
                   true);
      else
        editor.Say("Made an instance of '" + name + "'");
    }
    ImGui::TreePop();
  }
  bool openNew = ImGui::TreeNode("Create New Archetype From Object List");
  Probe::Record("Create New Archetype From Object List");
  if (openNew) {
    InputScratch("Name of File", g_archetypeName, 256);
    ImGui::TextUnformatted("Choose Name of Archetype");
    ProbeScope listScope("Choose Name of Archetype");
    for (GameObject* object : ListedObjects(editor, true)) {
      if (!Selectable(Labelled(object).c_str()))
        continue;
      std::string why;
      if (!EditorActions::CheckName(g_archetypeName, why)) {
        editor.Say("The archetype name '" + g_archetypeName + "' is refused: " + why, true);
        continue;
      }
      Step();
      if (SaveArchetype(object, g_archetypeName))
        editor.Say("Saved '" + NameOf(object) + "' as " + ArchetypePath(g_archetypeName));
      else
        editor.Say("Could not write " + ArchetypePath(g_archetypeName), true);
    }
    ImGui::TreePop();
  }
}
} // namespace

std::string NameOf(const GameObject* object) {
  if (!object || object->m_Name.empty())
    return "Unnamed";
  return object->m_Name;
}

std::vector<GameObject*> ListedObjects(LevelEditor& editor, bool topLevelOnly) {
  std::vector<GameObject*> listed;
  if (!editor.current)
    return listed;
  for (GameObject* object : editor.current->objects)
    if (object && !object->IsDead && object->m_Name != kParticleName &&
        (!topLevelOnly || !object->parent))
      listed.push_back(object);
  return listed;
}

void DrawObjectList(LevelEditor& editor) {
  Space& space = *editor.current;
  float right = ImGui::GetIO().DisplaySize.x - kWindowWidth - 10.0f;
  ImGui::SetNextWindowPos(ImVec2(right > 420.0f ? right : 420.0f, 20.0f), ImGuiCond_FirstUseEver);
  ImGui::SetNextWindowSize(ImVec2(kWindowWidth, kWindowHeight), ImGuiCond_FirstUseEver);
  if (!ImGui::Begin("Object List")) {
    ImGui::End();
    return;
  }
  if (ImGui::CollapsingHeader("Objects Currently in Space", ImGuiTreeNodeFlags_DefaultOpen)) {
    editor.particleCount = 0;
    for (GameObject* object : space.objects)
      if (object && object->m_Name == kParticleName)
        ++editor.particleCount;
    Text("Particles:", "Particles: " + std::to_string(editor.particleCount));
    static ImGuiTextFilter filter;
    filter.Draw("Filter (inc,-exc)");
    Probe::Record("Filter (inc,-exc)");
    for (GameObject* object : ListedObjects(editor, true))
      if (filter.PassFilter(NameOf(object).c_str()))
        ObjectEntry(editor, *object);
  }
  ImGui::Separator();
  if (Button("Create Empty Object")) {
    Step();
    GameObject* made = space.CreateEmptyObject();
    made->m_Name = "Empty Object";
    editor.SelectObject(made);
  }
  ArchetypeMenu(editor);
  ImGui::End();
}

} // namespace EditorPanels
