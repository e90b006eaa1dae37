// The benchmarks' report: after the usual table, each operation's time as a multiple of a
// floor measured in the same run, so that figures from different machines compare.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <functional>
#include <iostream>
#include <map>
#include <string>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  /// `floorOf` names the floor of a benchmark, or nothing for one without (a floor itself).
  RatioReporter(std::string heading, std::function<std::string(const std::string&)> floorOf)
      : heading_(std::move(heading)), floorOf_(std::move(floorOf)) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) nanoseconds_[run.benchmark_name()] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::cout << "\n" << heading_ << ":\n";
    for (const auto& [name, ns] : nanoseconds_) {
      const auto floor = nanoseconds_.find(floorOf_(name));
      if (floor == nanoseconds_.end() || floor->first == name) continue;
      std::printf("  %-40s %8.2fx  (%s)\n", name.c_str(), ns / floor->second, floor->first.c_str());
    }
  }

 private:
  std::string heading_;
  std::function<std::string(const std::string&)> floorOf_;
  std::map<std::string, double> nanoseconds_;
};
