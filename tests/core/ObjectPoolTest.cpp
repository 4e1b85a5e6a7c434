// Objects and components: pools, ids, deferred swap-and-pop destruction, parenting.
#include <algorithm>
#include <set>

#include "Objects/Component.h"
#include "Objects/Transform.h"
#include "Physics/RigidBody.h"
#include "core/CoreFixtures.h"

using ObjectPool = EngineFixture;

TEST_F(ObjectPool, FreshObjectsArePreparedAndNumberedInCreationOrder) {
  GameObject blank;
  EXPECT_FALSE(blank.m_Active);
  EXPECT_EQ(blank.m_Self, -1);
  EXPECT_EQ(blank.spaceIndex, 0);
  EXPECT_EQ(blank.m_Name, "__NULLOBJECT__");
  EXPECT_EQ(blank.m_ArchetypeName, "__NULLOBJECT__");

  Space* other = engine->CreateSpace("Other");
  GameObject* a = other->CreateEmptyObject();
  GameObject* b = other->CreateEmptyObject();
  EXPECT_EQ(a->m_Self, 0);
  EXPECT_EQ(b->m_Self, 1);
  EXPECT_EQ(a->index, 0);
  EXPECT_EQ(b->index, 1);
  EXPECT_EQ(a->spaceIndex, 1);
  EXPECT_TRUE(a->m_Active);
  EXPECT_FALSE(a->IsDead);
  EXPECT_EQ(a->m_Name, "");
  EXPECT_EQ(a->m_ArchetypeName, "");
  EXPECT_EQ(a->parent, nullptr);
  EXPECT_EQ(a->GetSpace(), other);
}

TEST_F(ObjectPool, GrowsInBlocksOf200) {
  EXPECT_EQ(main->AllocatedObjects(), 200u);
  EXPECT_EQ(main->objectPool.size(), 200u);
  MakeObjects(main, 200);
  EXPECT_EQ(main->AllocatedObjects(), 200u);
  EXPECT_TRUE(main->objectPool.empty());
  main->CreateEmptyObject();
  EXPECT_EQ(main->AllocatedObjects(), 400u);
  EXPECT_EQ(main->objectPool.size(), 199u);
  EXPECT_EQ(main->objects.back()->m_Self, 200);
}

TEST_F(ObjectPool, IdsAreNotReusedUntilClear) {
  auto objects = MakeObjects(main, 3);
  objects[1]->Destroy();
  main->DestroyPending();
  GameObject* next = main->CreateEmptyObject();
  EXPECT_EQ(next, objects[1]) << "storage is recycled";
  EXPECT_EQ(next->m_Self, 3) << "the id is not";
  main->Clear();
  EXPECT_EQ(main->CreateEmptyObject()->m_Self, 0);
}

TEST_F(ObjectPool, DestroyIsDeferredToTheEndOfTheFrame) {
  auto objects = MakeObjects(main, 3);
  objects[1]->Destroy();
  EXPECT_TRUE(objects[1]->IsDead);
  EXPECT_EQ(main->objects.size(), 3u);
  EXPECT_EQ(main->GetObjectByName("o1"), objects[1]);
  EXPECT_EQ(main->GetObjectById(1), objects[1]);
  main->EndFrame();
  EXPECT_EQ(main->objects.size(), 2u);
  EXPECT_EQ(main->GetObjectByName("o1"), nullptr);
  EXPECT_TRUE(main->pendingDestroy.empty());
}

TEST_F(ObjectPool, DestroyingIndices2And5OfSevenSwapsFromTheEnd) {
  auto o = MakeObjects(main, 7);
  o[5]->Destroy();
  o[2]->Destroy();
  main->DestroyPending();
  // 5 takes the object from 6 (list 0 1 2 3 4 6); then 2 takes the one now at index 5.
  std::vector<GameObject*> expected = {o[0], o[1], o[6], o[3], o[4]};
  EXPECT_EQ(main->objects, expected);
  for (size_t i = 0; i < main->objects.size(); ++i)
    EXPECT_EQ(main->objects[i]->index, static_cast<int>(i));
}

