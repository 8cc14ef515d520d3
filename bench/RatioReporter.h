// Ratio tables for the benchmark programs: each program times our operation and a peer's on the
// same inputs in one run, and closes with a table of our time over the peer's.
#pragma once

#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

// Compares the runs named "<ours><args>" and "<peer><args>" for every <args> measured ("" for a
// benchmark without arguments, else "/..." as Google Benchmark names them); each such row is
// labelled "<label><args>", or <args> without its leading '/' when the label is empty.
struct RatioPair {
    std::string label;
    std::string ours;
    std::string peer;
};

// What the closing table shows: the pairs in their order, each pair's rows in run order.
struct RatioTable {
    RatioTable(std::string caption, std::string labelColumn, std::string peerColumn,
               benchmark::TimeUnit unit)
        : caption(std::move(caption)), labelColumn(std::move(labelColumn)),
          peerColumn(std::move(peerColumn)), unit(unit) {}

    std::string caption;            // printed above the table
    std::string labelColumn;        // heading of the label column
    std::string peerColumn;         // heading of the peer's time column
    benchmark::TimeUnit unit;       // unit of the printed times
    std::vector<RatioPair> pairs;   // the rows to print
    double callsPerIteration = 1.0; // times per call: the time per iteration over this count
    // Optional last column (e.g. whether a speed target is met), from the row label and ratio.
    std::function<std::string(const std::string& label, double ratio)> verdict;
};

// Console output as usual, plus each run's CPU time per iteration (CPU rather than wall time so
// that other load on a shared machine skews the ratios less; the median when
// --benchmark_repetitions is given, --benchmark_enable_random_interleaving=true then spreads the
// repetitions of both sides over the same stretch of time). Failed runs are left out.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override;

    // Seconds per iteration of the run named `name` (with its arguments); 0 when not measured.
    double SecondsOf(const std::string& name) const;

    // Prints `table` to stdout; a row is left out when either side was not measured (filtered
    // out, failed, or a peer not built on this machine).
    void PrintTable(const RatioTable& table) const;

private:
    std::vector<std::string> order_;        // run names in the order they were first reported
    std::map<std::string, double> medians_; // seconds, median over repetitions
    std::map<std::string, double> singles_; // seconds, the last single run
};

// The body of a benchmark program's main once its benchmarks are registered: parses the Google
// Benchmark flags in argv, runs the selected benchmarks through a RatioReporter and prints
// `table`. Returns 1 (after a message) on an unrecognised argument, else 0.
int RunBenchmarksWithRatios(int argc, char** argv, const RatioTable& table);
