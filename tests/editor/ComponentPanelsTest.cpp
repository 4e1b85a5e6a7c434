// The inspectors: the Transform tools' exact arithmetic and the other components' fields.
#include <cmath>

#include "Core/Space.h"
#include "Editor/LevelEditor.h"
#include "Gameplay/GameplayComponents.h"
#include "Graphics/Font.h"
#include "Graphics/Sprite.h"
#include "Objects/Camera.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "Particles/ParticleComponents.h"
#include "Physics/RigidBody.h"
#include "editor/EditorFixture.h"

class InspectorTest : public EditorTest {
protected:
  // Opens the editor with the object selected.
  Transform* Inspect(GameObject* object) {
    OpenEditor();
    EXPECT_TRUE(SelectInList(object->m_Name));
    return object->Get<Transform>("Transform");
  }
  // Right-clicks the field and clicks a button of its tools popup.
  void Tool(const std::string& field, const std::string& button) {
    ASSERT_TRUE(Click(field, SDL_BUTTON_RIGHT));
    ASSERT_TRUE(Click(button)) << button;
  }
};

TEST_F(InspectorTest, RoundingToolsTruncateAfterAddingAHalfOrKeepTheWholeNumber) {
  Transform* t = Inspect(Place("Mover", 2.7f, -2.7f));
  Tool("Transform/X Position", "Transform/Positon Tools/Round X to 0");
  EXPECT_FLOAT_EQ(t->translation_.x_, 3.0f);
  Tool("Transform/Y Position", "Transform/Position Tools/Round Y to 0");
  EXPECT_FLOAT_EQ(t->translation_.y_, -2.0f);
  t->translation_.x_ = -2.7f;
  Tool("Transform/X Position", "Transform/Positon Tools/Round X to 0");
  EXPECT_FLOAT_EQ(t->translation_.x_, -2.0f);
  t->translation_.x_ = 2.7f;
  Tool("Transform/X Position", "Transform/Positon Tools/Round X to 0.5");
  EXPECT_FLOAT_EQ(t->translation_.x_, 2.5f);
  t->scale_.y_ = 1.2f;
  Tool("Transform/Scale/Y Scale", "Transform/Scale/Position Tools/Round Y to 0.5");
  EXPECT_FLOAT_EQ(t->scale_.y_, 1.5f);
}

TEST_F(InspectorTest, SetToPiGivesHalfOfPiAndShowsHalf) {
  Transform* t = Inspect(Place("Spinner", 0, 0));
  Tool("Transform/Rotation", "Transform/Rotation Tools/Set to pi");
  EXPECT_FLOAT_EQ(t->rotation_, 0.5f * 3.14159f);
  EXPECT_EQ(Shown("Transform/Rotation"), "0.50, in PI");
  Tool("Transform/Rotation", "Transform/Rotation Tools/Add pi/4");
  EXPECT_FLOAT_EQ(t->rotation_, 0.625f * 3.14159f);
  Tool("Transform/Rotation", "Transform/Rotation Tools/Subtract pi/6");
  EXPECT_FLOAT_EQ(t->rotation_, (0.625f - 0.083333336f) * 3.14159f);
  Tool("Transform/Rotation", "Transform/Rotation Tools/Set to 0");
  EXPECT_FLOAT_EQ(t->rotation_, 0.0f);
}

TEST_F(InspectorTest, LinkedScaleFollowsXAndZOrderStepsByOneAndByAHundredWithCtrl) {
  Transform* t = Inspect(Place("Scaled", 0, 0));
  t->scale_ = Vector2D(2.0f, 5.0f, 0.0f);
  ASSERT_TRUE(Click("Transform/Link the scale!"));
  EXPECT_FLOAT_EQ(t->scale_.y_, 2.0f);
  ASSERT_TRUE(Drag("Transform/Scale/X Scale", 30));
  EXPECT_GT(t->scale_.x_, 2.0f);
  EXPECT_FLOAT_EQ(t->scale_.y_, t->scale_.x_);

  ASSERT_TRUE(Click("Transform/Z order/+"));
  EXPECT_EQ(t->z_order, 1);
  PushKey(true, SDLK_LCTRL, KMOD_LCTRL);
  ASSERT_TRUE(Click("Transform/Z order/+"));
  PushKey(false, SDLK_LCTRL);
  Frame();
  EXPECT_EQ(t->z_order, 101);
  ASSERT_TRUE(Click("Transform/Z order/-"));
  EXPECT_EQ(t->z_order, 100);
}

