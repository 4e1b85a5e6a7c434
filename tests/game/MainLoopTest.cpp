// The game in the engine's own main loop (the frame limiter, both logic updates of a frame, the
// end-of-frame level switch), uncapped, from the first level to the second.
#include <algorithm>

#include "GameFixture.h"
#include "Input/Input.h"

namespace {

TEST_F(GameTest, TheFirstLevelIsWonInTheRealMainLoopAndTheNextLevelStarts) {
  CopyGameData();
  dir.Write("FrameRate.txt", "999");
  StartEngine();
  Load("Level01.level");
  const SDL_Keycode moves[] = {SDLK_RIGHT, SDLK_RIGHT, SDLK_DOWN};
  for (SDL_Keycode key : moves) {
    SDL_Event down{};
    down.type = SDL_KEYDOWN;
    down.key.keysym.sym = key;
    Input::HandleEvent(down);
    engine->Update();
    SDL_Event up = down;
    up.type = SDL_KEYUP;
    Input::HandleEvent(up);
    for (int i = 0; i < 5000 && State("Phase") != "idle"; ++i)
      engine->Update();
  }
  std::vector<std::string> log = LogLines();
  EXPECT_NE(std::find(log.begin(), log.end(), "level won Level01.level turns=3"), log.end());
  EXPECT_EQ(log.back(), "level start Level02.level");
  EXPECT_EQ(LevelName(), "Level02.level");
}

} // namespace
