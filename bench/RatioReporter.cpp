#include "RatioReporter.h"

#include <algorithm>
#include <cstdio>

namespace {

// Rows of one pair: (label, ours name, peer name) for every measured run of our side.
struct Row {
    std::string label, ours, peer;
};

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

std::string TimeHeading(const std::string& side, const RatioTable& table) {
    return side + " [" + benchmark::GetTimeUnitString(table.unit) +
           (table.callsPerIteration != 1.0 ? "/call]" : "]");
}

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
            singles_[name] = seconds;
        } else {
            continue;
        }
        if (std::find(order_.begin(), order_.end(), name) == order_.end()) {
            order_.push_back(name);
        }
    }
    ConsoleReporter::ReportRuns(runs);
}

double RatioReporter::SecondsOf(const std::string& name) const {
    for (const auto* times : {&medians_, &singles_}) {
        const auto found = times->find(name);
        if (found != times->end()) {
            return found->second;
        }
    }
    return 0.0;
}

void RatioReporter::PrintTable(const RatioTable& table) const {
    std::vector<Row> rows;
    std::size_t labelWidth = table.labelColumn.size();
    for (const RatioPair& pair : table.pairs) {
        for (const std::string& name : order_) {
            if (!IsRunOf(name, pair.ours)) {
                continue;
            }
            const std::string args = name.substr(pair.ours.size());
            Row row{RowLabel(pair.label, args), name, pair.peer + args};
            if (SecondsOf(row.peer) > 0.0) {
                labelWidth = std::max(labelWidth, row.label.size());
                rows.push_back(row);
            }
        }
    }
    const int width = int(labelWidth);
    const double scale = benchmark::GetTimeUnitMultiplier(table.unit) / table.callsPerIteration;
    const int decimals = table.unit == benchmark::kNanosecond ? 1 : 3;
    std::printf("\n%s\n%-*s %15s %15s %8s%s\n", table.caption.c_str(), width,
                table.labelColumn.c_str(), TimeHeading("ours", table).c_str(),
                TimeHeading(table.peerColumn, table).c_str(), "ratio",
                table.verdict ? "  target" : "");
    for (const Row& row : rows) {
        const double ours = SecondsOf(row.ours), peer = SecondsOf(row.peer);
        const double ratio = ours / peer;
        std::printf("%-*s %15.*f %15.*f %8.3f", width, row.label.c_str(), decimals, ours * scale,
                    decimals, peer * scale, ratio);
        if (table.verdict) {
            std::printf("  %s", table.verdict(row.label, ratio).c_str());
        }
        std::printf("\n");
    }
}

int RunBenchmarksWithRatios(int argc, char** argv, const RatioTable& table) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintTable(table);
    benchmark::Shutdown();
    return 0;
}
