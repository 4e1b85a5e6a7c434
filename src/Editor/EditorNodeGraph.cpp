// The node graph window: the level's nodes placed from their positions, their links (broken
// ones in red), scrolling, and the node context menu (rename, delete, copy, paste).
#include <cmath>
#include <cstdio>
#include <imgui.h>
#include <unordered_map>

#include "Core/Space.h"
#include "Editor/EditorActions.h"
#include "Editor/EditorPanels.h"
#include "Editor/EditorWidgets.h"
#include "Editor/LevelEditor.h"
#include "Gameplay/GameplayComponents.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"

namespace EditorPanels {

using namespace EditorUi;

namespace {
// Canvas units per world unit; y grows downwards on the canvas.
constexpr float kUnitX = 120.0f;
constexpr float kUnitY = -60.0f;
constexpr float kStub = 30.0f;
const ImU32 kOpenLink = IM_COL32(200, 200, 100, 255);
const ImU32 kClosedLink = IM_COL32(90, 110, 140, 255);
const ImU32 kBrokenLink = IM_COL32(255, 0, 0, 255);

struct GraphState {
  ImVec2 scrolling{0.0f, 0.0f};
  bool scrollingSet = false;
  bool showGrid = true;
  int contextNode = -1;
  int copiedNode = -1;
  int renameNode = -1;
  bool openRename = false;
  std::string newName;
};
GraphState g_graph;

struct NodeBox {
  GameObject* object;
  ImVec2 centre;
  ImVec2 min, max;
};

ImVec2 Direction(EditorActions::Direction direction) {
  switch (direction) {
  case EditorActions::kUp:
    return ImVec2(0.0f, -1.0f);
  case EditorActions::kDown:
    return ImVec2(0.0f, 1.0f);
  case EditorActions::kLeft:
    return ImVec2(-1.0f, 0.0f);
  default:
    return ImVec2(1.0f, 0.0f);
  }
}

// The nodes of the graph: every live object whose name contains "Node".
std::vector<NodeBox> Layout(LevelEditor& editor, ImVec2 origin) {
  std::vector<NodeBox> boxes;
  for (GameObject* object : ListedObjects(editor, false)) {
    if (object->m_Name.find("Node") == std::string::npos)
      continue;
    Vector2D at;
    if (auto* transform = object->Get<Transform>("Transform"))
      at = transform->translation_;
    ImVec2 centre(origin.x + kUnitX * at.x_, origin.y + kUnitY * at.y_);
    ImVec2 text = ImGui::CalcTextSize(NameOf(object).c_str());
    ImVec2 half(text.x * 0.5f + 8.0f, text.y + 4.0f);
    boxes.push_back({object, centre, ImVec2(centre.x - half.x, centre.y - half.y),
                     ImVec2(centre.x + half.x, centre.y + half.y)});
  }
  return boxes;
}

void DrawGrid(ImDrawList* draw, ImVec2 at, ImVec2 size) {
  const float step = 64.0f;
  ImU32 colour = IM_COL32(200, 200, 200, 40);
  for (float x = std::fmod(g_graph.scrolling.x, step); x < size.x; x += step)
    draw->AddLine(ImVec2(at.x + x, at.y), ImVec2(at.x + x, at.y + size.y), colour);
  for (float y = std::fmod(g_graph.scrolling.y, step); y < size.y; y += step)
    draw->AddLine(ImVec2(at.x, at.y + y), ImVec2(at.x + size.x, at.y + y), colour);
}

void DrawLinks(LevelEditor& editor, ImDrawList* draw, const std::vector<NodeBox>& boxes) {
  std::unordered_map<int, const NodeBox*> byId;
  for (const NodeBox& box : boxes)
    byId[box.object->m_Self] = &box;
  for (const EditorActions::LinkView& link : EditorActions::NodeLinks(*editor.current)) {
    auto from = byId.find(link.from);
    if (from == byId.end())
      continue;
    ImVec2 a = from->second->centre;
    auto to = byId.find(link.to);
    if (link.missing || to == byId.end()) {
      // A stub in the link's direction says that the id names nothing shown here.
      ImVec2 d = Direction(link.direction);
      ImVec2 end(a.x + d.x * (kStub + 20.0f), a.y + d.y * (kStub + 20.0f));
      draw->AddLine(a, end, kBrokenLink, 3.0f);
      char id[32];
      std::snprintf(id, sizeof id, "%d?", link.to);
      draw->AddText(end, kBrokenLink, id);
      continue;
    }
    ImU32 colour = link.oneSided ? kBrokenLink : (link.open ? kOpenLink : kClosedLink);
    draw->AddLine(a, to->second->centre, colour, link.oneSided ? 3.0f : 2.0f);
  }
}

// Draws the node and makes its button; the node under the mouse goes to `hovered`.
void DrawNode(LevelEditor& editor, ImDrawList* draw, const NodeBox& box, GameObject*& hovered) {
  GameObject* object = box.object;
  ImGui::PushID(object->m_Self);
  ImGui::SetCursorScreenPos(box.min);
  ImGui::InvisibleButton("node", ImVec2(box.max.x - box.min.x, box.max.y - box.min.y));
  Probe::Record("Node " + NameOf(object));
  if (ImGui::IsItemHovered())
    hovered = object;
  if (ImGui::IsItemClicked())
    editor.SelectObject(object);
  if (ImGui::IsItemActive() && ImGui::IsMouseDragging(ImGuiMouseButton_Left)) {
    ImVec2 delta = ImGui::GetIO().MouseDelta;
    auto* transform = object->Get<Transform>("Transform");
    if (transform && (delta.x != 0.0f || delta.y != 0.0f)) {
      BeforeEdit();
      transform->translation_.x_ += delta.x / kUnitX;
      transform->translation_.y_ += delta.y / kUnitY;
    }
  }
  bool chosen = editor.Selected() == object;
  auto* node = object->Get<GameNode>("GameNode");
  ImU32 fill = chosen ? IM_COL32(75, 90, 120, 255) : IM_COL32(55, 62, 78, 255);
  if (node && node->EndNode)
    fill = IM_COL32(60, 110, 70, 255);
  draw->AddRectFilled(box.min, box.max, fill, 4.0f);
  draw->AddRect(box.min, box.max,
                hovered == object ? IM_COL32(160, 170, 190, 255) : IM_COL32(100, 100, 100, 255),
                4.0f);
  ImVec2 text = ImGui::CalcTextSize(NameOf(object).c_str());
  draw->AddText(ImVec2(box.centre.x - text.x * 0.5f, box.min.y + 3.0f),
                IM_COL32(230, 230, 230, 255), NameOf(object).c_str());
  char id[24];
  std::snprintf(id, sizeof id, "#%d", object->m_Self);
  draw->AddText(ImVec2(box.min.x + 4.0f, box.min.y + 3.0f + text.y), IM_COL32(150, 160, 180, 255),
                id);
  ImGui::PopID();
}

void ContextMenu(LevelEditor& editor) {
  if (!ImGui::BeginPopup("context_menu"))
    return;
  ProbeScope scope("context_menu");
  Space& space = *editor.current;
  GameObject* node = g_graph.contextNode >= 0 ? space.GetObjectById(g_graph.contextNode) : nullptr;
  if (node) {
    ImGui::Text("Node '%s'", NameOf(node).c_str());
    ImGui::Separator();
    if (MenuItem("Rename..")) {
      g_graph.renameNode = node->m_Self;
      g_graph.newName = node->m_Name;
      g_graph.openRename = true;
    }
    if (MenuItem("Delete")) {
      Step();
      editor.Say("Deleted '" + NameOf(node) + "' and the links to it");
      EditorActions::DeleteObject(space, node);
    }
    if (MenuItem("Copy"))
      g_graph.copiedNode = node->m_Self;
  }
  GameObject* copied = g_graph.copiedNode >= 0 ? space.GetObjectById(g_graph.copiedNode) : nullptr;
  if (copied && copied->IsDead)
    copied = nullptr;
  ImGui::BeginDisabled(!copied);
  if (MenuItem("Paste") && copied) {
    Step();
    if (GameObject* made = EditorActions::CopyBeside(space, copied))
      editor.Say("Pasted a copy of '" + NameOf(copied) + "' as #" + std::to_string(made->m_Self));
    else
      editor.Say("'" + NameOf(copied) + "' cannot be copied (inactive or a child)", true);
  }
  ImGui::EndDisabled();
  ImGui::EndPopup();
}

void RenamePopup(LevelEditor& editor) {
  if (g_graph.openRename) {
    ImGui::OpenPopup("Rename Node");
    g_graph.openRename = false;
  }
  if (!ImGui::BeginPopup("Rename Node"))
    return;
  ProbeScope scope("Rename Node");
  InputScratch("New Name", g_graph.newName, 256);
  if (Button("Modify")) {
    std::string why;
    GameObject* node = editor.current->GetObjectById(g_graph.renameNode);
    if (!EditorActions::CheckObjectName(g_graph.newName, why)) {
      editor.Say("The name '" + g_graph.newName + "' is refused: " + why, true);
    } else if (node && !node->IsDead) {
      Step();
      node->m_Name = g_graph.newName;
      ImGui::CloseCurrentPopup();
    }
  }
  ImGui::SameLine();
  if (Button("Cancel"))
    ImGui::CloseCurrentPopup();
  ImGui::EndPopup();
}

void NodeList(LevelEditor& editor, const std::vector<NodeBox>& boxes) {
  ImGui::BeginChild("node_list", ImVec2(140.0f, 0.0f));
  ImGui::TextUnformatted("Nodes");
  ImGui::Separator();
  ProbeScope scope("node_list");
  for (const NodeBox& box : boxes) {
    std::string label = NameOf(box.object) + "##" + std::to_string(box.object->m_Self);
    if (Selectable(label.c_str(), editor.Selected() == box.object))
      editor.SelectObject(box.object);
  }
  ImGui::EndChild();
}
} // namespace

void DrawNodeGraph(LevelEditor& editor) {
  ImGui::SetNextWindowPos(ImVec2(650.0f, 20.0f), ImGuiCond_FirstUseEver);
  ImGui::SetNextWindowSize(ImVec2(600.0f, 420.0f), ImGuiCond_FirstUseEver);
  if (!ImGui::Begin("Example: Custom Node Graph", &editor.nodeGraphShown)) {
    ImGui::End();
    return;
  }
  ProbeScope scope("Node Graph");
  std::vector<NodeBox> listed = Layout(editor, ImVec2(0.0f, 0.0f));
  NodeList(editor, listed);
  ImGui::SameLine();
  ImGui::BeginGroup();
  ImGui::Text("Hold middle mouse button to scroll (%.2f,%.2f)", g_graph.scrolling.x,
              g_graph.scrolling.y);
  // The checkbox starts the line below: beside the scroll text it would fall outside a window
  // of the first size.
  ImGui::Checkbox("Show grid", &g_graph.showGrid);
  Probe::Record("Show grid", g_graph.showGrid ? "true" : "false");
  ImGui::SameLine();
  static std::string hoverLine;
  Text("Hover", hoverLine.empty() ? std::string(" ") : hoverLine);

  ImGui::PushStyleColor(ImGuiCol_ChildBg, IM_COL32(40, 44, 54, 255));
  ImGui::BeginChild("scrolling_region", ImVec2(0.0f, 0.0f), true,
                    ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoMove);
  ImVec2 canvas = ImGui::GetCursorScreenPos();
  ImVec2 size = ImGui::GetContentRegionAvail();
  if (!g_graph.scrollingSet) {
    g_graph.scrolling = ImVec2(size.x * 0.5f, size.y * 0.5f);
    g_graph.scrollingSet = true;
  }
  ImVec2 origin(canvas.x + g_graph.scrolling.x, canvas.y + g_graph.scrolling.y);
  ImDrawList* draw = ImGui::GetWindowDrawList();
  if (g_graph.showGrid)
    DrawGrid(draw, canvas, size);
  std::vector<NodeBox> boxes = Layout(editor, origin);
  DrawLinks(editor, draw, boxes);
  GameObject* hovered = nullptr;
  for (const NodeBox& box : boxes)
    DrawNode(editor, draw, box, hovered);

  hoverLine.clear();
  if (hovered) {
    auto* transform = hovered->Get<Transform>("Transform");
    char line[320];
    std::snprintf(line, sizeof line, "%s  Position: x = %f  y = %f", NameOf(hovered).c_str(),
                  transform ? transform->translation_.x_ : 0.0f,
                  transform ? transform->translation_.y_ : 0.0f);
    hoverLine = line;
  }
  if (ImGui::IsWindowHovered() && ImGui::IsMouseClicked(ImGuiMouseButton_Right)) {
    g_graph.contextNode = hovered ? hovered->m_Self : -1;
    ImGui::OpenPopup("context_menu");
  }
  ContextMenu(editor);
  RenamePopup(editor);
  if (ImGui::IsWindowHovered() && !ImGui::IsAnyItemActive() &&
      ImGui::IsMouseDragging(ImGuiMouseButton_Middle, 0.0f)) {
    g_graph.scrolling.x += ImGui::GetIO().MouseDelta.x;
    g_graph.scrolling.y += ImGui::GetIO().MouseDelta.y;
  }
  ImGui::EndChild();
  Probe::Record("Canvas");
  ImGui::PopStyleColor();
  ImGui::EndGroup();
  ImGui::End();
}

} // namespace EditorPanels
