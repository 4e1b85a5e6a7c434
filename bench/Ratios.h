#pragma once
// Side-by-side ratios for the benchmarks: measurements are registered in alternating rounds (so
// drifting machine load touches every contender alike) and each ratio is taken between the
// medians of the rounds.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace bench {

// Console output as usual, plus every run's time (seconds per iteration) kept by the name the
// benchmark was registered under and its arguments ("ArtDecode/1/2"), whatever its settings.
class RatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (!run.error_occurred && run.run_type == Run::RT_Iteration)
        times[Key(run.run_name)].push_back(run.GetAdjustedRealTime() /
                                           benchmark::GetTimeUnitMultiplier(run.time_unit));
    ConsoleReporter::ReportRuns(runs);
  }

  // Median seconds per iteration of the runs named `name`; 0 when there were none.
  double Median(const std::string& name) const {
    auto it = times.find(name);
    if (it == times.end() || it->second.empty())
      return 0.0;
    std::vector<double> sorted = it->second;
    std::sort(sorted.begin(), sorted.end());
    size_t n = sorted.size();
    return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2.0;
  }

  // Prints "label: a / b = ratio (target: at most / at least limit) met|MISSED"; returns
  // whether the target was met.
  bool Ratio(const std::string& label, const std::string& a, const std::string& b, double limit,
             bool atMost) const {
    double ta = Median(a), tb = Median(b);
    if (ta <= 0.0 || tb <= 0.0) {
      std::printf("%s: not measured\n", label.c_str());
      return false;
    }
    double ratio = ta / tb;
    bool met = atMost ? ratio <= limit : ratio >= limit;
    std::printf("%s: %.3f ms / %.3f ms = %.2fx (target: %s %.2fx) %s\n", label.c_str(), ta * 1e3,
                tb * 1e3, ratio, atMost ? "at most" : "at least", limit, met ? "met" : "MISSED");
    return met;
  }

  // Prints "label: a / b = ratio" for a figure that explains the others and has no target.
  void Note(const std::string& label, const std::string& a, const std::string& b) const {
    double ta = Median(a), tb = Median(b);
    if (ta <= 0.0 || tb <= 0.0)
      std::printf("%s: not measured\n", label.c_str());
    else
      std::printf("%s: %.3f ms / %.3f ms = %.2fx\n", label.c_str(), ta * 1e3, tb * 1e3, ta / tb);
  }

private:
  static std::string Key(const benchmark::BenchmarkName& name) {
    return name.args.empty() ? name.function_name : name.function_name + "/" + name.args;
  }
  std::map<std::string, std::vector<double>> times;
};

// Registers each benchmark `rounds` times, interleaved: a1 b1 c1 a2 b2 c2 ...
inline std::vector<benchmark::internal::Benchmark*>
RegisterAlternating(int rounds,
                    const std::vector<std::pair<std::string, void (*)(benchmark::State&)>>& list,
                    const std::function<void(benchmark::internal::Benchmark*)>& setup = {}) {
  std::vector<benchmark::internal::Benchmark*> made;
  for (int r = 0; r < rounds; ++r)
    for (const auto& [name, fn] : list) {
      benchmark::internal::Benchmark* b = benchmark::RegisterBenchmark(name.c_str(), fn);
      if (setup)
        setup(b);
      made.push_back(b);
    }
  return made;
}

// Runs what was registered with the ratio reporter and hands it to `ratios` afterwards.
inline int RunWithRatios(int argc, char** argv,
                         const std::function<void(const RatioReporter&)>& ratios) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n");
  ratios(reporter);
  benchmark::Shutdown();
  return 0;
}

} // namespace bench
