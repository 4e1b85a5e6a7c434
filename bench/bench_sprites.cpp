// The sprite scene and the frame pacing, measured in a real window (Xvfb with Mesa's software
// renderer here). A plain program driven by bench/sprites_vs_love.sh, which runs it alternately
// with LÖVE drawing the same scene:
//   bench_sprites art DIR          writes the scene's four sheets (and their atlas, for LÖVE)
//   bench_sprites scene DIR N PX F [single|batch]
//                                  N sprites of PX pixels, F frames; prints "ms_per_frame X
//                                  cpu_ms_per_frame Y" (Y: CPU of all the process's threads)
//   bench_sprites floor DIR N PX F
//                                  the rasteriser's share alone: the scene's quads built once
//                                  and drawn each frame in ten indexed calls with the batch
//                                  shaders, no per-frame CPU work; prints "ms_per_frame X"
//   bench_sprites pacing DIR N PX F
//                                  F frames limited to "FrameRate.txt" 60, alternately waiting
//                                  by busy wait alone and by sleep then spin (F each); prints
//                                  the median and 99th percentile period and the waiting CPU,
//                                  the frame's work, how late the wait ends, and how often the
//                                  thread was preempted
//   bench_sprites pacing-level LEVEL F
//                                  the same for the game itself on "Node Levels\LEVEL"
// The scene: 4-frame sheets animated, rotated, tinted with alpha 0.9, the texture changing from
// each sprite to the next, spread over the ten z layers, 1280 x 720.
#include <GL/glew.h>
#include <SDL.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <stb_image_write.h>
#include <string>
#include <sys/resource.h>
#include <vector>

#include "Core/Engine.h"
#include "Core/FrameTimer.h"
#include "Core/Game.h"
#include "Core/Space.h"
#include "Graphics/ShaderProgram.h"
#include "Graphics/Sprite.h"
#include "Graphics/SpriteBatch.h"
#include "Meta/TypeRegistry.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "Systems/GraphicsEngine.h"

namespace fs = std::filesystem;

namespace {
constexpr int kFrame = 32; // pixels of one sheet frame
constexpr int kSheets = 4; // sheets of 4 frames
constexpr float kPixelsPerUnit = 72.0f;

// Four 128x32 sheets whose frames differ, and the atlas of all four (128x128) a LÖVE user packs
// them into; plus the shaders and the art list of a data folder.
int WriteArt(const fs::path& dir) {
  fs::create_directories(dir / "Graphics/Art");
  fs::create_directories(dir / "Graphics/Shaders");
  for (const char* shader : {"VSSprite.glsl", "FSSprite.glsl", "VSArrow.glsl", "FSArrow.glsl",
                             "VSSpriteBatch.glsl", "FSSpriteBatch.glsl"})
    fs::copy_file(fs::path(VANTIX_DATA_DIR) / "Graphics/Shaders" / shader,
                  dir / "Graphics/Shaders" / shader, fs::copy_options::overwrite_existing);
  std::vector<unsigned char> atlas(static_cast<size_t>(4 * kFrame * kSheets * kFrame * 4));
  std::string list = "img_test.png s 32 1 0\n";
  std::mt19937 random(5);
  for (int s = 0; s < kSheets; ++s) {
    std::vector<unsigned char> sheet(static_cast<size_t>(4 * kFrame * kFrame * 4));
    for (int y = 0; y < kFrame; ++y)
      for (int x = 0; x < 4 * kFrame; ++x) {
        unsigned char* p = &sheet[static_cast<size_t>((y * 4 * kFrame + x) * 4)];
        int frame = x / kFrame;
        bool ring = std::abs(std::hypot(x % kFrame - 15.5, y - 15.5) - 8.0 - frame * 2) < 3.0;
        p[0] = static_cast<unsigned char>(ring ? 255 : 60 * s + (random() & 31));
        p[1] = static_cast<unsigned char>(ring ? 64 * frame : 200 - 40 * s);
        p[2] = static_cast<unsigned char>(ring ? 40 : 90 + (random() & 63));
        p[3] = 255;
        std::copy_n(p, 4, &atlas[static_cast<size_t>(((s * kFrame + y) * 4 * kFrame + x) * 4)]);
      }
    std::string name = "sheet" + std::to_string(s) + ".png";
    stbi_write_png((dir / "Graphics/Art" / name).c_str(), 4 * kFrame, kFrame, 4, sheet.data(),
                   4 * kFrame * 4);
    list += name + " a 32 4 0.1\n";
  }
  stbi_write_png((dir / "atlas.png").c_str(), 4 * kFrame, kSheets * kFrame, 4, atlas.data(),
                 4 * kFrame * 4);
  std::vector<unsigned char> white(32 * 32 * 4, 255);
  stbi_write_png((dir / "Graphics/Art/img_test.png").c_str(), 32, 32, 4, white.data(), 32 * 4);
  std::ofstream(dir / "Graphics/Art/sahatmftu.txt") << list;
  std::ofstream(dir / "FrameRate.txt") << "60";
  return 0;
}

// The scene's placements, the same as the LÖVE script's (same generator, same order): the
// sprite i has sheet i % 4 and layer i % 10.
struct Placed {
  float x, y, rotation, phase;
};
std::vector<Placed> Placements(int count) {
  std::vector<Placed> placed;
  unsigned state = 12345;
  auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return static_cast<float>((state >> 8) & 0xffff) / 65536.0f;
  };
  for (int i = 0; i < count; ++i) {
    Placed p;
    p.x = next() * 1280.0f;
    p.y = next() * 720.0f;
    p.rotation = next() * 6.2831853f;
    p.phase = next() * 0.4f;
    placed.push_back(p);
  }
  return placed;
}

