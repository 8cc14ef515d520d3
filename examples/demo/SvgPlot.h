// SvgPlot: a line plot of a profile spectrum with its baseline, its S/N threshold and its
// peaks, written as plain SVG.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace opmdemo {

struct PlotPoint {
    double x, y;
};

struct SpectrumPlot {
    std::string title;
    std::string xLabel;
    std::vector<double> x;         // abscissa of every sample, increasing
    std::vector<double> raw;       // raw intensities, drawn in grey
    std::vector<double> smoothed;  // smoothed intensities, in blue (empty: not drawn)
    std::vector<double> baseline;  // in red (empty: not drawn)
    std::vector<double> threshold; // intensity a peak must reach, dashed green (empty: not drawn)
    std::string thresholdLabel;    // legend text of the threshold
    std::vector<PlotPoint> apexes; // red markers; the tallest are labelled with their x
    bool logarithmic = false;      // logarithmic intensity axis
    double from = 0.0, to = 0.0;   // abscissa range drawn; from >= to: the whole profile
};

// Writes a self-contained SVG document (1200 x 520 px) with axes, tick labels and a legend.
// x and raw must be non-empty and of equal length; the other curves empty or of that length.
// Samples outside the range are left out; a range holding no sample draws empty axes. A
// logarithmic axis starts at the lowest positive raw intensity in the range once the lowest
// half percent is set aside; values below are drawn at that floor.
void WriteSvg(std::ostream& out, const SpectrumPlot& plot);

} // namespace opmdemo
