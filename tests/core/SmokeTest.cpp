// The engine starts headless with its three spaces.
#include <gtest/gtest.h>

#include "Core/Engine.h"
#include "Core/Space.h"
#include "support/TestSupport.h"

TEST(EngineSmoke, InitializesHeadlessWithThreeSpaces) {
  ScratchDir dir;
  Engine engine;
  engine.Initialize();
  ASSERT_EQ(engine.spaces.size(), 3u);
  EXPECT_EQ(engine.spaces[0]->name, "Main");
  EXPECT_EQ(engine.spaces[1]->name, "Pause");
  EXPECT_EQ(engine.spaces[2]->name, "HUD");
  engine.Update();
  engine.Shutdown();
}
