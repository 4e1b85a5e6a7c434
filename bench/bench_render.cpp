// Rendering costs under a real window (Xvfb with Mesa's software renderer in CI):
//   Collect/N   CPU time of one frame's collection (GraphicsEngine::Update) for N sprites
//   Draw/N      CPU time of the draw pass issuing those N sprites (without waiting for the GPU),
//               with the time until the frame is finished reported as "finish_ms"
//   ArtDecode/T decoding those images alone on T threads (no window)
//   Startup/T   a fresh process's Initialize (window, context, shaders, art list of 48 256x256
//               images decoded on T threads, 0 = one per hardware thread) to the first frame
// Sprites use five textures (three animated sheets) and animate at 20 frames per second.
#include <benchmark/benchmark.h>

#include <GL/glew.h>
#include <SDL.h>
#include <chrono>
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

// A scratch data folder with the game's shaders and art, plus noisy images that take real work
// to decode.
fs::path MakeDataFolder() {
  static fs::path dir;
  if (!dir.empty())
    return dir;
  dir = fs::temp_directory_path() / ("vantix-bench-render-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::copy(kData / "Graphics", dir / "Graphics", fs::copy_options::recursive);
  std::mt19937 random(7);
  std::string list;
  std::vector<unsigned char> pixels(256 * 256 * 4);
  for (int i = 0; i < kStartupImages; ++i) {
    for (size_t p = 0; p < pixels.size(); ++p)
      pixels[p] = static_cast<unsigned char>((p % 4 == 3) ? 255 : (random() & 0xff));
    std::string name = "noise" + std::to_string(i) + ".png";
    stbi_write_png((dir / "Graphics/Art" / name).c_str(), 256, 256, 4, pixels.data(), 256 * 4);
    list += name + " s 256 1 0\n";
  }
  std::ofstream(dir / "Graphics/Art/bench_startup.txt") << list;
  return dir;
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
    fs::current_path(MakeDataFolder());
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
  fs::current_path(MakeDataFolder());
  // The startup list replaces the game's list for these runs.
  fs::path list = "Graphics/Art/sahatmftu.txt";
  fs::path saved = "Graphics/Art/sahatmftu.game";
  if (!fs::exists(saved))
    fs::rename(list, saved);
  fs::copy_file("Graphics/Art/bench_startup.txt", list, fs::copy_options::overwrite_existing);
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
  fs::copy_file(saved, list, fs::copy_options::overwrite_existing);
  fs::remove(saved);
  state.counters["images"] = kStartupImages;
  state.counters["threads"] = state.range(0) == 0 ? std::thread::hardware_concurrency()
                                                  : static_cast<double>(state.range(0));
}
// Decoding alone (no window): the part of start-up that the worker threads share.
void ArtDecode(benchmark::State& state) {
  fs::current_path(MakeDataFolder());
  for (auto _ : state) {
    std::map<std::string, TextureRecord> table;
    std::vector<std::string> names;
    ArtList::Load("Graphics\\Art\\bench_startup.txt", static_cast<unsigned>(state.range(0)), table,
                  names, nullptr);
    benchmark::DoNotOptimize(table);
  }
  state.counters["images"] = kStartupImages;
}
} // namespace

// Start-up first: its children must not inherit the window the other benchmarks open.
BENCHMARK(Startup)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(4)->UseManualTime();
BENCHMARK(ArtDecode)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Collect)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(Draw)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