TEST_F(ObjectPool, DestroyTwiceReleasesOnceAndNeverReadsPastTheList) {
  auto o = MakeObjects(main, 3);
  // The last object listed twice: after the first release the repeated index equals the size
  // of the shortened list.
  o[2]->Destroy();
  o[2]->Destroy();
  o[0]->Destroy();
  o[0]->Destroy();
  size_t pooled = main->objectPool.size();
  main->DestroyPending();
  ASSERT_EQ(main->objects.size(), 1u);
  EXPECT_EQ(main->objects[0], o[1]);
  EXPECT_EQ(o[1]->index, 0);
  EXPECT_EQ(main->objectPool.size(), pooled + 2) << "each object pooled once";
  std::set<GameObject*> unique;
  for (auto& entry : main->objectPool)
    EXPECT_TRUE(unique.insert(entry.second).second) << "an object is in the pool twice";
}

TEST_F(ObjectPool, RevivedObjectIsNotReleased) {
  // "IsDead" is writable by scripts; the pass releases only objects still dead.
  auto o = MakeObjects(main, 2);
  o[0]->Destroy();
  o[0]->IsDead = false;
  main->DestroyPending();
  EXPECT_EQ(main->objects.size(), 2u);
}

TEST_F(ObjectPool, RecycledObjectCarriesNothingFromItsPreviousLife) {
  auto o = MakeObjects(main, 2);
  GameObject* child = main->CreateEmptyObject();
  ASSERT_TRUE(child->SetParent(o[0]));
  o[0]->AddComponent("Transform");
  o[0]->m_ArchetypeName = "Thing";
  o[0]->Destroy();
  main->DestroyPending();
  GameObject* reused = nullptr;
  // Take objects until the destroyed one comes back from the pool.
  for (int i = 0; i < 400 && reused != o[0]; ++i)
    reused = main->CreateEmptyObject();
  ASSERT_EQ(reused, o[0]);
  EXPECT_TRUE(reused->children.empty());
  EXPECT_TRUE(reused->components.empty());
  EXPECT_EQ(reused->parent, nullptr);
  EXPECT_EQ(reused->m_ArchetypeName, "");
  EXPECT_FALSE(reused->IsDead);
}

TEST_F(ObjectPool, DestroyingAParentDestroysItsChildren) {
  auto o = MakeObjects(main, 4);
  ASSERT_TRUE(o[1]->SetParent(o[0]));
  ASSERT_TRUE(o[2]->SetParent(o[1]));
  ASSERT_TRUE(o[3]->SetParent(o[0]));
  o[3]->SetParent(nullptr); // detached first: survives
  o[0]->Destroy();
  EXPECT_TRUE(o[1]->IsDead);
  EXPECT_TRUE(o[2]->IsDead);
  EXPECT_FALSE(o[3]->IsDead);
  main->DestroyPending();
  ASSERT_EQ(main->objects.size(), 1u);
  EXPECT_EQ(main->objects[0], o[3]);
  EXPECT_EQ(o[3]->parent, nullptr);
}

TEST_F(ObjectPool, NoSurvivorPointsAtARecycledObject) {
  auto o = MakeObjects(main, 3);
  ASSERT_TRUE(o[1]->SetParent(o[0]));
  o[1]->Destroy(); // the child only
  main->DestroyPending();
  EXPECT_TRUE(o[0]->children.empty());

  // A child attached to an already destroyed parent goes with it as well.
  o[0]->Destroy();
  ASSERT_TRUE(o[2]->SetParent(o[0]));
  main->DestroyPending();
  EXPECT_TRUE(main->objects.empty());
  EXPECT_EQ(o[2]->parent, nullptr);
}

TEST_F(ObjectPool, ClearReturnsObjectsSoRepeatedLoadsDoNotGrow) {
  for (int round = 0; round < 50; ++round) {
    auto o = MakeObjects(main, 150);
    o[3]->SetParent(o[4]);
    o[5]->AddComponent("Transform");
    o[7]->Destroy(); // pending at the time of the clear
    main->Clear();
    EXPECT_TRUE(main->objects.empty());
    EXPECT_TRUE(main->pendingDestroy.empty());
  }
  EXPECT_EQ(main->AllocatedObjects(), 200u);
  EXPECT_EQ(main->objectPool.size(), 200u);
  EXPECT_EQ(main->componentPool["Transform"].size(), 100u);
  EXPECT_TRUE(main->liveComponents["Transform"].empty());
}