TEST_F(InspectorTest, NodePickersLinkBothEndsAndSelectNoneUnlinksThem) {
  GameObject* a = PlaceNode("A Node", 0, 0);
  GameObject* b = PlaceNode("B Node", 0, 1);
  Inspect(a);
  ASSERT_TRUE(Click("Node Properties/Select Up Node"));
  ASSERT_TRUE(Click("Node Properties/Select Up Connection/B Node (" + std::to_string(b->m_Self) +
                    ") at (0, 1)"));
  EXPECT_EQ(a->Get<GameNode>("GameNode")->UpID, b->m_Self);
  EXPECT_EQ(b->Get<GameNode>("GameNode")->DownID, a->m_Self);
  EXPECT_EQ(Shown("Node Properties/Up Node"),
            "Up Node: B Node (" + std::to_string(b->m_Self) + ")");
  ASSERT_TRUE(Click("Node Properties/Linked Up"));
  EXPECT_FALSE(a->Get<GameNode>("GameNode")->UpLinked);
  EXPECT_FALSE(b->Get<GameNode>("GameNode")->DownLinked) << "both ends agree";
  ASSERT_TRUE(Click("Node Properties/Select Up Node"));
  ASSERT_TRUE(Click("Node Properties/Select Up Connection/Select None"));
  EXPECT_EQ(a->Get<GameNode>("GameNode")->UpID, -1);
  EXPECT_EQ(b->Get<GameNode>("GameNode")->DownID, -1);
}

TEST_F(InspectorTest, PatrolStartNodeAndDirectionArePicked) {
  GameObject* node = PlaceNode("Post Node", 0, 0);
  GameObject* guard = Place("Guard", 0, 0);
  auto* patrol = static_cast<Patrol*>(guard->AddComponent("Patrol"));
  Inspect(guard);
  EXPECT_EQ(Shown("Enemy Patrol/Current Direction is:"), "Current Direction is: No Direction");
  ASSERT_TRUE(Click("Enemy Patrol/Select Node"));
  ASSERT_TRUE(Click("Enemy Patrol/Select Starting Node/Post Node (" + std::to_string(node->m_Self) +
                    ") at (0, 0)"));
  EXPECT_EQ(patrol->StartID, node->m_Self);
  ASSERT_TRUE(Click("Enemy Patrol/Direction for Move"));
  ASSERT_TRUE(Click("Enemy Patrol/Direction for Move/Left"));
  EXPECT_EQ(patrol->MoveDir, 3);
  EXPECT_EQ(Shown("Enemy Patrol/Current Direction is:"), "Current Direction is: Left");
}

TEST_F(InspectorTest, SpriteListSwapsTheTextureAndTypedFieldsReachTheirComponents) {
  GameObject* object = Place("Painted", 0, 0);
  auto* sprite = static_cast<Sprite*>(object->AddComponent("Sprite"));
  sprite->SwapTexture("red.png");
  object->AddComponent("Player");
  object->AddComponent("RigidBody");
  Inspect(object);
  ASSERT_TRUE(Type("Sprite/Filter (inc,-exc)##sprite", "blu"));
  EXPECT_FALSE(Has("Sprite/Select Sprite/red.png"));
  ASSERT_TRUE(Click("Sprite/Select Sprite/blue.png"));
  EXPECT_EQ(sprite->source_.filename_, "Graphics\\Art\\blue.png");
  ASSERT_TRUE(Type("Player/Starting Credits", "7"));
  Tap(SDLK_RETURN);
  EXPECT_EQ(object->Get<Player>("Player")->Credits, 7);
  ASSERT_TRUE(Drag("RigidyBody/X Velocity", 40));
  EXPECT_GT(object->Get<RigidBody>("RigidBody")->vel_.x_, 0.5f);
}

