// The space's lists of live components across clearing and refilling a level.
#include "core/CoreFixtures.h"

namespace {

class LiveLists : public EngineFixture {
protected:
  size_t Listed(const std::string& type) { return main->liveComponents[type].size(); }
};

TEST_F(LiveLists, ClearingEmptiesEveryListAndRefillingListsEachComponentOnce) {
  std::vector<BaseComponent*> first;
  for (int i = 0; i < 500; ++i) {
    GameObject* o = main->CreateEmptyObject();
    first.push_back(o->AddComponent("Transform"));
    if (i % 2)
      o->AddComponent("Sprite");
  }
  EXPECT_EQ(Listed("Transform"), 500u);
  EXPECT_EQ(Listed("Sprite"), 250u);
  main->Clear();
  EXPECT_EQ(Listed("Transform"), 0u);
  EXPECT_EQ(Listed("Sprite"), 0u);

  // The pooled components come back, each listed once, in the order they were added.
  std::vector<BaseComponent*> second;
  for (int i = 0; i < 300; ++i)
    second.push_back(main->CreateEmptyObject()->AddComponent("Transform"));
  EXPECT_EQ(main->liveComponents["Transform"], second);
  std::sort(second.begin(), second.end());
  EXPECT_EQ(std::adjacent_find(second.begin(), second.end()), second.end());

  // Removing one in the middle keeps the others' order.
  GameObject* middle = main->objects[150];
  BaseComponent* gone = middle->GetComponent("Transform");
  middle->RemoveComponent("Transform");
  EXPECT_EQ(Listed("Transform"), 299u);
  const auto& list = main->liveComponents["Transform"];
  EXPECT_EQ(std::find(list.begin(), list.end(), gone), list.end());
  EXPECT_EQ(list[150], main->objects[151]->GetComponent("Transform"));
}

} // namespace