TEST_F(ObjectPool, ClearDropsLinksToObjectsOfOtherSpaces) {
  Space* hud = engine->CreateSpace("HUD");
  GameObject* inMain = main->CreateEmptyObject();
  GameObject* inHud = hud->CreateEmptyObject();
  GameObject* hudChild = hud->CreateEmptyObject();
  ASSERT_TRUE(inMain->SetParent(inHud));
  ASSERT_TRUE(hudChild->SetParent(inMain));
  main->Clear();
  EXPECT_TRUE(inHud->children.empty());
  EXPECT_EQ(hudChild->parent, nullptr);
  EXPECT_TRUE(hudChild->IsDead) << "children go with their parent";
  hud->DestroyPending();
  EXPECT_EQ(hud->objects, (std::vector<GameObject*>{inHud}));
}

TEST_F(ObjectPool, LookupsByNameAndId) {
  auto o = MakeObjects(main, 4);
  o[2]->m_Name = "o1";
  EXPECT_EQ(main->GetObjectByName("o1"), o[1]);
  EXPECT_EQ(main->GetObjectByName("O1"), nullptr) << "case-sensitive";
  EXPECT_EQ(main->GetObjectsByName("o1"), (std::vector<GameObject*>{o[1], o[2]}));
  EXPECT_TRUE(main->GetObjectsByName("none").empty());
  EXPECT_EQ(main->GetObjectById(3), o[3]);
  EXPECT_EQ(main->GetObjectById(42), nullptr);
}

using Parenting = EngineFixture;

TEST_F(Parenting, SetParentAndRemoveFromParentResults) {
  auto o = MakeObjects(main, 3);
  EXPECT_FALSE(o[1]->RemoveFromParent()) << "top-level";
  EXPECT_TRUE(o[1]->SetParent(o[0]));
  EXPECT_TRUE(o[2]->SetParent(o[0]));
  EXPECT_EQ(o[0]->children, (std::vector<GameObject*>{o[1], o[2]}));
  EXPECT_EQ(o[0]->GetChildByName("o2"), o[2]);
  EXPECT_EQ(o[0]->GetChildByName("nobody"), nullptr);

  // Re-parenting detaches from the old parent, keeping the order of the rest.
  EXPECT_TRUE(o[1]->SetParent(o[2]));
  EXPECT_EQ(o[0]->children, (std::vector<GameObject*>{o[2]}));
  EXPECT_EQ(o[1]->parent, o[2]);

  EXPECT_FALSE(o[1]->SetParent(nullptr)) << "detaching returns false";
  EXPECT_EQ(o[1]->parent, nullptr);
  EXPECT_TRUE(o[2]->children.empty());
  EXPECT_TRUE(o[2]->RemoveFromParent());
  EXPECT_TRUE(o[0]->children.empty());
}

TEST_F(Parenting, CyclesAreRefusedWithNothingChanged) {
  auto o = MakeObjects(main, 3);
  ASSERT_TRUE(o[1]->SetParent(o[0]));
  ASSERT_TRUE(o[2]->SetParent(o[1]));
  EXPECT_FALSE(o[0]->SetParent(o[0]));
  EXPECT_FALSE(o[0]->SetParent(o[2])) << "a grandchild";
  EXPECT_FALSE(o[1]->SetParent(o[2])) << "a child";
  EXPECT_EQ(o[0]->parent, nullptr);
  EXPECT_EQ(o[1]->parent, o[0]);
  EXPECT_EQ(o[2]->parent, o[1]);
  EXPECT_EQ(o[0]->children, (std::vector<GameObject*>{o[1]}));
}

using Components = EngineFixture;

