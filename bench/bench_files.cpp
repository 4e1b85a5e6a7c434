// Loading and saving a level of 10,000 objects (2,500 top-level objects with three children
// each, every object with a Transform and a Sprite, the top-level ones with a GameNode too),
// and the time just to scan the file's words.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <unistd.h>

#include "Core/Engine.h"
#include "Core/Space.h"
#include "Graphics/Sprite.h"
#include "Meta/File.h"
#include "Meta/TextReader.h"
#include "Meta/TextWriter.h"
#include "Meta/TypeRegistry.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "Ratios.h"

namespace {
constexpr int kTopLevel = 2500;
constexpr int kChildren = 3;
constexpr int kObjects = kTopLevel * (1 + kChildren);
const char* const kLevel = "Node Levels\\bench.level";

struct World {
  Engine engine;
  Space* space;
  std::string text;

  World() {
    RegisterAllTypes();
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("vantix-bench-files-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir / "Node Levels");
    std::filesystem::current_path(dir);
    space = engine.CreateSpace("Main");
    for (int i = 0; i < kTopLevel; ++i) {
      GameObject* top = Fill(space->CreateEmptyObject(), "Node", i);
      top->AddComponent("GameNode");
      for (int c = 0; c < kChildren; ++c)
        Fill(space->CreateEmptyObject(), "Part", c)->SetParent(top);
    }
    text = LevelText(*space);
    space->SaveLevel(kLevel);
  }

  static GameObject* Fill(GameObject* object, const char* name, int n) {
    object->m_Name = std::string(name) + " " + std::to_string(n);
    auto* t = static_cast<Transform*>(object->AddComponent("Transform"));
    t->translation_ = Vector2D(static_cast<float>(n), static_cast<float>(n % 7), 1.0f);
    t->z_order = n % 10;
    auto* s = static_cast<Sprite*>(object->AddComponent("Sprite"));
    s->source_.filename_ = "Graphics\\Art\\node.png";
    return object;
  }
};

World& TheWorld() {
  static World world;
  return world;
}

void BM_LoadLevel(benchmark::State& state) {
  World& w = TheWorld();
  for (auto _ : state) {
    w.space->LoadLevel(kLevel);
    benchmark::DoNotOptimize(w.space->objects.data());
  }
  if (w.space->objects.size() != static_cast<size_t>(kObjects))
    state.SkipWithError("the level did not load completely");
  state.SetItemsProcessed(state.iterations() * kObjects);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(w.text.size()));
}

void BM_SaveLevel(benchmark::State& state) {
  World& w = TheWorld();
  w.space->LoadLevel(kLevel);
  for (auto _ : state)
    benchmark::DoNotOptimize(w.space->SaveLevel(kLevel));
  state.SetItemsProcessed(state.iterations() * kObjects);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(w.text.size()));
}

// The writer alone, without the disk.
void BM_WriteLevelText(benchmark::State& state) {
  World& w = TheWorld();
  w.space->LoadLevel(kLevel);
  for (auto _ : state) {
    std::string text = LevelText(*w.space);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetItemsProcessed(state.iterations() * kObjects);
}

// Scanning every word of the file, with nothing built from them.
void BM_ReadTokens(benchmark::State& state) {
  World& w = TheWorld();
  size_t words = 0;
  for (auto _ : state) {
    TextReader in(w.text, "bench.level");
    words = 0;
    while (in.ReadToken())
      ++words;
    benchmark::DoNotOptimize(words);
  }
  state.counters["words"] = static_cast<double>(words);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(w.text.size()));
}
} // namespace

int main(int argc, char** argv) {
  // Loading and tokenizing alternate; saving and writing run once at the end.
  bench::RegisterAlternating(
      5, {{"LoadLevel", &BM_LoadLevel}, {"ReadTokens", &BM_ReadTokens}},
      [](benchmark::internal::Benchmark* b) { b->Unit(benchmark::kMillisecond); });
  bench::RegisterAlternating(
      1, {{"SaveLevel", &BM_SaveLevel}, {"WriteLevelText", &BM_WriteLevelText}},
      [](benchmark::internal::Benchmark* b) { b->Unit(benchmark::kMillisecond); });
  return bench::RunWithRatios(argc, argv, [](const bench::RatioReporter& r) {
    r.Ratio("level load / tokenizing its text", "LoadLevel", "ReadTokens", 2.5, true);
  });
}
