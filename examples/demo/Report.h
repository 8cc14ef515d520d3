// Report: prints an analysis as a readable text report (sections, aligned columns, units).
#pragma once

#include "demo/Profile.h"
#include "demo/SpectrumAnalysis.h"

#include <ostream>
#include <string>

namespace opmdemo {

// source describes where the profile came from (a file name, or the built-in data).
void PrintReport(std::ostream& out, const std::string& source, const Profile& profile,
                 const AnalysisSettings& settings, const AnalysisReport& report);

} // namespace opmdemo
