#pragma once

// Prints the usual table, then for every case the baseline's time over ours. Benchmarks
// are named "Who/case" (BENCHMARK_CAPTURE(Who, case, ...)); "Tessaly" is ours, every
// other name is a baseline. With repetitions the median is used, so the ratios appear
// with or without --benchmark_report_aggregates_only.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace bench {

class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Aggregate && !median) continue;
            const std::string& name = run.run_name.function_name;
            const auto slash = name.find('/');
            if (slash == std::string::npos) continue;
            Time& t = times_[name.substr(slash + 1)][name.substr(0, slash)];
            // A median beats single repetitions; without repetitions the one run counts.
            if (median || !t.fromMedian) t = {run.GetAdjustedCPUTime(), median};
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const auto& [scene, byWho] : times_) {
            const auto ours = byWho.find("Tessaly");
            if (ours == byWho.end() || ours->second.seconds <= 0) continue;
            for (const auto& [who, time] : byWho) {
                if (who == "Tessaly") continue;
                std::printf("%-24s %s / Tessaly = %.2f\n", scene.c_str(), who.c_str(),
                            time.seconds / ours->second.seconds);
            }
        }
        std::fflush(stdout);
    }

  private:
    struct Time {
        double seconds = 0;
        bool fromMedian = false;
    };
    std::map<std::string, std::map<std::string, Time>> times_;
};

// The main of a benchmark program that ends with the ratios.
inline int RunWithRatios(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

}  // namespace bench
