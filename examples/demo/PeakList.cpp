#include "demo/PeakList.h"

#include <cstdio>

namespace opmdemo {

void WritePeakList(std::ostream& out, const AnalysisReport& report) {
    out << "apex_mz,centroid_mz,height,area,fwhm,snr\n";
    for (const PeakReport& peak : report.peaks) {
        const opm::Peak& found = peak.found;
        char line[256];
        std::snprintf(line, sizeof line, "%.10g,%.10g,%.10g,%.10g,%.10g,%.10g\n", peak.apex,
                      peak.centroid, found.height, peak.area, peak.fwhm, found.snr);
        out << line;
    }
}

} // namespace opmdemo
