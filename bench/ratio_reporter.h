#pragma once
// The benchmarks' closing table: each goal is a ratio of two benchmarks timed in the same run
// (medians over the repetitions), since the machines are shared and absolute times drift.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace torvane::bench {

// The console output as usual, and the real times kept for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& r : runs) {
      if (r.error_occurred) continue;
      if (r.run_type == Run::RT_Iteration) {
        times_[r.run_name.function_name].push_back(r.GetAdjustedRealTime());
      } else if (r.aggregate_name == "median") {
        medians_[r.run_name.function_name] = r.GetAdjustedRealTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  // Median over repetitions; negative when the benchmark did not run.
  double time(const std::string& name) const {
    if (auto m = medians_.find(name); m != medians_.end()) return m->second;
    auto it = times_.find(name);
    if (it == times_.end() || it->second.empty()) return -1;
    auto v = it->second;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  }

 private:
  std::map<std::string, std::vector<double>> times_;
  std::map<std::string, double> medians_;
};

// One line of the table: a / b against a goal that the ratio must reach (at_least) or stay
// under.
inline void print_ratio(const RatioReporter& rep, const char* what, const std::string& a,
                        const std::string& b, double goal, bool at_least) {
  const double ta = rep.time(a), tb = rep.time(b);
  if (ta <= 0 || tb <= 0) {
    std::printf("  %-58s      n/a\n", what);
    return;
  }
  const double ratio = ta / tb;
  const bool met = at_least ? ratio >= goal : ratio <= goal;
  std::printf("  %-58s %7.2fx  (goal %s %.1fx: %s)\n", what, ratio, at_least ? ">=" : "<=", goal,
              met ? "met" : "MISSED");
}

}  // namespace torvane::bench
