#pragma once
// Assertion-style checks. A check names its text, the module that made it and a line, so
// that a report can be traced back to the rule it enforces. Data checks report and return;
// fatal checks (broken program invariants) report and abort.
#include <string>

// Prints "Check failed: <text> (<module>, line <line>)" and, when given, ": <detail>" on
// standard error. Returns false so it can be used in conditions.
bool ReportCheck(const char* text, const char* module, int line, const std::string& detail = {});

// Words quoted from data files, with control bytes (below 0x20, and 0x7F) as \xNN: a file must
// not move the cursor, recolour the terminal or start a forged line of the log. Reports use it
// for their detail.
std::string Printable(const std::string& detail);

// Same report, then aborts the program.
[[noreturn]] void FatalCheck(const char* text, const char* module, int line);

// The detail of the last data check that failed (its file and problem); empty when none has.
// Reports and these queries may come from any thread.
std::string LastCheckDetail();

// Number of data checks that failed since start (or since the last reset); used by tests.
int CheckFailureCount();
void ResetCheckFailureCount();
