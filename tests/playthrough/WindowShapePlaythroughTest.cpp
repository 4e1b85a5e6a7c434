// The real program full screen on screens that are not 16:9 (4:3, 16:10, 21:9), each an X
// server of that size started for the test: the level is letter-boxed, and the HUD, the pause
// screen and the cursor must be letter-boxed with it (inside the picture, not stretched, the HUD
// over no node of any level); a click on a node plays from the first frame, before any resize.
#include <filesystem>
#include <fstream>
#include <glm/glm.hpp>
#include <lua.hpp>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "Graphics/Font.h"
#include "Objects/Camera.h"
#include "Scripting/LuaEngine.h"
#include "Systems/GraphicsEngine.h"
#include "playthrough/Playthrough.h"

namespace {

using namespace playthrough;
namespace fs = std::filesystem;

// An X server of its own with one screen of the given size; DISPLAY points at it while it lives.
class OwnDisplay {
public:
  OwnDisplay(int width, int height) {
    const char* old = std::getenv("DISPLAY");
    saved = old ? old : "";
    // A display number nobody holds, then wait for the server's socket.
    int number = 500 + static_cast<int>(getpid() % 200);
    for (int tries = 0; tries < 100 && fs::exists(Lock(number)); ++tries)
      number = 500 + (number - 500 + 1) % 400;
    std::string name = ":" + std::to_string(number);
    std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    pid = fork();
    if (pid == 0) {
      execlp("Xvfb", "Xvfb", name.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
             "-noreset", static_cast<char*>(nullptr));
      _exit(127);
    }
    std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
    for (int waited = 0; pid > 0 && waited < 200; ++waited) {
      if (fs::exists(socket)) {
        display = name;
        setenv("DISPLAY", display.c_str(), 1);
        return;
      }
      if (waitpid(pid, nullptr, WNOHANG) == pid) {
        pid = -1; // the server gave up
        return;
      }
      usleep(50 * 1000);
    }
  }
  ~OwnDisplay() {
    if (saved.empty())
      unsetenv("DISPLAY");
    else
      setenv("DISPLAY", saved.c_str(), 1);
    if (pid > 0) {
      kill(pid, SIGTERM);
      waitpid(pid, nullptr, 0);
    }
  }
  bool Ready() const { return !display.empty(); }

private:
  static fs::path Lock(int number) { return "/tmp/.X" + std::to_string(number) + "-lock"; }
  pid_t pid = -1;
  std::string saved;
  std::string display;
};

struct Rect {
  float x0, y0, x1, y1;
  bool Overlaps(const Rect& o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
  bool Inside(const Rect& o) const {
    return x0 >= o.x0 - 0.5f && x1 <= o.x1 + 0.5f && y0 >= o.y0 - 0.5f && y1 <= o.y1 + 0.5f;
  }
  float Width() const { return x1 - x0; }
  float Height() const { return y1 - y0; }
};

int PngHeight(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  unsigned char header[24] = {};
  in.read(reinterpret_cast<char*>(header), sizeof header);
  return (header[20] << 24) | (header[21] << 16) | (header[22] << 8) | header[23];
}

struct Shape {
  const char* name;
  int width, height;
};
void PrintTo(const Shape& shape, std::ostream* out) {
  *out << shape.width << "x" << shape.height;
}

class WindowShapePlaythroughTest : public PlaythroughTest,
                                   public ::testing::WithParamInterface<Shape> {
protected:
  static GraphicsEngine& Graphics() { return *GraphicsEngine::ms_Singleton; }

  // The letter-boxed picture in window pixels (y down).
  static Rect Picture() {
    const GraphicsEngine::Viewport& v = Graphics().CurrentViewport();
    int w = 0, h = 0;
    SDL_GetWindowSize(Graphics().window, &w, &h);
    float top = static_cast<float>(h - v.y - v.height);
    return {static_cast<float>(v.x), top, static_cast<float>(v.x + v.width),
            top + static_cast<float>(v.height)};
  }

  // A world rectangle of a space where the engine draws it, in window pixels: through the
  // space's last active camera, or the default camera in use without one.
  static Rect Drawn(const Space& space, Rect world) {
    const Camera* view = &Graphics().defaultCameras[Graphics().cameraIndex];
    for (GameObject* object : space.objects)
      if (object && object->m_Active)
        if (Camera* camera = object->Get<Camera>("Camera"))
          view = camera;
    glm::mat3 m = view->GetViewProjection();
    glm::vec3 a = m * glm::vec3(world.x0, world.y0, 1.0f);
    glm::vec3 b = m * glm::vec3(world.x1, world.y1, 1.0f);
    Rect p = Picture();
    auto px = [&](float x) { return p.x0 + (x + 1.0f) / 2.0f * p.Width(); };
    auto py = [&](float y) { return p.y0 + (1.0f - y) / 2.0f * p.Height(); };
    return {std::min(px(a.x), px(b.x)), std::min(py(a.y), py(b.y)), std::max(px(a.x), px(b.x)),
            std::max(py(a.y), py(b.y))};
  }

  // A sprite spans its scale either side of its position.
  static Rect SpriteWorld(const Transform& t) {
    const Vector2D& p = t.translation_;
    return {p.x_ - t.scale_.x_, p.y_ - t.scale_.y_, p.x_ + t.scale_.x_, p.y_ + t.scale_.y_};
  }

  // A text's glyphs: cells 2 x half-cell wide and 2 high times the scale, placed by alignment.
  Rect TextWorld(const Transform& t, const Font& font, unsigned length) const {
    float w = halfCell * t.scale_.x_;
    float L = static_cast<float>(length);
    float first = 0.0f;
    if (font.align_ == 0)
      first = w;
    else if (font.align_ == 1)
      first = length % 2 == 0 ? w * (1.0f - L) : -L * w;
    else
      first = w * (1.0f - 2.0f * L);
    float x = t.translation_.x_ + first;
    return {x - w, t.translation_.y_ - t.scale_.y_, x + w * (2.0f * L - 1.0f),
            t.translation_.y_ + t.scale_.y_};
  }

  // The longest line the help and refusal texts can show.
  static unsigned LongestHelp() {
    lua_State* L = LuaEngine::ms_Singleton->L;
    int top = lua_gettop(L);
    unsigned n = 0;
    if (luaL_dostring(L, R"(local R, n = dofile('Scripts/lib/GameRules.lua'), 0
      for _, group in ipairs({ R.Help, R.LevelHelp, R.Refusal }) do
        for _, line in pairs(group) do n = math.max(n, #string.format(line, 99)) end
      end
      return n)") == 0)
      n = static_cast<unsigned>(lua_tointeger(L, -1));
    lua_settop(L, top);
    return n;
  }

  // Every HUD element inside the picture, undistorted, and over no node of the level.
  void CheckHud(const std::string& file) {
    const Space& hud = *run->TheEngine().GetHUDSpace();
    unsigned longest = LongestHelp();
    std::vector<std::pair<std::string, Rect>> drawn;
    for (GameObject* object : hud.objects) {
      auto* t = object ? object->Get<Transform>("Transform") : nullptr;
      if (!t)
        continue;
      if (Font* font = object->Get<Font>("Font")) {
        unsigned length = static_cast<unsigned>(font->GetText().size()) + 2;
        if (object->m_Name == "Help" || object->m_Name == "Refusal")
          length = std::max(length, longest);
        drawn.push_back({object->m_Name, Drawn(hud, TextWorld(*t, *font, length))});
      } else if (object->Get<Sprite>("Sprite")) {
        Rect r = Drawn(hud, SpriteWorld(*t));
        drawn.push_back({object->m_Name, r});
        // The key icons are square.
        EXPECT_NEAR(r.Width(), r.Height(), 1.5f) << file << ": " << object->m_Name << " stretched";
      }
    }
    ASSERT_GE(drawn.size(), 7u) << file;
    Rect picture = Picture();
    for (const auto& [name, r] : drawn)
      EXPECT_TRUE(r.Inside(picture)) << file << ": " << name << " leaves the picture";
    int nodes = 0;
    for (GameObject* node : run->Main().GetObjectsByName("Node")) {
      Rect n = Drawn(run->Main(), SpriteWorld(*node->Get<Transform>("Transform")));
      EXPECT_TRUE(n.Inside(picture)) << file << ": a node leaves the picture";
      ++nodes;
      for (const auto& [name, r] : drawn)
        EXPECT_FALSE(n.Overlaps(r)) << file << ": " << name << " covers a node";
    }
    EXPECT_GT(nodes, 0) << file;
  }

  // The drawn centre of a named object of a space, in window pixels.
  static void CentreOf(const Space& space, const std::string& name, int& px, int& py) {
    GameObject* object = space.GetObjectByName(name);
    ASSERT_NE(object, nullptr) << name;
    const Vector2D& p = object->Get<Transform>("Transform")->translation_;
    Rect r = Drawn(space, {p.x_, p.y_, p.x_, p.y_});
    px = static_cast<int>(r.x0);
    py = static_cast<int>(r.y0);
  }

  // The first action of the shortest win from where the player stands, clicked.
  void ClickNextMove() {
    levels::LevelModel model;
    levels::ModelFromSpace(run->Main(), pars[0].file, model);
    levels::Solution solution = levels::Solve(model);
    ASSERT_TRUE(solution.solved && !solution.win.empty());
    run->Next(Word(levels::ActionName(solution.win[0]), Device::kMouse, 0));
  }

  // Widens the cameras of a space by `scale` and moves their centres by (dx, dy).
  static void Reframe(Space& space, float scale, float dx, float dy) {
    for (GameObject* object : space.objects)
      if (Camera* camera = object ? object->Get<Camera>("Camera") : nullptr) {
        camera->width_ *= scale;
        camera->height_ *= scale;
        camera->center_.x += dx;
        camera->center_.y += dy;
      }
  }

  float halfCell = 0.0f;
};

TEST_P(WindowShapePlaythroughTest, ScreensAreLetterBoxedWithTheLevelAndClicksPlayFromTheStart) {
  const Shape shape = GetParam();
  halfCell = 12.0f / static_cast<float>(PngHeight(DataFile("Graphics/Art/font.png")));
  OwnDisplay display(shape.width, shape.height);
  VANTIX_NEED_DISPLAY(display.Ready(), "cannot start Xvfb for a " << shape.name << " screen");
  run->startLevel = pars[0].file;

  run->WaitForLine("level start " + pars[0].file);
  run->WaitFor("a frame drawn", [this] { return run->State("Phase") == "idle"; });
  run->Do("the window fills the screen", [this, shape] {
    int w = 0, h = 0;
    SDL_GetWindowSize(Graphics().window, &w, &h);
    EXPECT_EQ(w, shape.width);
    EXPECT_EQ(h, shape.height);
    EXPECT_TRUE(Graphics().IsFullScreen());
  });

  // The first move is a click on the node, with no resize heard since the start.
  run->Do("click the first move", [this] { ClickNextMove(); });
  run->WaitFor("the click moved", [this] { return run->StateInt("Turn") == 1; });

  // A camera of the designer's own, wider and off-centre: a click goes through the view the
  // level is drawn with, not through the framing the level generator gives its cameras.
  run->Do("change the level's camera", [this] { Reframe(run->Main(), 1.5f, 1.0f, -0.5f); });
  run->WaitFor("drawn with it", [this] { return run->State("Phase") == "idle"; });
  run->Do("click the second move", [this] { ClickNextMove(); });
  run->WaitFor("the second click moved", [this] { return run->StateInt("Turn") == 2; });

  // The cursor's tip is on the pointer.
  auto pointer = std::make_shared<std::pair<int, int>>();
  run->Do("move the mouse", [pointer] {
    Rect p = Picture();
    *pointer = {static_cast<int>(p.x0 + p.Width() * 0.3f),
                static_cast<int>(p.y0 + p.Height() * 0.6f)};
    GameRun::PushMotion(pointer->first, pointer->second);
  });
  run->WaitFor("the cursor follows", [this, pointer] {
    const Space* space = run->TheEngine().GetSpace("Cursor");
    GameObject* cursor = space ? space->GetObjectByName("Cursor") : nullptr;
    if (!cursor || !cursor->Get<Sprite>("Sprite")->visible_)
      return false;
    Rect r = Drawn(*space, SpriteWorld(*cursor->Get<Transform>("Transform")));
    EXPECT_NEAR(r.Width(), r.Height(), 1.5f) << "the cursor is stretched";
    // The arrow's tip is the image's top-left corner; the sprite spans the cursor's scale
    // either side of a point half a scale right of and below the tip.
    float tipX = r.x0 + r.Width() / 4.0f, tipY = r.y0 + r.Height() / 4.0f;
    EXPECT_NEAR(tipX, static_cast<float>(pointer->first), 2.0f);
    EXPECT_NEAR(tipY, static_cast<float>(pointer->second), 2.0f);
    return true;
  });

  // The pause screen over the level: inside the picture, and a click on Resume resumes.
  run->Do("escape down", [] { GameRun::PushKey(true, SDLK_ESCAPE); });
  run->Do("escape up", [] { GameRun::PushKey(false, SDLK_ESCAPE); });
  run->WaitFor("paused", [this] {
    Space* pause = run->TheEngine().GetBufferSpace();
    return pause && pause->m_Active && pause->GetObjectByName("Item1");
  });
  run->Do("check the pause screen", [this] {
    const Space& pause = *run->TheEngine().GetBufferSpace();
    Rect picture = Picture();
    for (const char* name : {"Title", "Item1", "Item4"}) {
      GameObject* object = pause.GetObjectByName(name);
      ASSERT_NE(object, nullptr) << name;
      EXPECT_TRUE(Drawn(pause, SpriteWorld(*object->Get<Transform>("Transform"))).Inside(picture))
          << name << " leaves the picture";
    }
  });
  // The menus too are clicked through the view they are drawn with: here one lower and wider,
  // where the default view would put the click above every item.
  run->Do("change the pause screen's camera",
          [this] { Reframe(*run->TheEngine().GetBufferSpace(), 1.25f, 0.0f, -2.0f); });
  auto frames = std::make_shared<long>(0);
  run->Do("note the frame", [this, frames] { *frames = run->Frames(); });
  run->WaitFor("drawn with it", [this, frames] { return run->Frames() > *frames + 2; });
  run->Do("click resume", [this] {
    const Space& pause = *run->TheEngine().GetBufferSpace();
    int px = 0, py = 0;
    CentreOf(pause, "Item1", px, py);
    GameRun::PushMotion(px, py);
    GameRun::PushMouseButton(true, px, py);
  });
  run->Do("release", [] { GameRun::PushMouseButton(false, 0, 0); });
  run->WaitFor("resumed", [this] { return !run->TheEngine().GetBufferSpace()->m_Active; });

  // Every level under the HUD.
  for (const levels::ParEntry& entry : pars) {
    run->Do("load " + entry.file, [this, entry] { run->Main().ChangeLevel(entry.file); });
    run->WaitForLine("level start " + entry.file);
    run->WaitFor("the HUD shows " + entry.file, [this, entry] {
      return run->State("Phase") == "idle" &&
             run->Field(run->TheEngine().GetHUDSpace(), "Hud", "Hud", "Visible") == "true";
    });
    run->Do("check the HUD on " + entry.file, [this, entry] { CheckHud(entry.file); });
  }
  Quit();
  EXPECT_TRUE(run->Run(90)) << ::testing::PrintToString(run->problems);
  EXPECT_TRUE(run->Errors().empty()) << run->Errors().front();
}

INSTANTIATE_TEST_SUITE_P(Screens, WindowShapePlaythroughTest,
                         ::testing::Values(Shape{"FourByThree", 1024, 768},
                                           Shape{"SixteenByTen", 1280, 800},
                                           Shape{"TwentyOneByNine", 1680, 720}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