TEST_F(InspectorTest, FontTextAndAlignmentAndCameraWithoutTransform) {
  GameObject* label = Place("Label", 0, 0);
  auto* font = static_cast<Font*>(label->AddComponent("Font"));
  Inspect(label);
  ASSERT_TRUE(Type("Font/Name of File", "HELLO"));
  EXPECT_EQ(font->text_, "HELLO");
  EXPECT_EQ(font->Length_, 5u);
  ASSERT_TRUE(Click("Font/Select Alignment"));
  ASSERT_TRUE(Click("Font/Select Alignment/Right"));
  EXPECT_EQ(font->align_, 2);

  GameObject* lens = main->CreateEmptyObject();
  lens->m_Name = "Lens";
  lens->AddComponent("Camera");
  ASSERT_TRUE(SelectInList("Lens"));
  EXPECT_EQ(Shown("Camera/Add a transform"), "Add a transform to use the camera");
  EXPECT_FALSE(Has("Camera/Width"));
}

TEST_F(InspectorTest, EmitterFieldsCarryTooltipsAndTheButtonsToggleShapeAndSpace) {
  GameObject* source = Place("Fountain", 0, 0);
  auto* emitter = static_cast<ParticleEmitter*>(source->AddComponent("ParticleEmitter"));
  Inspect(source);
  const EditorUi::ProbeItem* rate = Find("Particle System/EmissionRate");
  ASSERT_NE(rate, nullptr);
  PushMotion(static_cast<int>(rate->x0) + 20, static_cast<int>((rate->y0 + rate->y1) / 2));
  Frames(2);
  EXPECT_EQ(Shown("Particle System/Tooltip"), "The amount of particles to emit per second");
  ASSERT_TRUE(Drag("Particle System/EmissionRate", 30));
  EXPECT_GT(emitter->EmissionRate, 20.5f);
  ASSERT_TRUE(Click("Particle System/Box"));
  EXPECT_TRUE(emitter->Ellipse);
  EXPECT_NE(Find("Particle System/Ellipse"), nullptr);
  ASSERT_TRUE(Click("Particle System/World"));
  EXPECT_EQ(emitter->RelativeSpace, 1);
}

TEST_F(InspectorTest, TheColourPickerSetsTheSpriteColourInWholeChannels) {
  GameObject* object = Place("Tinted", 0, 0);
  auto* sprite = static_cast<Sprite*>(object->AddComponent("Sprite"));
  Inspect(object);
  // The picker's first field is red (0..255): dragged to the left it lowers red alone.
  const EditorUi::ProbeItem* rgba = Find("Sprite/RGBA");
  ASSERT_NE(rgba, nullptr);
  int x = static_cast<int>(rgba->x0) + 12, y = static_cast<int>((rgba->y0 + rgba->y1) / 2);
  PushMotion(x, y);
  Frame();
  PushButton(true, SDL_BUTTON_LEFT, x, y);
  Frame();
  for (int i = 1; i <= 4; ++i) {
    PushMotion(x - 15 * i, y);
    Frame();
  }
  PushButton(false, SDL_BUTTON_LEFT, x - 60, y);
  Frames(2);
  float red = sprite->color_.r * 255.0f;
  EXPECT_LT(red, 250.0f);
  EXPECT_NEAR(red, std::round(red), 1e-3f) << "SetColor takes whole 0..255 channels";
  EXPECT_FLOAT_EQ(sprite->color_.g, 1.0f);
  EXPECT_FLOAT_EQ(sprite->color_.b, 1.0f);
  EXPECT_FLOAT_EQ(sprite->color_.a, 1.0f);
  EXPECT_EQ(editor->history.UndoCount(), 1u) << "one drag, one step";
}

TEST_F(InspectorTest, SimpleEmitterFieldsCarryTooltipsAndReachTheComponent) {
  GameObject* source = Place("Drizzle", 0, 0);
  auto* emitter = static_cast<SimpleEmitter*>(source->AddComponent("SimpleEmitter"));
  float rate = emitter->EmissionRate;
  Inspect(source);
  const EditorUi::ProbeItem* field = Find("Simple Emitter/EmissionRate");
  ASSERT_NE(field, nullptr);
  PushMotion(static_cast<int>(field->x0) + 20, static_cast<int>((field->y0 + field->y1) / 2));
  Frames(2);
  EXPECT_EQ(Shown("Simple Emitter/Tooltip"), "The amount of particles to emit per second");
  ASSERT_TRUE(Drag("Simple Emitter/EmissionRate", 30));
  EXPECT_GT(emitter->EmissionRate, rate + 0.5f);
}
