// PeakList: the peaks of an analysis as CSV, one peak per line in ascending m/z, under the
// header line "apex_mz,centroid_mz,height,area,fwhm,snr". Positions and widths are in m/z when
// the report has m/z, else in the profile's abscissa (bins); heights in the profile's intensity
// unit above the baseline; areas in intensity x m/z (or x bins). Numbers carry 10 significant
// digits.
#pragma once

#include "demo/SpectrumAnalysis.h"

#include <ostream>

namespace opmdemo {

void WritePeakList(std::ostream& out, const AnalysisReport& report);

} // namespace opmdemo
