// Rendering costs under a real window (Xvfb with Mesa's software renderer in CI):
//   Collect/N   CPU time of one frame's collection (GraphicsEngine::Update) for N sprites
//   Draw/N      CPU time of the draw pass issuing those N sprites (without waiting for the GPU),
//               with the time until the frame is finished reported as "finish_ms"
//   ArtDecode/L/T decoding an art list alone on T threads (no window): L 0 is the game's list,
//               L 1 a list of 48 noisy 256x256 images
//   Startup/T   a fresh process's Initialize (window, context, shaders, the list of 48 images
//               decoded on T threads, 0 = one per hardware thread) to the first frame
// Art decoding and start-up run in alternating rounds, and their ratios are printed at the end.
// Sprites use five textures (three animated sheets) and animate at 20 frames per second.
#include <benchmark/benchmark.h>

#include <GL/glew.h>
#include <SDL.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <stb_image_write.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "Core/Engine.h"
#include "Core/Space.h"
#include "Graphics/ArtList.h"
#include "Graphics/Sprite.h"
#include "Meta/TypeRegistry.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "Ratios.h"
#include "Systems/GraphicsEngine.h"

namespace fs = std::filesystem;

namespace {
const fs::path kData = fs::path(__FILE__).parent_path().parent_path() / "data";
constexpr int kStartupImages = 48;

// GL is loaded through GLX: an X display (or Xvfb) is needed.
bool HasDisplay() {
  bool x11 = false;
  if (SDL_Init(SDL_INIT_VIDEO) == 0) {
    const char* driver = SDL_GetCurrentVideoDriver();
    x11 = driver && std::string(driver) == "x11";
  }
  SDL_Quit();
  return x11;
}

// Scratch data folders: "game" holds the game's shaders and art, "startup" the shaders and an
// art list of noisy images that take real work to decode. Removed when the run ends.
fs::path ScratchRoot() {
  static fs::path root;
  if (!root.empty())
    return root;
  root = fs::temp_directory_path() / ("vantix-bench-render-" + std::to_string(::getpid()));
  fs::remove_all(root);
  fs::create_directories(root / "game");
  fs::copy(kData / "Graphics", root / "game" / "Graphics", fs::copy_options::recursive);
  fs::create_directories(root / "startup" / "Graphics" / "Art");
  fs::copy(kData / "Graphics" / "Shaders", root / "startup" / "Graphics" / "Shaders",
           fs::copy_options::recursive);
  std::mt19937 random(7);
  std::string list;
  std::vector<unsigned char> pixels(256 * 256 * 4);
  for (int i = 0; i < kStartupImages; ++i) {
    for (size_t p = 0; p < pixels.size(); ++p)
      pixels[p] = static_cast<unsigned char>((p % 4 == 3) ? 255 : (random() & 0xff));
    // The first stands in as the fallback image, so that the list is complete and no run
    // reports it missing.
    std::string name = i == 0 ? "img_test.png" : "noise" + std::to_string(i) + ".png";
    stbi_write_png((root / "startup/Graphics/Art" / name).c_str(), 256, 256, 4, pixels.data(),
                   256 * 4);
    list += name + " s 256 1 0\n";
  }
  std::ofstream(root / "startup/Graphics/Art/sahatmftu.txt") << list;
  static pid_t owner = ::getpid();
  std::atexit([] {
    if (::getpid() == owner)
      fs::remove_all(root);
  });
  return root;
}
fs::path GameFolder() {
  return ScratchRoot() / "game";
}
fs::path StartupFolder() {
  return ScratchRoot() / "startup";
}

// One window for the whole run: the sprites of both sizes live in their own spaces and only the
// measured one is active. (A process opens its window once, as the game does.)
struct Scene {
  std::unique_ptr<Engine> engine;
  GraphicsEngine* graphics = nullptr;
  std::map<int, Space*> spaces;
  bool ok = false;

  static Scene& Get() {
    static Scene scene;
    return scene;
  }

  Scene() {
    fs::current_path(GameFolder());
    if (!HasDisplay())
      return;
    engine = std::make_unique<Engine>();
    RegisterAllTypes();
    graphics = new GraphicsEngine("VANTIX bench");
    graphics->Initialize();
    ok = true;
  }

  Space* With(int sprites) {
    for (auto& [count, space] : spaces)
      space->m_Active = false;
    Space*& space = spaces[sprites];
    if (!space)
      space = Fill(sprites);
    space->m_Active = true;
    return space;
  }

  Space* Fill(int sprites) {
    Space* space = engine->CreateSpace("Sprites" + std::to_string(sprites));
    const char* art[] = {"player.png", "patrol.png", "node.png", "font.png", "img_test.png"};
    std::mt19937 random(11);
    std::uniform_real_distribution<float> x(-8.5f, 8.5f), y(-4.8f, 4.8f);
    for (int i = 0; i < sprites; ++i) {
      GameObject* object = space->CreateEmptyObject();
      auto* transform = static_cast<Transform*>(object->AddComponent("Transform"));
      transform->translation_ = Vector2D(x(random), y(random), 1.0f);
      transform->scale_ = Vector2D(0.3f, 0.3f, 0.0f);
      transform->z_order = i % 10;
      auto* sprite = static_cast<Sprite*>(object->AddComponent("Sprite"));
      sprite->SwapTexture(art[i % 5]);
      sprite->active_animation_ = true;
      sprite->animate_rate_ = 0.05f;
    }
    return space;
  }