TEST_F(Components, AddFindAndRemove) {
  GameObject* object = main->CreateEmptyObject();
  object->m_Self = 7;
  auto* t = static_cast<Transform*>(object->AddComponent("Transform"));
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->ownerId, 7);
  EXPECT_EQ(t->spaceIndex, 0);
  EXPECT_EQ(t->GetOwner(), object);
  EXPECT_EQ(t->GetSpace(), main);
  EXPECT_EQ(object->GetComponent("Transform"), t);
  EXPECT_EQ(object->GetComponent("Sprite"), nullptr);
  EXPECT_EQ(main->liveComponents["Transform"], (std::vector<BaseComponent*>{t}));
  EXPECT_EQ(main->componentPool["Transform"].size(), 99u) << "a block of 100 per type";

  EXPECT_TRUE(object->RemoveComponent("Transform"));
  EXPECT_FALSE(object->RemoveComponent("Transform"));
  EXPECT_TRUE(main->liveComponents["Transform"].empty());
  EXPECT_EQ(main->componentPool["Transform"].size(), 100u);
}

TEST_F(Components, SecondComponentOfATypeKeepsTheFirst) {
  GameObject* object = main->CreateEmptyObject();
  BaseComponent* first = object->AddComponent("RigidBody");
  BaseComponent* second = object->AddComponent("RigidBody");
  EXPECT_EQ(second, first);
  EXPECT_EQ(object->GetComponent("RigidBody"), first);
  EXPECT_EQ(main->liveComponents["RigidBody"].size(), 1u) << "nothing live but unfiled";
}

TEST_F(Components, UnknownOrNonComponentTypesGiveNull) {
  GameObject* object = main->CreateEmptyObject();
  EXPECT_EQ(object->AddComponent("Components"), nullptr);
  EXPECT_EQ(object->AddComponent("Vector2D"), nullptr);
  EXPECT_EQ(object->AddComponent("LuaComponent"), nullptr);
  EXPECT_TRUE(object->components.empty());
}

TEST_F(Components, ReleaseReturnsComponentsAndPoolGrowsBy100) {
  std::vector<GameObject*> objects = MakeObjects(main, 101);
  for (GameObject* o : objects)
    o->AddComponent("Transform");
  EXPECT_EQ(main->componentPool["Transform"].size(), 99u);
  objects[0]->Destroy();
  main->DestroyPending();
  EXPECT_EQ(main->componentPool["Transform"].size(), 100u);
  EXPECT_EQ(main->liveComponents["Transform"].size(), 100u);
  EXPECT_EQ(std::count(main->liveComponents["Transform"].begin(),
                       main->liveComponents["Transform"].end(),
                       objects[0]->GetComponent("Transform")),
            0);
}

TEST_F(Components, OwnerOfARecycledIdIsNotFound) {
  GameObject* object = main->CreateEmptyObject();
  BaseComponent* body = object->AddComponent("RigidBody");
  object->Destroy();
  main->DestroyPending();
  EXPECT_EQ(body->GetOwner(), nullptr);
  body->spaceIndex = -1;
  EXPECT_EQ(body->GetSpace(), nullptr);
  EXPECT_EQ(body->GetOwner(), nullptr);
}

TEST_F(ObjectPool, AComponentAddedFromThePoolStartsAsANewOneWhoeverHeldItBefore) {
  GameObject* first = MakeObjects(main, 1)[0];
  auto* transform = static_cast<Transform*>(first->AddComponent("Transform"));
  transform->rotation_ = 2.5f;
  transform->z_order = 7;
  transform->scale_ = Vector2D(4, 4, 0);
  auto* body = static_cast<RigidBody*>(first->AddComponent("RigidBody"));
  body->vel_ = Vector2D(3, 1, 0);
  first->Destroy();
  main->DestroyPending(); // its components go back to the pool

  GameObject* second = MakeObjects(main, 1)[0];
  auto* again = static_cast<Transform*>(second->AddComponent("Transform"));
  auto* againBody = static_cast<RigidBody*>(second->AddComponent("RigidBody"));
  EXPECT_EQ(again, transform) << "the pool hands the same component out again";
  EXPECT_EQ(again->rotation_, 0.0f);
  EXPECT_EQ(again->z_order, 0);
  EXPECT_EQ(again->scale_.x_, 1.0f);
  EXPECT_EQ(againBody->vel_.x_, 0.0f);
  EXPECT_EQ(again->ownerId, second->m_Self);
}
