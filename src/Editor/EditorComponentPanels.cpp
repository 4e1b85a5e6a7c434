// The inspectors of the selected object: one collapsing section per component it has.
#include <cmath>
#include <cstdio>
#include <imgui.h>

#include "Core/Space.h"
#include "Editor/EditorActions.h"
#include "Editor/EditorPanels.h"
#include "Editor/EditorWidgets.h"
#include "Editor/LevelEditor.h"
#include "Gameplay/GameplayComponents.h"
#include "Graphics/Font.h"
#include "Graphics/Sprite.h"
#include "Objects/Camera.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "Particles/ParticleComponents.h"
#include "Physics/RigidBody.h"
#include "Systems/GraphicsEngine.h"

namespace EditorPanels {

using namespace EditorUi;
using EditorActions::Direction;

namespace {
// The rotation tools work in units of this value, as the rotation field shows.
constexpr float kPi = 3.14159f;

struct RotationTool {
  const char* label;
  bool set; // sets the shown value, else adds to it
  float value;
};
const RotationTool kRotationTools[] = {{"Set to 0", true, 0.0f},
                                       {"Set to pi", true, 0.5f},
                                       {"Set to pi/2", true, 0.25f},
                                       {"Add pi/6", false, 0.083333336f},
                                       {"Add pi/4", false, 0.125f},
                                       {"Subtract pi/6", false, -0.083333336f},
                                       {"Subtract to pi/4", false, -0.125f}};

// The right-click popup of a position or scale field: rounding to whole and half units.
void RoundingTools(const char* popup, char axis, float& value) {
  ImGui::OpenPopupOnItemClick(popup, ImGuiPopupFlags_MouseButtonRight);
  if (!ImGui::BeginPopup(popup))
    return;
  ProbeScope scope(popup);
  std::string toWhole = std::string("Round ") + axis + " to 0";
  std::string toHalf = std::string("Round ") + axis + " to 0.5";
  if (Button(toWhole.c_str())) {
    Step();
    value = std::trunc(value + 0.5f);
    ImGui::CloseCurrentPopup();
  }
  if (Button(toHalf.c_str())) {
    Step();
    value = std::trunc(value) + 0.5f;
    ImGui::CloseCurrentPopup();
  }
  ImGui::EndPopup();
}

void RotationField(LevelEditor& editor, Transform& transform) {
  editor.rotationInPi = transform.rotation_ / kPi;
  if (DragFloat("Rotation", editor.rotationInPi, 0.01f, "%4.2f, in PI"))
    transform.rotation_ = editor.rotationInPi * kPi;
  ImGui::OpenPopupOnItemClick("Rotation Tools", ImGuiPopupFlags_MouseButtonRight);
  if (!ImGui::BeginPopup("Rotation Tools"))
    return;
  ProbeScope scope("Rotation Tools");
  if (ImGui::BeginTable("rotation tools", 2)) {
    for (const RotationTool& tool : kRotationTools) {
      ImGui::TableNextColumn();
      if (Button(tool.label)) {
        Step();
        editor.rotationInPi = tool.set ? tool.value : editor.rotationInPi + tool.value;
        transform.rotation_ = editor.rotationInPi * kPi;
      }
    }
    ImGui::EndTable();
  }
  ImGui::EndPopup();
}

void TransformInspector(LevelEditor& editor, Transform& transform) {
  if (!ImGui::CollapsingHeader("Transform", ImGuiTreeNodeFlags_DefaultOpen))
    return;
  ProbeScope scope("Transform");
  DragFloat("X Position", transform.translation_.x_, 1.0f, "%.3f");
  RoundingTools("Positon Tools", 'X', transform.translation_.x_);
  DragFloat("Y Position", transform.translation_.y_, 1.0f, "%.3f");
  RoundingTools("Position Tools", 'Y', transform.translation_.y_);
  RotationField(editor, transform);

  ImGui::Checkbox("Link the scale!", &editor.linkScale);
  Probe::Record("Link the scale!", editor.linkScale ? "true" : "false");
  ImGui::PushID("scale");
  {
    ProbeScope scaleScope("Scale");
    DragFloat("X Scale", transform.scale_.x_, 1.0f, "%.3f");
    RoundingTools("Positon Tools", 'X', transform.scale_.x_);
    DragFloat("Y Scale", transform.scale_.y_, 1.0f, "%.3f");
    RoundingTools("Position Tools", 'Y', transform.scale_.y_);
  }
  ImGui::PopID();
  if (editor.linkScale && transform.scale_.y_ != transform.scale_.x_) {
    BeforeEdit();
    transform.scale_.y_ = transform.scale_.x_;
  }
  InputInt("Z order", transform.z_order, 1, 100);
}

// "RGBA" for a sprite or a text: the picked colour goes through SetColor as 0..255 channels.
template <class Look> void ColorField(Look& look) {
  float color[4] = {look.color_.r, look.color_.g, look.color_.b, look.color_.a};
  bool changed = ImGui::ColorEdit4("RGBA", color);
  Probe::Record("RGBA");
  if (!changed)
    return;
  BeforeEdit();
  look.SetColor(static_cast<int>(color[0] * 255.0f), static_cast<int>(color[1] * 255.0f),
                static_cast<int>(color[2] * 255.0f), static_cast<int>(color[3] * 255.0f));
}

// The art-list name a texture was taken under.
std::string ArtName(const Texture& texture) {
  const std::string& file = texture.filename_;
  return file.size() > kArtPrefixLength ? file.substr(kArtPrefixLength) : file;
}

void SpriteSourceList(Sprite& sprite) {
  static ImGuiTextFilter filter;
  Text("Sprite Source", "Sprite Source: " + ArtName(sprite.source_));
  filter.Draw("Filter (inc,-exc)##sprite");
  Probe::Record("Filter (inc,-exc)##sprite");
  GraphicsEngine* graphics = GraphicsEngine::ms_Singleton;
  if (!graphics || !ImGui::BeginListBox("Select Sprite"))
    return;
  ProbeScope scope("Select Sprite");
  std::string current = ArtName(sprite.source_);
  for (const std::string& name : graphics->textureNames) {
    if (!filter.PassFilter(name.c_str()))
      continue;
    if (Selectable(name.c_str(), name == current) && name != current) {
      Step();
      sprite.SwapTexture(name);
    }
  }
  ImGui::EndListBox();
}

void SpriteInspector(Sprite& sprite) {
  if (!ImGui::CollapsingHeader("Sprite", ImGuiTreeNodeFlags_DefaultOpen))
    return;
  ProbeScope scope("Sprite");
  Checkbox("Visible", sprite.visible_);
  ColorField(sprite);
  SpriteSourceList(sprite);
  Checkbox("FlipX", sprite.flipx_);
  Checkbox("FlipY", sprite.flipy_);
  Checkbox("Animation Active", sprite.active_animation_);
  DragFloat("Animation Rate", sprite.animate_rate_, 0.01f, "%.3f");
  Text("Current Frame =", "Current Frame = " + std::to_string(sprite.current_frame_));
}

void FontInspector(Font& font) {
  if (!ImGui::CollapsingHeader("Font", ImGuiTreeNodeFlags_DefaultOpen))
    return;
  ProbeScope scope("Font");
  ImGui::PushID("font");
  Checkbox("Visible", font.visible_);
  ColorField(font);
  Checkbox("FlipX", font.flipx_);
  Checkbox("FlipY", font.flipy_);
  Checkbox("Animation Active", font.active_animation_);
  DragFloat("Animation Rate", font.animate_rate_, 0.01f, "%.3f");
  std::string text = font.text_;
  if (InputText("Name of File", text))
    font.SetText(text);
  static const char* const kAlignments[] = {"Left", "Center", "Right"};
  int align = font.align_ >= 0 && font.align_ < 3 ? font.align_ : 0;
  if (ImGui::BeginCombo("Select Alignment", kAlignments[align])) {
    ProbeScope comboScope("Select Alignment");
    for (int i = 0; i < 3; ++i)
      if (Selectable(kAlignments[i], i == font.align_) && i != font.align_) {
        Step();
        font.align_ = i;
      }
    ImGui::EndCombo();
  }
  Probe::Record("Select Alignment", kAlignments[align]);
  Text("Font Texture", "Font Texture: " + ArtName(font.source_));
  if (Selectable("font.png", ArtName(font.source_) == "font.png") &&
      ArtName(font.source_) != "font.png") {
    Step();
    font.SwapTexture("font.png");
  }
  ImGui::PopID();
}

void CameraInspector(GameObject& object, Camera& camera) {
  if (!ImGui::CollapsingHeader("Camera", ImGuiTreeNodeFlags_DefaultOpen))
    return;
  ProbeScope scope("Camera");
  if (!object.GetComponent("Transform")) {
    Text("Add a transform", "Add a transform to use the camera");
    return;
  }
  DragFloat("Width", camera.width_, 0.1f, "%.3f");
}

void RigidBodyInspector(RigidBody& body) {
  if (!ImGui::CollapsingHeader("RigidyBody", ImGuiTreeNodeFlags_DefaultOpen))
    return;
  ProbeScope scope("RigidyBody");
  DragFloat("X Velocity", body.vel_.x_, 0.1f, "%.3f");
  DragFloat("Y Velocity", body.vel_.y_, 0.1f, "%.3f");
  DragFloat("X Acceleration", body.accel_.x_, 0.1f, "%.3f");
  DragFloat("Y Acceleration", body.accel_.y_, 0.1f, "%.3f");
}

std::string NameAndId(const GameObject& object) {
  return NameOf(&object) + " (" + std::to_string(object.m_Self) + ")";
}

std::string Describe(const Space& space, int id) {
  if (id < 0)
    return "None";
  GameObject* object = space.GetObjectById(id);
  if (!object || object->IsDead)
    return "missing object " + std::to_string(id);
  return NameAndId(*object);
}

// A node as the pickers offer it: its name, its id and where it stands, since a level's nodes
// often all share one name.
std::string NodeChoice(GameObject& object) {
  std::string label = NameAndId(object);
  if (auto* transform = object.Get<Transform>("Transform")) {
    Vector2D at = transform->GetWorldTranslation(&object);
    char where[64];
    std::snprintf(where, sizeof where, " at (%g, %g)", at.x_, at.y_);
    label += where;
  }
  return label;
}

// A popup listing the space's nodes; returns true when one (or "Select None") was chosen.
bool PickNode(LevelEditor& editor, const char* popup, const GameObject* except, int& chosenId) {
  if (!ImGui::BeginPopup(popup))
    return false;
  ProbeScope scope(popup);
  bool chosen = false;
  if (Selectable("Select None")) {
    chosenId = -1;
    chosen = true;
  }
  for (GameObject* object : ListedObjects(editor, false)) {
    if (object == except || !object->GetComponent("GameNode"))
      continue;
    std::string label = NodeChoice(*object);
    if (Selectable(label.c_str())) {
      chosenId = object->m_Self;
      chosen = true;
    }
  }
  ImGui::EndPopup();
  return chosen;
}

void NodeLinkFields(LevelEditor& editor, GameObject& object, GameNode& node, Direction direction) {
  Space& space = *editor.current;
  std::string name = EditorActions::DirectionName(direction);
  ImGui::PushID(name.c_str());
  bool open = EditorActions::LinkOpen(node, direction);
  std::string linked = "Linked " + name;
  if (ImGui::Checkbox(linked.c_str(), &open)) {
    Step();
    EditorActions::SetLinkOpen(space, &object, direction, open);
  }
  Probe::Record(linked, open ? "true" : "false");
  std::string nodeLabel = name + " Node";
  Text(nodeLabel, nodeLabel + ": " + Describe(space, EditorActions::LinkId(node, direction)));
  std::string select = "Select " + name + " Node";
  std::string popup = "Select " + name + " Connection";
  if (Button(select.c_str()))
    ImGui::OpenPopup(popup.c_str());
  int chosen = -1;
  if (PickNode(editor, popup.c_str(), &object, chosen)) {
    Step();
    EditorActions::Link(space, &object, direction,
                        chosen < 0 ? nullptr : space.GetObjectById(chosen));
  }
  ImGui::PopID();
}

void GameNodeInspector(LevelEditor& editor, GameObject& object, GameNode& node) {
  if (!ImGui::CollapsingHeader("Node Properties", ImGuiTreeNodeFlags_DefaultOpen))
    return;
  ProbeScope scope("Node Properties");
  Checkbox("EndNode", node.EndNode);
  InputInt("Credits", node.Credits);
  InputInt("EncryptionLayers", node.EncryptionLayers);
  InputInt("KeyType", node.KeyType);
  Checkbox("FireWallProtected", node.FireWallProtected);
  InputInt("FireWallID", node.FireWallID);
  for (Direction direction : EditorActions::kDirections) {
    ImGui::Separator();
    NodeLinkFields(editor, object, node, direction);
  }
}

const char* DirectionLabel(int moveDir) {
  static const char* const labels[] = {"No Direction", "Up", "Down", "Left", "Right"};
  return moveDir >= 0 && moveDir <= 4 ? labels[moveDir] : "No Direction";
}

void PatrolInspector(LevelEditor& editor, Patrol& patrol) {
  if (!ImGui::CollapsingHeader("Enemy Patrol", ImGuiTreeNodeFlags_DefaultOpen))
    return;
  ProbeScope scope("Enemy Patrol");
  Text("Starting Node", "Starting Node: " + Describe(*editor.current, patrol.StartID));
  if (Button("Select Node"))
    ImGui::OpenPopup("Select Starting Node");
  int chosen = -1;
  if (PickNode(editor, "Select Starting Node", nullptr, chosen)) {
    Step();
    patrol.StartID = chosen;
  }
  Text("Move Direction", "Move Direction");
  Text("Current Direction is:",
       std::string("Current Direction is: ") + DirectionLabel(patrol.MoveDir));
  if (Button("Direction for Move"))
    ImGui::OpenPopup("Direction for Move");
  if (ImGui::BeginPopup("Direction for Move")) {
    ProbeScope popupScope("Direction for Move");
    static const char* const choices[] = {"None", "Up", "Down", "Left", "Right"};
    for (int i = 0; i < 5; ++i)
      if (Selectable(choices[i], patrol.MoveDir == i) && patrol.MoveDir != i) {
        Step();
        patrol.MoveDir = i;
      }
    ImGui::EndPopup();
  }
}

void PlayerInspector(Player& player) {
  if (!ImGui::CollapsingHeader("Player", ImGuiTreeNodeFlags_DefaultOpen))
    return;
  ProbeScope scope("Player");
  InputInt("Starting Credits", player.Credits);
  InputInt("Level Number", player.LevelNum);
}

// Emitter fields: each control carries its tooltip, and every change goes to the hook.
struct EmitterEdit {
  ParticleEmitter* emitter = nullptr;
  bool changed = false;
  void Note(bool edited, const char* tip) {
    Tip(tip);
    changed = changed || edited;
  }
};

void ParticleEmitterInspector(GameObject& object, ParticleEmitter& e) {
  if (!ImGui::CollapsingHeader("Particle System", ImGuiTreeNodeFlags_DefaultOpen))
    return;
  ProbeScope scope("Particle System");
  ImGui::PushID("emitter");
  EmitterEdit edit{&e};
  if (Button(e.Ellipse ? "Ellipse" : "Box")) {
    Step();
    e.Ellipse = !e.Ellipse;
    edit.changed = true;
  }
  edit.Note(false, "True if Ellipse, False if Box");
  if (Button(e.RelativeSpace == 1 ? "Local" : "World")) {
    Step();
    e.RelativeSpace = e.RelativeSpace == 1 ? 0 : 1;
    edit.changed = true;
  }
  edit.Note(false, "Local: particles are children of the emitter; World: they are not");
  edit.Note(Checkbox("Active", e.Active), "The emitter emits only while this is set");
  edit.Note(DragDouble("Warmup", e.Warmup), "Seconds of particles made when the emitter is made");
  static const char* const kModes[] = {"Billboard", "FaceVelocity"};
  int mode = e.GeometryMode == 1 ? 1 : 0;
  if (ImGui::Combo("GeometryMode", &mode, kModes, 2) && mode != e.GeometryMode) {
    Step();
    e.GeometryMode = mode;
    edit.changed = true;
  }
  Probe::Record("GeometryMode", kModes[mode]);
  edit.Note(false, "Billboard or FaceVelocity");
  edit.Note(Checkbox("LoopAnimation", e.LoopAnimation), "Loop the particles' animation");
  edit.Note(DragDouble("AnimationSpeed", e.AnimationSpeed), "Animation rate of each particle");
  edit.Note(InputInt("BlendMode", e.BlendMode), "Blend mode given to particles that emit");
  edit.Note(DragFloat4("Tint", &e.Tint.x), "The base colour of the particles");
  edit.Note(DragFloat4("RandomTintRange", &e.RandomTintRange.x),
            "Half-range of the random change of each colour channel");
  edit.Note(Checkbox("TintAffectEmitters", e.TintAffectEmitters),
            "Whether the tint reaches particles that are emitters");
  edit.Note(InputText("Objects", e.Objects), "The archetype each particle is made from");
  edit.Note(DragFloat2("VelocityScale", &e.VelocityScale.x), "Stretch of the scale by velocity");
  edit.Note(InputInt("EmitCount", e.EmitCount),
            "If not 0 then max amount of Particles to emit before stopping");
  edit.Note(DragFloat("EmissionRate", e.EmissionRate),
            "The amount of particles to emit per second");
  edit.Note(DragFloat("EmissionVariance", e.EmissionVariance),
            "Half-range of the random change of the emission rate");
  edit.Note(DragFloat2("Scale", &e.Scale.x), "The base scale of the particles");
  edit.Note(DragFloat("SquareScaleVariance", e.SquareScaleVariance),
            "Half-range of a random factor applied to both scale axes");
  edit.Note(DragFloat2("ScaleVariance", &e.ScaleVariance.x),
            "Half-range of a random offset added to each scale axis");
  edit.Note(DragFloat("Lifetime", e.Lifetime), "Seconds a particle lives");
  edit.Note(DragFloat("LifetimeVariance", e.LifetimeVariance),
            "Half-range of the random change of the lifetime");
  edit.Note(DragFloat2("EmitterSize", &e.EmitterSize.x), "Outer half-extents of the spawn area");
  edit.Note(DragFloat2("CenterEmpty", &e.CenterEmpty.x),
            "Inner half-extents of the spawn area that stay empty");
  edit.Note(DragFloat2("AddEmitterVelocity", &e.AddEmitterVelocity.x),
            "Share of the emitter's velocity added to each particle");
  edit.Note(DragFloat2("BaseVelocity", &e.BaseVelocity.x), "The base velocity of the particles");
  edit.Note(DragFloat2("VelocityVariance", &e.VelocityVariance.x),
            "Half-range of the random change of the velocity");
  edit.Note(DragFloat("FaceRotation", e.FaceRotation), "Start rotation in degrees");
  edit.Note(DragFloat("RotationRate", e.RotationRate), "Rotation per second");
  edit.Note(DragFloat("RotationRateVariance", e.RotationRateVariance),
            "Half-range of the random change of the rotation rate");
  edit.Note(Checkbox("RandomDirection", e.RandomDirection),
            "Start each particle at a random rotation instead of FaceRotation");
  if (auto* timer = object.Get<ParticleTimer>("ParticleTimer")) {
    char line[64];
    std::snprintf(line, sizeof line, "Particle Timer: %.3f s left", timer->remaining);
    Text("Particle Timer", line);
  }
  ImGui::PopID();
  if (edit.changed)
    EmitterFieldsEdited(e);
}

void SimpleEmitterInspector(SimpleEmitter& e) {
  if (!ImGui::CollapsingHeader("Simple Emitter", ImGuiTreeNodeFlags_DefaultOpen))
    return;
  ProbeScope scope("Simple Emitter");
  ImGui::PushID("simple");
  InputText("SpriteSource", e.SpriteSource);
  Tip("The image of every particle; empty emits nothing");
  DragFloat4("Color", &e.Color.x);
  Tip("The colour of the particles' sprites");
  InputInt("BlendMode", e.BlendMode);
  Tip("Blend mode of the particles");
  DragFloat("EmissionRate", e.EmissionRate);
  Tip("The amount of particles to emit per second");
  DragFloat("EmissionVariance", e.EmissionVariance);
  Tip("Random change of the emission rate");
  DragFloat2("Area", &e.Area.x);
  Tip("Full width and height of the spawn rectangle");
  DragFloat2("Size", &e.Size.x);
  Tip("The scale of the particles");
  DragFloat("Lifetime", e.Lifetime);
  Tip("Seconds a particle lives");
  DragFloat2("BaseVelocity", &e.BaseVelocity.x);
  Tip("The base velocity of the particles");
  DragFloat2("VelocityVariance", &e.VelocityVariance.x);
  Tip("Full width of the random change of the velocity on each axis");
  ImGui::PopID();
}
} // namespace

// The emitter's behaviour choices follow its fields at once, not only at its next update.
void EmitterFieldsEdited(ParticleEmitter& emitter) {
  emitter.RemakeChoices();
}

void DrawInspectors(LevelEditor& editor, GameObject& object) {
  if (auto* transform = object.Get<Transform>("Transform"))
    TransformInspector(editor, *transform);
  if (auto* sprite = object.Get<Sprite>("Sprite"))
    SpriteInspector(*sprite);
  if (auto* emitter = object.Get<ParticleEmitter>("ParticleEmitter"))
    ParticleEmitterInspector(object, *emitter);
  if (auto* node = object.Get<GameNode>("GameNode"))
    GameNodeInspector(editor, object, *node);
  if (auto* player = object.Get<Player>("Player"))
    PlayerInspector(*player);
  if (auto* patrol = object.Get<Patrol>("Patrol"))
    PatrolInspector(editor, *patrol);
  if (auto* body = object.Get<RigidBody>("RigidBody"))
    RigidBodyInspector(*body);
  if (auto* camera = object.Get<Camera>("Camera"))
    CameraInspector(object, *camera);
  if (auto* font = object.Get<Font>("Font"))
    FontInspector(*font);
  if (auto* simple = object.Get<SimpleEmitter>("SimpleEmitter"))
    SimpleEmitterInspector(*simple);
}

} // namespace EditorPanels
