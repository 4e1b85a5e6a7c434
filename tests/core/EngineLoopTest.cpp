// The frame: timer and FrameRate.txt, LogicUpdate twice per frame, system order, deferred
// flags, and the singleton rule.
#include "Core/FrameTimer.h"

#include "core/CoreFixtures.h"
#include "support/TestSupport.h"
#include <chrono>
#include <ctime>
#include <thread>

TEST(FrameRateFile, ReadsAtMostThreeCharacters) {
  ScratchDir dir;
  struct Case {
    const char* text;
    int rate;
    int64_t units;
  } cases[] = {{"30", 30, 3333},
               {"120", 120, 833},
               {"1000", 100, 1000},
               {"60\n", 60, 1666},
               {"7fps", 7, 14285}};
  for (const Case& c : cases) {
    dir.Write("FrameRate.txt", c.text);
    EXPECT_EQ(FrameTimer::ReadFrameRate(), c.rate) << c.text;
    FrameTimer::Start();
    EXPECT_EQ(FrameTimer::targetFrameUnits, c.units) << c.text;
  }
}

TEST(FrameRateFile, MissingFileIsWrittenAsExactly60) {
  ScratchDir dir;
  EXPECT_EQ(FrameTimer::ReadFrameRate(), 60);
  EXPECT_EQ(dir.Read("FrameRate.txt"), "60");
  FrameTimer::Start();
  EXPECT_EQ(FrameTimer::targetFrameUnits, 1666);
}

TEST(FrameRateFile, NonPositiveOrGarbageFallsBackTo60) {
  ScratchDir dir;
  for (const char* text : {"abc", "0", "-30", "", " \n", "\n60"}) {
    dir.Write("FrameRate.txt", text);
    EXPECT_EQ(FrameTimer::ReadFrameRate(), 60) << '"' << text << '"';
    EXPECT_EQ(dir.Read("FrameRate.txt"), text) << "an existing file is never rewritten";
  }
  // The file's bytes are quoted in the message; an escape sequence is not passed on as such.
  dir.Write("FrameRate.txt", "\x1b[2");
  testing::internal::CaptureStderr();
  EXPECT_EQ(FrameTimer::ReadFrameRate(), 60);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "FrameRate.txt: \"\\x1B[2\" is not a positive frame rate, using 60\n");
}

TEST(FrameRateFile, FrameLastsAtLeastTheTarget) {
  ScratchDir dir;
  dir.Write("FrameRate.txt", "30");
  FrameTimer::Start();
  FrameTimer::BeginFrame();
  float dt = FrameTimer::WaitForFrameEnd();
  EXPECT_GE(dt, 0.03333f);
  EXPECT_LT(dt, 1.0f);
}

// Work between one wait and the next frame's start (the step's event, the loop's return) counts
// in the next frame, so the period runs from deadline to deadline; after a gap of more than a
// frame the frame starts afresh.
TEST(FrameRateFile, FramesRunFromDeadlineToDeadline) {
  ScratchDir dir;
  dir.Write("FrameRate.txt", "30");
  FrameTimer::Start();
  const int64_t ms = FrameTimer::counterFrequency / 1000;
  FrameTimer::BeginFrame();
  FrameTimer::WaitForFrameEnd();
  int64_t waitEnded = FrameTimer::Now();
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  FrameTimer::BeginFrame();
  EXPECT_LE(FrameTimer::frameStart, waitEnded);
  EXPECT_GE(FrameTimer::frameStart, waitEnded - 2 * ms);
  float dt = FrameTimer::WaitForFrameEnd();
  EXPECT_GE(dt, 0.03333f);

  std::this_thread::sleep_for(std::chrono::milliseconds(40));
  int64_t before = FrameTimer::Now();
  FrameTimer::BeginFrame();
  EXPECT_GE(FrameTimer::frameStart, before) << "a gap longer than a frame is not carried";
}

namespace {
double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}
} // namespace

// The limiter sleeps through most of the wait, leaving the core free, and spins only the last
// stretch: each frame still lasts at least the target, and the thread uses a small part of the
// waiting time. (A limiter that only spins uses all of it.)
TEST(FrameRateFile, WaitingSleepsMostOfTheTimeAndStillHoldsThePeriod) {
  ScratchDir dir;
  dir.Write("FrameRate.txt", "30");
  FrameTimer::Start();
  ASSERT_TRUE(FrameTimer::sleepBeforeSpin);
  double cpu = 0.0, wall = 0.0;
  for (int i = 0; i < 6; ++i) {
    FrameTimer::BeginFrame();
    double before = ThreadCpuSeconds();
    float dt = FrameTimer::WaitForFrameEnd();
    cpu += ThreadCpuSeconds() - before;
    wall += dt;
    EXPECT_GE(dt, 0.03333f);
    EXPECT_GE(FrameTimer::sleepMarginUnits, FrameTimer::kSleepMarginStart);
  }
  EXPECT_LT(cpu, 0.5 * wall) << "the wait should sleep most of its " << wall << " s";
}

