#pragma once
#include <gtest/gtest.h>

#include <string>

#include "Core/Engine.h"
#include "Core/Space.h"
#include "Meta/TypeRegistry.h"
#include "Objects/GameObject.h"
#include "Utilities/Check.h"
#include "support/TestSupport.h"

// An engine with two spaces and no systems, inside a scratch folder.
class MetaTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterAllTypes();
    engine = new Engine();
    space = engine->CreateSpace("Main");
    other = engine->CreateSpace("Other");
    ResetCheckFailureCount();
  }
  void TearDown() override { delete engine; }

  // A fresh object named `name` with the given id.
  GameObject* Make(Space* in, const std::string& name) {
    GameObject* object = in->CreateEmptyObject();
    object->m_Name = name;
    return object;
  }

  ScratchDir dir;
  Engine* engine = nullptr;
  Space* space = nullptr;
  Space* other = nullptr;
};

// Lines of text joined with "\n" (and a final "\n").
inline std::string Lines(std::initializer_list<const char*> lines) {
  std::string out;
  for (const char* line : lines) {
    out += line;
    out += '\n';
  }
  return out;
}
