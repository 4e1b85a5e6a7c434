// Delivery of events to connected handlers: order, activity, changes during a delivery, and the
// space shutdown hook.
#include <memory>

#include "core/CoreFixtures.h"

namespace {
int Count(const std::vector<std::string>& log, const std::string& entry) {
  return static_cast<int>(std::count(log.begin(), log.end(), entry));
}
} // namespace

class Dispatch : public EngineFixture {
protected:
  RecordingHandler* Make(int space, const std::string& tag) {
    handlers.push_back(std::make_unique<RecordingHandler>(space, &log, tag));
    return handlers.back().get();
  }
  void TearDown() override {
    handlers.clear();
    EngineFixture::TearDown();
  }
  std::vector<std::string> log;
  std::vector<std::unique_ptr<RecordingHandler>> handlers;
  LogicUpdate update{0.0f};
};

TEST_F(Dispatch, CallsRecordsInConnectionOrderIncludingDuplicates) {
  auto* a = Make(0, "a");
  auto* b = Make(0, "b");
  Dispatcher().Connect(a, "OnA", "LogicUpdate");
  Dispatcher().Connect(b, "OnB", "LogicUpdate");
  Dispatcher().Connect(a, "OnA", "LogicUpdate");
  Dispatcher().Connect(b, "OnKey", "KeyIsDown");
  Dispatcher().Send(update, "LogicUpdate");
  EXPECT_EQ(log, (std::vector<std::string>{"a:OnA", "b:OnB", "a:OnA"}));
  log.clear();
  Dispatcher().Send(update, "NobodyListens");
  EXPECT_TRUE(log.empty());
}

TEST_F(Dispatch, HandlerReceivesTheEventItself) {
  auto* a = Make(0, "a");
  float seen = -1.0f;
  a->onEvent = [&](PolyEventBase& event, const std::string&) {
    if (auto* logic = dynamic_cast<LogicUpdate*>(&event))
      seen = logic->dt;
  };
  Dispatcher().Connect(a, "OnUpdate", "LogicUpdate");
  LogicUpdate quarter(0.25f);
  Dispatcher().Send(quarter, "LogicUpdate");
  EXPECT_EQ(seen, 0.25f);
}

TEST_F(Dispatch, DisconnectRemovesOneMatchingRecord) {
  auto* a = Make(0, "a");
  auto* b = Make(0, "b");
  Dispatcher().Connect(a, "F", "LogicUpdate");
  Dispatcher().Connect(b, "F", "LogicUpdate");
  Dispatcher().Connect(a, "F", "LogicUpdate");
  Dispatcher().Disconnect(a, "F", "LogicUpdate");
  Dispatcher().Disconnect(a, "f", "LogicUpdate"); // case-sensitive: no match
  Dispatcher().Disconnect(a, "F", "Unknown");
  EXPECT_EQ(Dispatcher().ConnectionCount(main, "LogicUpdate"), 2u);
  Dispatcher().Send(update, "LogicUpdate");
  EXPECT_EQ(log, (std::vector<std::string>{"b:F", "a:F"}));
}

TEST_F(Dispatch, InactiveSpacesGetNothingAndSendToSpaceTargetsOne) {
  Space* hud = engine->CreateSpace("HUD");
  auto* inMain = Make(0, "main");
  auto* inHud = Make(1, "hud");
  auto* nowhere = Make(-1, "none");
  Dispatcher().Connect(inMain, "F", "LogicUpdate");
  Dispatcher().Connect(inHud, "F", "LogicUpdate");
  Dispatcher().Connect(nowhere, "F", "LogicUpdate");
  Dispatcher().Connect(inHud, "Loaded", "AllObjectsCreated");
  Dispatcher().Connect(inMain, "Loaded", "AllObjectsCreated");

  hud->m_Active = false;
  Dispatcher().Send(update, "LogicUpdate");
  EXPECT_EQ(log, (std::vector<std::string>{"main:F"}));

  log.clear();
  hud->m_Active = true;
  AllObjectsCreated created;
  created.Quarter = 3;
  Dispatcher().SendToSpace(created, hud, "AllObjectsCreated");
  EXPECT_EQ(log, (std::vector<std::string>{"hud:Loaded"}));

  log.clear();
  hud->m_Active = false;
  Dispatcher().SendToSpace(created, hud, "AllObjectsCreated");
  EXPECT_TRUE(log.empty());
}