struct Scene {
  Engine* engine = nullptr;
  GraphicsEngine* graphics = nullptr;
  Space* space = nullptr;

  bool Open(const fs::path& dir, int count, int pixels) {
    fs::current_path(dir);
    engine = new Engine();
    RegisterAllTypes();
    graphics = new GraphicsEngine("VANTIX sprites");
    graphics->Initialize();
    if (!graphics->HasContext())
      return false;
    space = engine->CreateSpace("Main");
    space->m_Active = true;
    // The default camera is 10 units tall: 72 pixels a unit on a 720-pixel screen; a quad is
    // 2 units tall at scale 1.
    float scale = static_cast<float>(pixels) / (2.0f * kPixelsPerUnit);
    std::vector<Placed> placed = Placements(count);
    for (int i = 0; i < count; ++i) {
      GameObject* object = space->CreateEmptyObject();
      auto* transform = static_cast<Transform*>(object->AddComponent("Transform"));
      transform->translation_ = Vector2D((placed[i].x - 640.0f) / kPixelsPerUnit,
                                         (360.0f - placed[i].y) / kPixelsPerUnit, 1.0f);
      transform->scale_ = Vector2D(scale, scale, 0.0f);
      transform->rotation_ = placed[i].rotation;
      transform->z_order = i % 10;
      auto* sprite = static_cast<Sprite*>(object->AddComponent("Sprite"));
      sprite->SwapTexture("sheet" + std::to_string(i % kSheets) + ".png");
      sprite->frameTimer = placed[i].phase * 0.25f;
      sprite->SetColorF(1.0f, 1.0f, 1.0f, 0.9f);
    }
    return true;
  }

  void Frame(float dt) {
    graphics->SetClearPending();
    graphics->Update(dt, space);
    graphics->Draw();
    graphics->SwapWindow();
  }
};

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// CPU time of every thread of the process, the rasteriser's included: steadier than the clock
// when other work shares the cores.
double ProcessCpu() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double ThreadCpu() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