// A whole engine, initialised headless, with two probe systems.
class EngineLoop : public ::testing::Test {
protected:
  void SetUp() override {
    engine = new Engine();
    first = new ProbeSystem("first", &log);
    second = new ProbeSystem("second", &log);
    engine->AddSystems(2, first, second);
    engine->Initialize();
    handler = std::make_unique<RecordingHandler>(0, nullptr, "h");
    handler->onEvent = [this](PolyEventBase& event, const std::string&) {
      if (auto* logic = dynamic_cast<LogicUpdate*>(&event))
        steps.push_back(logic->dt);
    };
    engine->eventDispatcher->Connect(handler.get(), "OnLogicUpdate", "LogicUpdate");
  }
  void TearDown() override {
    engine->Shutdown();
    handler.reset();
    delete engine;
    delete first;
    delete second;
  }

  ScratchDir dir;
  Engine* engine = nullptr;
  ProbeSystem* first = nullptr;
  ProbeSystem* second = nullptr;
  std::vector<std::string> log;
  std::unique_ptr<RecordingHandler> handler;
  std::vector<float> steps;
};

TEST_F(EngineLoop, StartsWithThreeSpacesAndTheBufferSpaceInactive) {
  EXPECT_EQ(dir.Read("FrameRate.txt"), "60");
  EXPECT_TRUE(first->initialized);
  ASSERT_EQ(engine->spaces.size(), 3u);
  const char* names[] = {"Main", "Pause", "HUD"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(engine->spaces[i]->name, names[i]);
    EXPECT_EQ(engine->spaces[i]->index, i);
  }
  EXPECT_EQ(engine->GetBufferSpace(), engine->spaces[1]);
  EXPECT_EQ(engine->GetHUDSpace(), engine->spaces[2]);
  for (int frame = 0; frame < 2; ++frame) {
    EXPECT_TRUE(engine->spaces[0]->m_Active);
    EXPECT_FALSE(engine->spaces[1]->m_Active);
    EXPECT_TRUE(engine->spaces[2]->m_Active);
    engine->Update();
  }
}

TEST_F(EngineLoop, EverySystemUpdatesEverySpaceInOrder) {
  engine->Update();
  EXPECT_EQ(log, (std::vector<std::string>{"first@0", "first@1", "first@2", "second@0", "second@1",
                                           "second@2"}));
}

TEST_F(EngineLoop, LogicUpdateRunsTwicePerFrameStartingWithZero) {
  double before = LogicUpdate::timePassed;
  engine->Update();
  float dt1 = engine->dt;
  engine->Update();
  float dt2 = engine->dt;
  ASSERT_EQ(steps.size(), 4u);
  EXPECT_EQ(steps[0], 0.0f) << "the first frame starts with dt 0";
  EXPECT_EQ(steps[1], dt1);
  EXPECT_EQ(steps[2], dt1) << "a frame starts with the previous frame's dt";
  EXPECT_EQ(steps[3], dt2);
  EXPECT_GE(dt1, 0.01666f);
  EXPECT_EQ(first->lastDt, dt1) << "systems step with the previous frame's dt";
  EXPECT_NEAR(LogicUpdate::timePassed - before, 2 * 0.16666667 + dt1 + dt2, 1e-6);
}

TEST_F(EngineLoop, QuitMidFrameStillFinishesTheFrame) {
  Space* main = engine->spaces[0];
  GameObject* doomed = main->CreateEmptyObject();
  doomed->Destroy();
  first->onUpdate = [this](Space*) { engine->quit = true; };
  engine->Update();
  EXPECT_TRUE(engine->quit);
  EXPECT_EQ(log.size(), 6u) << "every system still ran";
  EXPECT_TRUE(main->objects.empty()) << "the end-of-frame pass ran";
  EXPECT_EQ(steps.size(), 2u) << "the closing LogicUpdate was sent";
  EXPECT_GE(engine->dt, 0.01666f) << "the frame waited for its period";
}

TEST_F(EngineLoop, PausedTakesEffectAtTheEndOfTheFrame) {
  engine->SetPaused(true);
  EXPECT_FALSE(engine->GetPaused());
  engine->Update();
  EXPECT_TRUE(engine->GetPaused());
  engine->SetPaused(false);
  EXPECT_TRUE(engine->GetPaused());
  engine->Update();
  EXPECT_FALSE(engine->GetPaused());
}

TEST_F(EngineLoop, SpaceCreatedDuringAFrameIsUpdatedInThatFrame) {
  first->onUpdate = [this](Space* space) {
    if (space->index == 0)
      engine->CreateSpace("Late");
    first->onUpdate = nullptr;
  };
  engine->Update();
  EXPECT_EQ(log.back(), "second@3");
  EXPECT_FALSE(engine->spaces[3]->m_Active) << "active for the frame it was made in only";
}

TEST_F(EngineLoop, ShutdownRunsSystemsAndDropsTheDispatcher) {
  engine->Shutdown();
  EXPECT_TRUE(first->shutDown);
  EXPECT_TRUE(second->shutDown);
  EXPECT_EQ(engine->eventDispatcher, nullptr);
  EXPECT_EQ(EventDispatcher::ms_Singleton, nullptr);
  EXPECT_EQ(engine->auxList, nullptr);
  // TearDown shuts down again: harmless.
  first->shutDown = false;
}

TEST(SingletonDeathTest, SecondInstanceIsFatal) {
  EXPECT_DEATH(
      {
        Engine one;
        Engine two;
      },
      "!ms_Singleton");
}
