// The levels the program opens at start-up load without a report and hold what the title and
// pause screens show.
#include <filesystem>

#include "Graphics/Font.h"
#include "Graphics/Sprite.h"
#include "Meta/File.h"
#include "Objects/Camera.h"
#include "Objects/Transform.h"
#include "meta/MetaFixture.h"

namespace {
void CopyLevel(const char* name) {
  std::filesystem::create_directories("Node Levels");
  std::filesystem::copy_file(DataFile(std::string("Node Levels/") + name),
                             std::string("Node Levels/") + name);
}
} // namespace

TEST_F(MetaTest, SplashLevelHasTheLogoAndTheTitle) {
  CopyLevel("splash_KelvoLogo.level");
  space->LoadLevel(Engine::kSplashLevel);
  EXPECT_EQ(CheckFailureCount(), 0);
  EXPECT_EQ(space->LevelName, "splash_KelvoLogo.level");
  ASSERT_EQ(space->objects.size(), 3u);
  // The screens' own 16:9 view, so the splash is letter-boxed on any screen.
  GameObject* view = space->GetObjectByName("Camera");
  ASSERT_NE(view, nullptr);
  ASSERT_NE(view->Get<Camera>("Camera"), nullptr);
  EXPECT_FLOAT_EQ(view->Get<Camera>("Camera")->width_ / view->Get<Camera>("Camera")->height_,
                  16.0f / 9.0f);

  GameObject* logo = space->GetObjectByName("Logo");
  ASSERT_NE(logo, nullptr);
  auto* t = logo->Get<Transform>("Transform");
  EXPECT_EQ(t->translation_, Vector2D(0.0f, 1.0f, 1.0f));
  EXPECT_EQ(t->scale_, Vector2D(4.0f, 4.0f, 0.0f));
  EXPECT_EQ(t->z_order, 1);
  EXPECT_EQ(logo->Get<Sprite>("Sprite")->source_.filename_, "Graphics\\Art\\kelvo_logo.png");

  GameObject* title = space->GetObjectByName("Title");
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->Get<Transform>("Transform")->translation_, Vector2D(0.0f, -3.0f, 1.0f));
  EXPECT_FLOAT_EQ(title->Get<Transform>("Transform")->scale_.x_, 0.6f);
  EXPECT_EQ(title->Get<Transform>("Transform")->z_order, 2);
  auto* font = title->Get<Font>("Font");
  EXPECT_EQ(font->text_, "VANTIX");
  EXPECT_EQ(font->align_, 1);
  EXPECT_EQ(font->source_.filename_, "Graphics\\Art\\font.png");
}

TEST_F(MetaTest, PauseLevelHasTheCentredPauseText) {
  CopyLevel("Paused.level");
  space->LoadLevel(Engine::kPauseLevel);
  EXPECT_EQ(CheckFailureCount(), 0);
  EXPECT_EQ(space->LevelName, "Paused.level");
  GameObject* text = space->GetObjectByName("Title");
  ASSERT_NE(text, nullptr);
  // Above the level's own layers: layers are shared by every space.
  EXPECT_EQ(text->Get<Transform>("Transform")->z_order, 9);
  EXPECT_EQ(text->Get<Transform>("Transform")->scale_, Vector2D(0.5f, 0.5f, 0.0f));
  EXPECT_EQ(text->Get<Font>("Font")->text_, "PAUSED");
  EXPECT_EQ(text->Get<Font>("Font")->align_, 1);
}