int RunScene(const fs::path& dir, int count, int pixels, int frames, bool batch) {
  Scene scene;
  if (!scene.Open(dir, count, pixels))
    return 2;
  scene.graphics->batchSprites = batch;
  for (int i = 0; i < 20; ++i)
    scene.Frame(1.0f / 60.0f);
  glFinish();
  double start = Now(), startCpu = ProcessCpu();
  for (int i = 0; i < frames; ++i)
    scene.Frame(1.0f / 60.0f);
  glFinish();
  double ms = (Now() - start) * 1000.0 / frames;
  double cpu = (ProcessCpu() - startCpu) * 1000.0 / frames;
  std::printf("ms_per_frame %.4f cpu_ms_per_frame %.4f draw_calls %zu\n", ms, cpu,
              scene.graphics->spriteBatch.DrawCalls());
  return 0;
}

// What this machine's rasteriser needs for the scene's triangles by themselves: the same quads
// (same places, sizes, turns, sheets, frames and tint) laid out once in the batch's vertex form
// and drawn every frame by the batch's shaders, one call a layer, with a glFlush after each as
// the batch hands its runs over. No sprite is built, placed or animated on the CPU.
int RunFloor(const fs::path& dir, int count, int pixels, int frames) {
  Scene scene;
  if (!scene.Open(dir, 0, pixels))
    return 2;
  ShaderProgram batchShaders;
  if (!batchShaders.Build("Graphics\\Shaders\\VSSpriteBatch.glsl",
                          "Graphics\\Shaders\\FSSpriteBatch.glsl"))
    return 2;
  const unsigned program = batchShaders.program;

  // The four sheets as the layers of one 128x32 texture array with its mip chain.
  unsigned texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D_ARRAY, texture);
  glTexImage3D(GL_TEXTURE_2D_ARRAY, 0, GL_RGBA, 4 * kFrame, kFrame, kSheets, 0, GL_RGBA,
               GL_UNSIGNED_BYTE, nullptr);
  for (int s = 0; s < kSheets; ++s) {
    const TextureRecord* record = scene.graphics->FindTexture("sheet" + std::to_string(s) + ".png");
    if (!record || !record->glName)
      return 2;
    std::vector<unsigned char> pixels(static_cast<size_t>(4 * kFrame * kFrame * 4));
    glBindTexture(GL_TEXTURE_2D, record->glName);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glTexSubImage3D(GL_TEXTURE_2D_ARRAY, 0, 0, 0, s, 4 * kFrame, kFrame, 1, GL_RGBA,
                    GL_UNSIGNED_BYTE, pixels.data());
  }
  glGenerateMipmap(GL_TEXTURE_2D_ARRAY);
  glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
  glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAG_FILTER, GL_LINEAR);

  // Layer by layer, as the renderer orders them.
  std::vector<SpriteBatch::Vertex> vertices;
  std::vector<Placed> placed = Placements(count);
  const float half = static_cast<float>(pixels) / 2.0f;
  const float corners[4][2] = {{-1, 1}, {1, 1}, {1, -1}, {-1, -1}};
  for (int z = 0; z < 10; ++z)
    for (int i = z; i < count; i += 10) {
      float c = std::cos(placed[i].rotation), s = std::sin(placed[i].rotation);
      float frame = static_cast<float>(i % 4) * 0.25f;
      for (int k = 0; k < 4; ++k) {
        float px = placed[i].x + half * (corners[k][0] * c - corners[k][1] * s);
        float py = placed[i].y - half * (corners[k][0] * s + corners[k][1] * c);
        float u = frame + (corners[k][0] > 0 ? 0.25f : 0.0f), v = corners[k][1] > 0 ? 0.0f : 1.0f;
        vertices.push_back({px / 640.0f - 1.0f, 1.0f - py / 360.0f, u, v,
                            static_cast<float>(i % kSheets), 1.0f, 1.0f, 1.0f, 0.9f});
      }
    }
  std::vector<unsigned> indices;
  for (unsigned k = 0; k < static_cast<unsigned>(count); ++k)
    for (unsigned corner : {0u, 1u, 2u, 2u, 3u, 0u})
      indices.push_back(4 * k + corner);
  unsigned array = 0, buffers[2] = {};
  glGenVertexArrays(1, &array);
  glBindVertexArray(array);
  glGenBuffers(2, buffers);
  glBindBuffer(GL_ARRAY_BUFFER, buffers[0]);
  glBufferData(GL_ARRAY_BUFFER,
               static_cast<GLsizeiptr>(vertices.size() * sizeof(SpriteBatch::Vertex)),
               vertices.data(), GL_STATIC_DRAW);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[1]);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(unsigned)),
               indices.data(), GL_STATIC_DRAW);
  using Vertex = SpriteBatch::Vertex;
  for (unsigned a = 0; a < 3; ++a)
    glEnableVertexAttribArray(a);
  glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                        reinterpret_cast<void*>(offsetof(Vertex, x)));
  glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                        reinterpret_cast<void*>(offsetof(Vertex, u)));
  glVertexAttribPointer(2, 4, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                        reinterpret_cast<void*>(offsetof(Vertex, r)));
  glUseProgram(program);
  glUniform1i(glGetUniformLocation(program, "tex"), 0);

  auto frame = [&] {
    glClear(GL_COLOR_BUFFER_BIT);
    size_t first = 0;
    for (int z = 0; z < 10; ++z) {
      size_t quads = static_cast<size_t>(count / 10 + (z < count % 10 ? 1 : 0));
      glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(quads * 6), GL_UNSIGNED_INT,
                     reinterpret_cast<void*>(first * 6 * sizeof(unsigned)));
      glFlush();
      first += quads;
    }
    scene.graphics->SwapWindow();
  };
  for (int i = 0; i < 20; ++i)
    frame();
  glFinish();
  double start = Now(), startCpu = ProcessCpu();
  for (int i = 0; i < frames; ++i)
    frame();
  glFinish();
  std::printf("ms_per_frame %.4f cpu_ms_per_frame %.4f\n", (Now() - start) * 1000.0 / frames,
              (ProcessCpu() - startCpu) * 1000.0 / frames);
  return 0;
}

