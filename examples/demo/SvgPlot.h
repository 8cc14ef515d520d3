// SvgPlot: a line plot of a profile spectrum with marked points, written as plain SVG.
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
    std::vector<double> x;            // abscissa of every sample, increasing
    std::vector<double> raw;          // raw intensities, drawn in grey
    std::vector<double> smoothed;     // smoothed intensities, drawn in blue
    std::vector<PlotPoint> apexes;    // red circles
    std::vector<PlotPoint> centroids; // green crosses
};

// Writes a self-contained SVG document (1000 x 450 px) with axes, tick labels and a legend.
// x and raw must be non-empty and of equal length; smoothed is empty or of the same length.
void WriteSvg(std::ostream& out, const SpectrumPlot& plot);

} // namespace opmdemo
