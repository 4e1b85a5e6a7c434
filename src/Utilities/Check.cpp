// Assertion-style checks: reports naming the check, the module and the line.
#include "Utilities/Check.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {
// Any thread may report. Only the main thread does today, but the art decoders run beside it
// and a report from one of them must not tear the detail or lose a count.
std::atomic<int> g_failures{0};
std::mutex g_lastDetailMutex;
std::string g_lastDetail;
} // namespace

std::string Printable(const std::string& detail) {
  std::string out;
  out.reserve(detail.size());
  for (unsigned char c : detail) {
    if (c < 0x20 || c == 0x7f) {
      static const char digits[] = "0123456789ABCDEF";
      out += "\\x";
      out += digits[c >> 4];
      out += digits[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

bool ReportCheck(const char* text, const char* module, int line, const std::string& detail) {
  g_failures.fetch_add(1, std::memory_order_relaxed);
  {
    std::lock_guard<std::mutex> lock(g_lastDetailMutex);
    g_lastDetail = detail;
  }
  if (detail.empty())
    std::fprintf(stderr, "Check failed: %s (%s, line %d)\n", text, module, line);
  else
    std::fprintf(stderr, "Check failed: %s (%s, line %d): %s\n", text, module, line,
                 Printable(detail).c_str());
  std::fflush(stderr);
  return false;
}

void FatalCheck(const char* text, const char* module, int line) {
  std::fprintf(stderr, "Assertion failed: %s (%s, line %d)\n", text, module, line);
  std::fflush(stderr);
  std::abort();
}

std::string LastCheckDetail() {
  std::lock_guard<std::mutex> lock(g_lastDetailMutex);
  return g_lastDetail;
}

int CheckFailureCount() {
  return g_failures.load(std::memory_order_relaxed);
}
void ResetCheckFailureCount() {
  g_failures.store(0, std::memory_order_relaxed);
}
