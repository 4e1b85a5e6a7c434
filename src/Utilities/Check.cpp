// Assertion-style checks: reports naming the check, the module and the line.
#include "Utilities/Check.h"

#include <cstdio>
#include <cstdlib>

namespace {
int g_failures = 0;
std::string g_lastDetail;
} // namespace

bool ReportCheck(const char* text, const char* module, int line, const std::string& detail) {
  ++g_failures;
  g_lastDetail = detail;
  if (detail.empty())
    std::fprintf(stderr, "Check failed: %s (%s, line %d)\n", text, module, line);
  else
    std::fprintf(stderr, "Check failed: %s (%s, line %d): %s\n", text, module, line,
                 detail.c_str());
  std::fflush(stderr);
  return false;
}

void FatalCheck(const char* text, const char* module, int line) {
  std::fprintf(stderr, "Assertion failed: %s (%s, line %d)\n", text, module, line);
  std::fflush(stderr);
  std::abort();
}

const std::string& LastCheckDetail() {
  return g_lastDetail;
}

int CheckFailureCount() {
  return g_failures;
}
void ResetCheckFailureCount() {
  g_failures = 0;
}