struct Pacing {
  std::vector<double> periods; // ms
  std::vector<double> work;    // ms from the frame's start to its wait
  std::vector<double> late;    // ms the wait ended after the deadline
  double waitCpu = 0.0;        // seconds
  long preempted = 0;          // involuntary context switches (other work on the cores)
};

double Percentile(std::vector<double> v, double p) {
  if (v.empty())
    return 0.0;
  std::sort(v.begin(), v.end());
  size_t at = static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
  return v[std::min(at, v.size() - 1)];
}

long Preemptions() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return usage.ru_nivcsw;
}

void PrintPacing(Pacing& spin, Pacing& sleep) {
  for (auto [name, p] : {std::pair<const char*, Pacing*>{"busy wait", &spin},
                         std::pair<const char*, Pacing*>{"sleep then spin", &sleep}}) {
    double frames = static_cast<double>(std::max<size_t>(p->periods.size(), 1));
    std::printf("%-16s frames %zu median %.4f ms p99 %.4f ms max %.4f ms waiting CPU %.3f ms "
                "a frame\n",
                name, p->periods.size(), Percentile(p->periods, 0.5), Percentile(p->periods, 0.99),
                Percentile(p->periods, 1.0), p->waitCpu * 1000.0 / frames);
    if (!p->work.empty())
      std::printf("%-16s work median %.3f ms p99 %.3f ms; wait ends late p99 %.3f ms max %.3f "
                  "ms; preempted %.2f times a frame\n",
                  "", Percentile(p->work, 0.5), Percentile(p->work, 0.99),
                  Percentile(p->late, 0.99), Percentile(p->late, 1.0),
                  static_cast<double>(p->preempted) / frames);
  }
}

