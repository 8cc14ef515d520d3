// Ratio tables for the benchmark programs: each program times our operation and its peers' on
// the same inputs in one run, and closes with a table of our time over each peer's.
#pragma once

#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

// Compares the runs named "<ours><args>" with "<peer><args>" for each peer column and every
// <args> measured ("" for a benchmark without arguments, else "/..." as Google Benchmark names
// them); each such row is labelled "<label><args>", or <args> without its leading '/' when the
// label is empty. peers[i] belongs to the table's column i; an empty name leaves the cell blank.
struct RatioPair {
    std::string label;
    std::string ours;
    std::vector<std::string> peers;
};

// What the closing table shows: the pairs in their order, each pair's rows in run order.
struct RatioTable {
    RatioTable(std::string caption, std::string labelColumn, std::vector<std::string> peerColumns,
               benchmark::TimeUnit unit)
        : caption(std::move(caption)), labelColumn(std::move(labelColumn)),
          peerColumns(std::move(peerColumns)), unit(unit) {}

    std::string caption;                  // printed above the table
    std::string labelColumn;              // heading of the label column
    std::vector<std::string> peerColumns; // headings of the peers' columns
    benchmark::TimeUnit unit;             // unit of the printed times
    std::vector<RatioPair> pairs;         // the rows to print
    double callsPerIteration = 1.0;       // times per call: the time per iteration over this count
    // Optional last column (e.g. whether a speed target is met), from the row label and the
    // ratio against each peer (0 where a peer was not measured).
    std::function<std::string(const std::string& label, const std::vector<double>& ratios)> verdict;
};

// Console output as usual, plus each run's CPU time per iteration (CPU rather than wall time so
// that other load on a shared machine skews the ratios less). With --benchmark_repetitions the
// table is printed twice: from the median and from the minimum of the repetitions
// (--benchmark_enable_random_interleaving=true spreads the repetitions of all sides over the
// same stretch of time). Failed runs are left out.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override;

    // Prints `table` to stdout from the medians (or the single runs) and, when repetitions were
    // made, again from the minima; a row is left out when our side or every peer was not
    // measured (filtered out, failed, or a peer missing on this machine).
    void PrintTables(const RatioTable& table) const;

private:
    using Times = std::map<std::string, double>; // seconds per iteration by run name
    void PrintTable(const RatioTable& table, const Times& times, const char* statistic) const;

    std::vector<std::string> order_; // run names in the order they were first reported
    Times medians_;                  // median over repetitions
    Times minima_;                   // minimum over repetitions, or the single run
};

// The body of a benchmark program's main once its benchmarks are registered: parses the Google
// Benchmark flags in argv, runs the selected benchmarks through a RatioReporter and prints
// `table`. Returns 1 (after a message) on an unrecognised argument, else 0.
int RunBenchmarksWithRatios(int argc, char** argv, const RatioTable& table);