TEST_F(Dispatch, RecordsConnectedDuringADeliveryWaitForTheNextOne) {
  auto* a = Make(0, "a");
  auto* b = Make(0, "b");
  a->onEvent = [&](PolyEventBase&, const std::string&) {
    // Enough connections to make the vector reallocate under the walk.
    for (int i = 0; i < 64; ++i)
      Dispatcher().Connect(b, "Late", "LogicUpdate");
  };
  Dispatcher().Connect(a, "Early", "LogicUpdate");
  Dispatcher().Send(update, "LogicUpdate");
  EXPECT_EQ(log, (std::vector<std::string>{"a:Early"}));
  log.clear();
  a->onEvent = nullptr;
  Dispatcher().Send(update, "LogicUpdate");
  EXPECT_EQ(Count(log, "b:Late"), 64);
}

TEST_F(Dispatch, HandlerInANewSpaceWaitsForTheNextSend) {
  auto* a = Make(0, "a");
  Space* later = engine->CreateSpace("Later");
  auto* b = Make(later->index, "b");
  a->onEvent = [&](PolyEventBase&, const std::string&) {
    Dispatcher().Connect(b, "F", "LogicUpdate");
  };
  Dispatcher().Connect(a, "F", "LogicUpdate");
  Dispatcher().Send(update, "LogicUpdate");
  EXPECT_EQ(Count(log, "b:F"), 0);
  a->onEvent = nullptr;
  Dispatcher().Send(update, "LogicUpdate");
  EXPECT_EQ(Count(log, "b:F"), 1);
}

TEST_F(Dispatch, DisconnectingTheCurrentRecordNeitherSkipsNorRepeats) {
  auto* a = Make(0, "a");
  auto* b = Make(0, "b");
  auto* c = Make(0, "c");
  b->onEvent = [&](PolyEventBase&, const std::string&) {
    Dispatcher().Disconnect(b, "F", "LogicUpdate");
  };
  for (auto* h : {a, b, c})
    Dispatcher().Connect(h, "F", "LogicUpdate");
  Dispatcher().Send(update, "LogicUpdate");
  EXPECT_EQ(log, (std::vector<std::string>{"a:F", "b:F", "c:F"}));
  log.clear();
  Dispatcher().Send(update, "LogicUpdate");
  EXPECT_EQ(log, (std::vector<std::string>{"a:F", "c:F"}));
}

TEST_F(Dispatch, DisconnectingALaterRecordSkipsOnlyThatOne) {
  auto* a = Make(0, "a");
  auto* b = Make(0, "b");
  auto* c = Make(0, "c");
  auto* d = Make(0, "d");
  a->onEvent = [&](PolyEventBase&, const std::string&) {
    Dispatcher().Disconnect(c, "F", "LogicUpdate");
  };
  for (auto* h : {a, b, c, d})
    Dispatcher().Connect(h, "F", "LogicUpdate");
  Dispatcher().Send(update, "LogicUpdate");
  EXPECT_EQ(log, (std::vector<std::string>{"a:F", "b:F", "d:F"}));
  // An earlier one removed by a later handler: the walk goes on without repeating anything.
  log.clear();
  d->onEvent = [&](PolyEventBase&, const std::string&) {
    Dispatcher().Disconnect(a, "F", "LogicUpdate");
  };
  a->onEvent = nullptr;
  Dispatcher().Send(update, "LogicUpdate");
  Dispatcher().Send(update, "LogicUpdate");
  EXPECT_EQ(log, (std::vector<std::string>{"a:F", "b:F", "d:F", "b:F", "d:F"}));
}

TEST_F(Dispatch, HandlerDestroyedDuringADeliveryIsNotCalled) {
  auto* a = Make(0, "a");
  auto* doomed = new RecordingHandler(0, &log, "doomed");
  a->onEvent = [&](PolyEventBase&, const std::string&) {
    delete doomed;
    doomed = nullptr;
  };
  Dispatcher().Connect(a, "F", "LogicUpdate");
  Dispatcher().Connect(doomed, "F", "LogicUpdate");
  Dispatcher().Connect(doomed, "G", "KeyIsDown");
  Dispatcher().Send(update, "LogicUpdate");
  EXPECT_EQ(log, (std::vector<std::string>{"a:F"}));
  EXPECT_EQ(Dispatcher().ConnectionCount(main, "KeyIsDown"), 0u);
}