int RunPacing(const fs::path& dir, int count, int pixels, int frames) {
  Scene scene;
  if (!scene.Open(dir, count, pixels))
    return 2;
  FrameTimer::Start();
  const double target = static_cast<double>(FrameTimer::targetFrameUnits) / 100.0;
  Pacing spin, sleep;
  float dt = 0.0f;
  // Alternating blocks of 100 frames, so machine load drifts over both alike.
  for (int block = 0; block < 2 * frames / 100; ++block) {
    bool sleeping = block % 2 == 1;
    FrameTimer::sleepBeforeSpin = sleeping;
    Pacing& into = sleeping ? sleep : spin;
    double previous = 0.0;
    long preempted = Preemptions();
    for (int i = 0; i <= 100; ++i) {
      FrameTimer::BeginFrame();
      double start = Now();
      if (i > 0)
        into.periods.push_back((start - previous) * 1000.0);
      previous = start;
      if (i == 100)
        break;
      scene.Frame(dt);
      double cpu = ThreadCpu();
      into.work.push_back((Now() - start) * 1000.0);
      dt = FrameTimer::WaitForFrameEnd();
      into.late.push_back(std::max(0.0, (Now() - start) * 1000.0 - target));
      into.waitCpu += ThreadCpu() - cpu;
    }
    into.preempted += Preemptions() - preempted;
  }
  PrintPacing(spin, sleep);
  return 0;
}

// The real game on one of its levels: the engine with all its systems and scripts, as the
// program runs it, for `frames` frames of each kind of wait (alternating blocks of 100).
int RunLevelPacing(const std::string& level, int frames) {
  fs::current_path(VANTIX_DATA_DIR);
  setenv("VANTIX_START_LEVEL", level.c_str(), 1);
  Pacing spin, sleep;
  double previous = 0.0, previousCpu = 0.0;
  long preempted = 0;
  GameHooks hooks;
  hooks.started = [&](Engine&) {
    previous = Now();
    previousCpu = ThreadCpu();
    preempted = Preemptions();
    FrameTimer::sleepBeforeSpin = false;
  };
  hooks.frameDone = [&](Engine& engine, long frame) {
    double now = Now(), cpu = ThreadCpu();
    // The first frames load and warm up; they are not counted.
    if (frame > 20) {
      Pacing& into = FrameTimer::sleepBeforeSpin ? sleep : spin;
      into.periods.push_back((now - previous) * 1000.0);
      into.waitCpu += cpu - previousCpu;
      into.preempted += Preemptions() - preempted;
    }
    previous = now;
    previousCpu = cpu;
    preempted = Preemptions();
    FrameTimer::sleepBeforeSpin = (frame / 100) % 2 == 1;
    if (frame >= 20 + 2L * frames)
      engine.quit = true;
  };
  RunGame(hooks);
  std::printf("level %s (CPU here is the main thread's whole frame, not only its wait)\n",
              level.c_str());
  PrintPacing(spin, sleep);
  return 0;
}
} // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 2 && args[0] == "art")
    return WriteArt(args[1]);
  // Without its art the scene would still run, untextured and drawn one by one, and measure
  // something else.
  bool needsArt =
      args.size() >= 2 && (args[0] == "scene" || args[0] == "floor" || args[0] == "pacing");
  if (needsArt && !fs::exists(fs::path(args[1]) / "Graphics/Art/sahatmftu.txt")) {
    std::fprintf(stderr, "%s holds no scene art: run bench_sprites art %s first\n", args[1].c_str(),
                 args[1].c_str());
    return 1;
  }
  if (args.size() >= 5 && args[0] == "scene")
    return RunScene(args[1], std::atoi(args[2].c_str()), std::atoi(args[3].c_str()),
                    std::atoi(args[4].c_str()), args.size() < 6 || args[5] != "single");
  if (args.size() == 5 && args[0] == "floor")
    return RunFloor(args[1], std::atoi(args[2].c_str()), std::atoi(args[3].c_str()),
                    std::atoi(args[4].c_str()));
  if (args.size() == 3 && args[0] == "pacing-level")
    return RunLevelPacing(args[1], std::atoi(args[2].c_str()));
  if (args.size() == 5 && args[0] == "pacing")
    return RunPacing(args[1], std::atoi(args[2].c_str()), std::atoi(args[3].c_str()),
                     std::atoi(args[4].c_str()));
  std::fprintf(stderr,
               "usage: bench_sprites art DIR | scene DIR N PX FRAMES [single|batch] | "
               "floor DIR N PX FRAMES | pacing DIR N PX FRAMES | pacing-level LEVEL FRAMES\n");
  return 1;
}
