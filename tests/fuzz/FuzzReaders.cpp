// libFuzzer target over the level and archetype readers. Each input is read as a level and as an
// archetype; whatever was read is written out again, and the writer's own text must then read
// back without a single report.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "Core/Engine.h"
#include "Core/Space.h"
#include "Meta/File.h"
#include "Meta/Serialize.h"
#include "Meta/TypeRegistry.h"
#include "Objects/GameObject.h"
#include "Utilities/Check.h"

namespace {
Space* g_space = nullptr;
Space* g_copy = nullptr;

void Fail(const char* what, const std::string& text) {
  std::fprintf(stdout, "fuzz_readers: %s\n--- text ---\n%s\n--- end ---\n", what, text.c_str());
  std::fflush(stdout);
  std::abort();
}

// The writer's text must read back cleanly and leave the depth counter where it was. A level
// may store the largest int as an object id; every id issued after it is then reported as the
// lowest free one, on this reading too, and that is the only report such a text may give.
void CheckRewrite(const std::string& written, bool level) {
  g_copy->Clear();
  ResetCheckFailureCount();
  bool ok;
  if (level) {
    ok = ReadLevelText(*g_copy, written, "rewritten.level");
  } else {
    GameObject* object = g_copy->CreateEmptyObject();
    ok = written.empty() || ReadArchetypeText(*object, written, "rewritten.archetype");
  }
  bool idsRanOut =
      g_copy->idCounter == std::numeric_limits<int>::max() &&
      LastCheckDetail().find("the object ids have reached the largest int") != std::string::npos;
  if (!ok || (CheckFailureCount() != 0 && !idsRanOut))
    Fail("the writer's own text was reported as malformed", written);
  if (TextDepth() != 0)
    Fail("the depth counter moved", written);
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  RegisterAllTypes();
  auto* engine = new Engine(); // lives for the whole run
  g_space = engine->CreateSpace("Main");
  g_copy = engine->CreateSpace("Copy");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);

  g_space->Clear();
  ReadLevelText(*g_space, text, "fuzz.level");
  if (TextDepth() != 0)
    Fail("the depth counter moved", text);
  CheckRewrite(LevelText(*g_space), true);

  g_space->Clear();
  GameObject* object = g_space->CreateEmptyObject();
  ReadArchetypeText(*object, text, "fuzz.archetype");
  CheckRewrite(ArchetypeText(*object), false);
  return 0;
}
