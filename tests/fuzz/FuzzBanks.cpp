// libFuzzer target over the bank reader. Each input is read as a bank; a bank that is accepted
// must hold only what the format allows (the checks the audio layer relies on when it plays it).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "Audio/BankFile.h"

namespace {
void Fail(const char* what, const std::string& text) {
  std::fprintf(stdout, "fuzz_banks: %s\n--- text ---\n%s\n--- end ---\n", what, text.c_str());
  std::fflush(stdout);
  std::abort();
}

bool InRange(float v, float low, float high) {
  return std::isfinite(v) && v >= low && v <= high;
}

void CheckEvent(const audio::EventSpec& e, const std::string& text) {
  if (e.id.empty() || e.file.empty() || e.bus.empty())
    Fail("an accepted event lacks its id, file or bus", text);
  if (!InRange(e.volume, 0, audio::kMaxVolume) || e.fadeoutMs < 0 || e.fadeoutMs > 10000)
    Fail("an accepted event has a volume or fade-out out of range", text);
  std::set<std::string> names;
  for (const audio::ParameterSpec& p : e.parameters) {
    if (!names.insert(p.name).second)
      Fail("an accepted event has two parameters of one name", text);
    if (!(p.minimum < p.maximum) || !InRange(p.initial, p.minimum, p.maximum) || !(p.seek >= 0))
      Fail("an accepted parameter has an impossible range", text);
    if (p.effect == audio::ParameterEffect::LoopStart &&
        (!e.loop || !e.stream || p.minimum < 0 || p.maximum > 1))
      Fail("an accepted loop-start parameter is not on a looping stream within 0..1", text);
    if (p.effect == audio::ParameterEffect::Pitch && (!(p.from > 0) || !(p.to > 0)))
      Fail("an accepted pitch parameter can reach a pitch of 0", text);
  }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  audio::BankSpec bank;
  std::string problem;
  if (!audio::ReadBank(text, bank, problem)) {
    if (problem.empty())
      Fail("a refused bank names no problem", text);
    return 0;
  }
  if (!problem.empty())
    Fail("an accepted bank left a problem", text);
  if ((bank.kind != audio::BankKind::Master && !bank.buses.empty()) ||
      (bank.kind != audio::BankKind::Strings && !bank.paths.empty()) ||
      (bank.kind != audio::BankKind::Events && !bank.events.empty()))
    Fail("a bank holds statements of another kind", text);
  std::set<std::string> ids;
  for (const audio::EventSpec& e : bank.events) {
    if (!ids.insert(e.id).second)
      Fail("an accepted bank holds one event id twice", text);
    CheckEvent(e, text);
  }
  for (const audio::BusSpec& b : bank.buses)
    if (b.path.rfind("bus:/", 0) != 0 || !InRange(b.volume, 0, audio::kMaxVolume))
      Fail("an accepted bus is misnamed or out of range", text);
  for (const audio::PathSpec& p : bank.paths)
    if (p.path.rfind("event:/", 0) != 0 || p.id.empty())
      Fail("an accepted path is misnamed", text);
  return 0;
}