  void Collect(Space* space) {
    graphics->SetClearPending();
    graphics->Update(1.0f / 60.0f, space);
  }
  void Discard() {
    for (auto& layer : graphics->spriteLayers)
      layer.clear();
    graphics->viewProjections.clear();
    graphics->spaceCounter = 0;
  }
};

void Collect(benchmark::State& state) {
  Scene& scene = Scene::Get();
  if (!scene.ok) {
    state.SkipWithError("no display");
    return;
  }
  Space* space = scene.With(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    scene.Collect(space);
    state.PauseTiming();
    scene.Discard();
    state.ResumeTiming();
  }
  state.counters["sprites"] = static_cast<double>(state.range(0));
}

void Draw(benchmark::State& state) {
  Scene& scene = Scene::Get();
  if (!scene.ok) {
    state.SkipWithError("no display");
    return;
  }
  Space* space = scene.With(static_cast<int>(state.range(0)));
  double finish = 0.0;
  for (auto _ : state) {
    state.PauseTiming();
    scene.Collect(space);
    state.ResumeTiming();
    scene.graphics->Draw();
    state.PauseTiming();
    auto start = std::chrono::steady_clock::now();
    glFinish();
    finish +=
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    scene.graphics->SwapWindow();
    state.ResumeTiming();
  }
  state.counters["sprites"] = static_cast<double>(state.range(0));
  state.counters["finish_ms"] = finish / static_cast<double>(state.iterations());
}

// Each start-up runs in a fresh child process, as the game starts once per process; the time is
// the wall time until its first frame is swapped (process creation included, about 1 ms).
void Startup(benchmark::State& state) {
  fs::current_path(StartupFolder());
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    pid_t child = fork();
    if (child == 0) {
      if (!HasDisplay())
        _exit(2);
      Engine engine;
      RegisterAllTypes();
      auto* graphics = new GraphicsEngine("VANTIX bench");
      graphics->artThreads = static_cast<unsigned>(state.range(0));
      graphics->Initialize();
      Space* space = engine.CreateSpace("Main");
      graphics->SetClearPending();
      graphics->Update(0.0f, space);
      graphics->Draw();
      graphics->SwapWindow();
      bool loaded = graphics->textures.size() == static_cast<size_t>(kStartupImages);
      _exit(loaded ? 0 : 3);
    }
    int status = 0;
    waitpid(child, &status, 0);
    double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(ms / 1000.0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError(WEXITSTATUS(status) == 2 ? "no display" : "start-up failed");
      break;
    }
  }
  state.counters["images"] = kStartupImages;
  state.counters["threads"] = state.range(0) == 0 ? std::thread::hardware_concurrency()
                                                  : static_cast<double>(state.range(0));
}

// Decoding alone (no window): the part of start-up that the worker threads share.
void ArtDecode(benchmark::State& state) {
  bool game = state.range(0) == 0;
  fs::current_path(game ? GameFolder() : StartupFolder());
  size_t images = 0;
  for (auto _ : state) {
    std::map<std::string, TextureRecord> table;
    std::vector<std::string> names;
    ArtList::Load(ArtList::kListPath, static_cast<unsigned>(state.range(1)), table, names, nullptr);
    images = table.size();
    benchmark::DoNotOptimize(table);
  }
  state.counters["images"] = static_cast<double>(images);
}

constexpr int kRounds = 6;

// Start-up first: its children must not inherit the window the other benchmarks open. The
// rounds alternate, so drifting machine load touches both sides alike.
const bool registered = [] {
  bench::RegisterAlternating(
      kRounds, {{"Startup", &Startup}}, [](benchmark::internal::Benchmark* b) {
        b->Arg(1)->Arg(0)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
      });
  bench::RegisterAlternating(kRounds, {{"ArtDecode", &ArtDecode}},
                             [](benchmark::internal::Benchmark* b) {
                               b->Args({0, 1})->Args({0, 2})->Args({1, 1})->Args({1, 2});
                               b->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.2);
                             });
  return true;
}();
} // namespace

BENCHMARK(Collect)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(Draw)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  return bench::RunWithRatios(argc, argv, [](const bench::RatioReporter& r) {
    r.Ratio("art decode, game list: one thread / two", "ArtDecode/0/1", "ArtDecode/0/2", 1.7,
            false);
    r.Ratio("art decode, 48 images of 256x256: one thread / two", "ArtDecode/1/1", "ArtDecode/1/2",
            1.7, false);
    r.Ratio("start-up to the first frame: one decoding thread / one per hardware thread",
            "Startup/1", "Startup/0", 1.0, false);
  });
}
