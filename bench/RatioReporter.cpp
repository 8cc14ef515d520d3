#include "RatioReporter.h"

#include <algorithm>
#include <cstdio>

namespace {

bool IsRunOf(const std::string& name, const std::string& benchmark) {
    return name.compare(0, benchmark.size(), benchmark) == 0 &&
           (name.size() == benchmark.size() || name[benchmark.size()] == '/');
}

std::string RowLabel(const std::string& label, const std::string& args) {
    if (label.empty() && !args.empty()) {
        return args.substr(1);
    }
    return label + args;
}

double TimeOf(const std::map<std::string, double>& times, const std::string& name) {
    const auto found = times.find(name);
    return found == times.end() ? 0.0 : found->second;
}

// One printed row: its label, our time and each peer column's time (0 when not measured).
struct Row {
    std::string label;
    double ours;
    std::vector<double> peers;
};

} // namespace

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& run : runs) {
        if (run.error_occurred || run.iterations == 0) {
            continue;
        }
        const std::string name = run.run_name.str();
        const double seconds =
            run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
        if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
            medians_[name] = seconds;
        } else if (run.run_type == Run::RT_Iteration) {
            const auto found = minima_.find(name);
            minima_[name] = found == minima_.end() ? seconds : std::min(found->second, seconds);
        } else {
            continue;
        }
        if (std::find(order_.begin(), order_.end(), name) == order_.end()) {
            order_.push_back(name);
        }
    }
    ConsoleReporter::ReportRuns(runs);
}

void RatioReporter::PrintTables(const RatioTable& table) const {
    if (medians_.empty()) {
        PrintTable(table, minima_, "single runs");
        return;
    }
    PrintTable(table, medians_, "medians of the repetitions");
    if (!minima_.empty()) {
        PrintTable(table, minima_, "minima of the repetitions");
    }
}

void RatioReporter::PrintTable(const RatioTable& table, const Times& times,
                               const char* statistic) const {
    std::vector<Row> rows;
    std::size_t labelWidth = table.labelColumn.size();
    for (const RatioPair& pair : table.pairs) {
        for (const std::string& name : order_) {
            if (!IsRunOf(name, pair.ours) || TimeOf(times, name) <= 0.0) {
                continue;
            }
            const std::string args = name.substr(pair.ours.size());
            Row row{RowLabel(pair.label, args), TimeOf(times, name), {}};
            bool anyPeer = false;
            for (const std::string& peer : pair.peers) {
                row.peers.push_back(peer.empty() ? 0.0 : TimeOf(times, peer + args));
                anyPeer = anyPeer || row.peers.back() > 0.0;
            }
            if (anyPeer) {
                labelWidth = std::max(labelWidth, row.label.size());
                rows.push_back(row);
            }
        }
    }
    const int width = int(labelWidth);
    const double scale = benchmark::GetTimeUnitMultiplier(table.unit) / table.callsPerIteration;
    const int decimals = table.unit == benchmark::kNanosecond ? 1 : 3;
    const std::string unit = std::string(benchmark::GetTimeUnitString(table.unit)) +
                             (table.callsPerIteration != 1.0 ? "/call" : "");
    std::printf("\n%s (CPU time, %s, from the %s)\n%-*s %12s", table.caption.c_str(), unit.c_str(),
                statistic, width, table.labelColumn.c_str(), "ours");
    for (const std::string& column : table.peerColumns) {
        std::printf(" %14s %7s", column.c_str(), "ratio");
    }
    std::printf("%s\n", table.verdict ? "  target" : "");

    double worst = 0.0;
    std::string worstAt;
    for (const Row& row : rows) {
        std::printf("%-*s %12.*f", width, row.label.c_str(), decimals, row.ours * scale);
        std::vector<double> ratios;
        for (std::size_t c = 0; c < row.peers.size(); ++c) {
            const double peer = row.peers[c];
            ratios.push_back(peer > 0.0 ? row.ours / peer : 0.0);
            if (peer > 0.0) {
                std::printf(" %14.*f %7.3f", decimals, peer * scale, ratios.back());
            } else {
                std::printf(" %14s %7s", "-", "-");
            }
            if (ratios.back() > worst) {
                worst = ratios.back();
                worstAt = row.label + " vs " + table.peerColumns[c];
            }
        }
        if (table.verdict) {
            std::printf("  %s", table.verdict(row.label, ratios).c_str());
        }
        std::printf("\n");
    }
    if (worst > 0.0) {
        std::printf("worst ratio %.3f: %s\n", worst, worstAt.c_str());
    }
}

int RunBenchmarksWithRatios(int argc, char** argv, const RatioTable& table) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintTables(table);
    benchmark::Shutdown();
    return 0;
}
