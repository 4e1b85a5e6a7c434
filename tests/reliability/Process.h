#pragma once
// Runs a program as a child process, bounded in time, and collects what it prints.
#include <string>
#include <vector>

struct ProcessResult {
  bool started = false;
  bool timedOut = false;
  int exitStatus = -1; // when it exited
  int signal = 0;      // when a signal ended it
  std::string output;  // standard output and standard error, interleaved as written
  double seconds = 0;
};

// Runs `argv` in `folder` with standard input closed, extra environment entries ("NAME=value")
// added, and kills it after `timeoutSeconds`.
ProcessResult RunBounded(const std::vector<std::string>& argv, const std::string& folder,
                         const std::vector<std::string>& environment, int timeoutSeconds);
