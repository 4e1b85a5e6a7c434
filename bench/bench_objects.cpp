// Object churn through a space (create, attach components, destroy, end-of-frame pass) and
// event dispatch to many handlers.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "Core/Engine.h"
#include "Core/Space.h"
#include "Meta/TypeRegistry.h"
#include "Objects/EventDispatcher.h"
#include "Objects/EventHandler.h"
#include "Objects/Events.h"
#include "Objects/GameObject.h"

namespace {
// The smallest handler: counts its calls.
class CountingHandler : public EventHandler {
public:
  explicit CountingHandler(int space) : space(space) {}
  int HandlerSpaceIndex() const override { return space; }
  void HandleEvent(PolyEventBase&, const std::string&) override { ++calls; }
  void CallFunction(const std::string&) override {}
  int space;
  long calls = 0;
};

struct EngineScope {
  EngineScope() {
    RegisterAllTypes();
    engine = new Engine();
    engine->eventDispatcher = new EventDispatcher();
    space = engine->CreateSpace("Main");
  }
  ~EngineScope() { delete engine; }
  Engine* engine;
  Space* space;
};

// Per iteration: `batch` objects with Transform, Sprite and RigidBody are made and destroyed,
// and the frame ends.
void BM_CreateDestroyObjects(benchmark::State& state) {
  EngineScope scope;
  const int batch = static_cast<int>(state.range(0));
  std::vector<GameObject*> made(static_cast<size_t>(batch));
  for (auto _ : state) {
    for (int i = 0; i < batch; ++i) {
      GameObject* object = scope.space->CreateEmptyObject();
      object->AddComponent("Transform");
      object->AddComponent("Sprite");
      object->AddComponent("RigidBody");
      made[static_cast<size_t>(i)] = object;
    }
    for (GameObject* object : made)
      object->Destroy();
    scope.space->EndFrame();
  }
  state.counters["objects/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * batch,
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CreateDestroyObjects)->Arg(100)->Arg(1000);

// The same churn while 2000 long-lived objects stay in the space: destroying a scattered half
// of a large list.
void BM_DestroyHalfOfALargeSpace(benchmark::State& state) {
  EngineScope scope;
  std::vector<GameObject*> made;
  for (auto _ : state) {
    made.clear();
    for (int i = 0; i < 2000; ++i) {
      GameObject* object = scope.space->CreateEmptyObject();
      object->AddComponent("Transform");
      made.push_back(object);
    }
    for (size_t i = 0; i < made.size(); i += 2)
      made[i]->Destroy();
    scope.space->EndFrame();
    for (size_t i = 1; i < made.size(); i += 2)
      made[i]->Destroy();
    scope.space->EndFrame();
  }
  state.counters["objects/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * 2000,
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DestroyHalfOfALargeSpace);

// One Send of "LogicUpdate" reaching N handlers of one space.
void BM_DispatchToHandlers(benchmark::State& state) {
  EngineScope scope;
  const int n = static_cast<int>(state.range(0));
  std::vector<std::unique_ptr<CountingHandler>> handlers;
  for (int i = 0; i < n; ++i) {
    handlers.push_back(std::make_unique<CountingHandler>(0));
    scope.engine->eventDispatcher->Connect(handlers.back().get(), "OnLogicUpdate", "LogicUpdate");
  }
  LogicUpdate update(0.016f);
  for (auto _ : state)
    scope.engine->eventDispatcher->Send(update, "LogicUpdate");
  state.counters["deliveries/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * n, benchmark::Counter::kIsRate);
  handlers.clear();
}
BENCHMARK(BM_DispatchToHandlers)->Arg(1)->Arg(100)->Arg(1000);
} // namespace

BENCHMARK_MAIN();
