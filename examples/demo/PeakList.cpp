#include "demo/PeakList.h"

#include <cstdio>

namespace opmdemo {

void WritePeakList(std::ostream& out, const AnalysisReport& report) {
    out << "apex_mz,centroid_mz,height,area,fwhm,snr\n";
    for (const PeakReport& peak : report.peaks) {
        const opm::Peak& found = peak.found;
        char line[256];
        std::snprintf(line, sizeof line, "%.10g,%.10g,%.10g,%.10g,%.10g,%.10g\n",
                      report.hasMz ? peak.apexMz : found.apex_mz,
                      report.hasMz ? peak.centroidMz : found.centroid_mz, found.height,
                      report.hasMz ? peak.areaMz : found.area,
                      report.hasMz ? peak.fwhmMz : found.fwhm, found.snr);
        out << line;
    }
}

} // namespace opmdemo