TEST_F(Dispatch, ClearingTheSpaceFromAHandlerStopsTheDelivery) {
  auto* a = Make(0, "a");
  auto* b = Make(0, "b");
  auto* c = Make(0, "c");
  b->onEvent = [&](PolyEventBase&, const std::string&) {
    main->Clear();
    // A script of the newly loaded level connects at once.
    Dispatcher().Connect(a, "Fresh", "LogicUpdate");
  };
  for (auto* h : {a, b, c})
    Dispatcher().Connect(h, "F", "LogicUpdate");
  Dispatcher().Send(update, "LogicUpdate");
  EXPECT_EQ(log,
            (std::vector<std::string>{"a:F", "b:F", "a:Shutdown", "b:Shutdown", "c:Shutdown"}));
  log.clear();
  b->onEvent = nullptr;
  Dispatcher().Send(update, "LogicUpdate");
  EXPECT_EQ(log, (std::vector<std::string>{"a:Fresh"}));
}

TEST_F(Dispatch, ShutdownSpaceCallsShutdownOncePerRecordAndDropsAll) {
  Space* hud = engine->CreateSpace("HUD");
  auto* a = Make(0, "a");
  auto* b = Make(0, "b");
  auto* other = Make(1, "other");
  Dispatcher().Connect(a, "F", "LogicUpdate");
  Dispatcher().Connect(a, "G", "KeyIsDown");
  Dispatcher().Connect(a, "H", "MouseMoved");
  Dispatcher().Connect(b, "F", "LogicUpdate");
  Dispatcher().Connect(other, "F", "LogicUpdate");
  // "Shutdown" may disconnect and connect without disturbing the walk.
  a->onCall = [&](const std::string&) {
    Dispatcher().Disconnect(b, "F", "LogicUpdate");
    Dispatcher().Connect(a, "Again", "LogicUpdate");
  };
  Dispatcher().ShutdownSpace(main);
  EXPECT_EQ(Count(log, "a:Shutdown"), 3);
  EXPECT_EQ(Count(log, "b:Shutdown"), 1);
  EXPECT_EQ(Count(log, "other:Shutdown"), 0);
  EXPECT_EQ(Dispatcher().ConnectionCount(main, "LogicUpdate"), 0u);
  EXPECT_EQ(Dispatcher().ConnectionCount(main, "KeyIsDown"), 0u);
  EXPECT_EQ(Dispatcher().ConnectionCount(hud, "LogicUpdate"), 1u);

  log.clear();
  Dispatcher().ShutdownSpace(nullptr);
  Dispatcher().ShutdownSpace(main);
  EXPECT_TRUE(log.empty());
}

TEST_F(Dispatch, HandlerDestroyedByAnotherShutdownIsNotCalled) {
  auto* a = Make(0, "a");
  auto* doomed = new RecordingHandler(0, &log, "doomed");
  a->onCall = [&](const std::string&) {
    delete doomed;
    doomed = nullptr;
  };
  Dispatcher().Connect(a, "F", "LogicUpdate");
  Dispatcher().Connect(doomed, "F", "LogicUpdate");
  Dispatcher().ShutdownSpace(main);
  EXPECT_EQ(log, (std::vector<std::string>{"a:Shutdown"}));
}

TEST_F(Dispatch, DeletedSpaceIsForgotten) {
  Space* extra = engine->CreateSpace("Extra");
  auto* a = Make(extra->index, "a");
  Dispatcher().Connect(a, "F", "LogicUpdate");
  // Spaces are normally kept for the life of the program; one deleted anyway must not be
  // reached again.
  engine->spaces.pop_back();
  delete extra;
  Dispatcher().Send(update, "LogicUpdate");
  EXPECT_TRUE(log.empty());
}

TEST(EventClasses, LogicUpdateAddsEveryConstructionToTimePassed) {
  double before = LogicUpdate::timePassed;
  LogicUpdate standard;
  EXPECT_EQ(standard.dt, 0.16666667f);
  LogicUpdate timed(0.5f);
  EXPECT_DOUBLE_EQ(LogicUpdate::timePassed - before, static_cast<double>(0.16666667f) + 0.5);
}
