#include "demo/SvgPlot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace opmdemo {
namespace {

constexpr double kWidth = 1000.0, kHeight = 450.0;
constexpr double kLeft = 70.0, kRight = 20.0, kTop = 40.0, kBottom = 50.0;
constexpr double kTicks = 8.0; // about this many tick intervals per axis

std::string Number(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// Text with the characters that XML reserves replaced by entities.
std::string Escaped(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '&':
            escaped += "&amp;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

// A round tick interval (1, 2 or 5 times a power of ten, at least 1) giving about kTicks ticks.
double TickStep(double span) {
    const double rough = span / kTicks;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    const double step = rough / power < 2.0   ? power
                        : rough / power < 5.0 ? 2.0 * power
                                              : 5.0 * power;
    return std::max(step, 1.0);
}

// Maps data coordinates onto the plotting area (SVG's y axis points down).
class Frame {
public:
    Frame(double x0, double x1, double y0, double y1) : m_x0(x0), m_x1(x1), m_y0(y0), m_y1(y1) {}
    double X(double x) const {
        return kLeft + (x - m_x0) / (m_x1 - m_x0) * (kWidth - kLeft - kRight);
    }
    double Y(double y) const {
        return kHeight - kBottom - (y - m_y0) / (m_y1 - m_y0) * (kHeight - kTop - kBottom);
    }
    double x0() const { return m_x0; }
    double x1() const { return m_x1; }
    double y0() const { return m_y0; }
    double y1() const { return m_y1; }

private:
    double m_x0, m_x1, m_y0, m_y1;
};

Frame FrameFor(const SpectrumPlot& plot) {
    const auto [low, high] = std::minmax_element(plot.raw.begin(), plot.raw.end());
    const double span = *high > *low ? *high - *low : 1.0;
    const double x0 = plot.x.front();
    const double x1 = plot.x.back() > x0 ? plot.x.back() : x0 + 1.0;
    return Frame(x0, x1, std::min(0.0, *low), *high + 0.05 * span);
}

void WritePolyline(std::ostream& out, const Frame& frame, const std::vector<double>& x,
                   const std::vector<double>& y, const char* style) {
    out << "<polyline fill=\"none\" " << style << " points=\"";
    for (std::size_t i = 0; i < y.size(); ++i) {
        out << Number(frame.X(x[i]), 1) << ',' << Number(frame.Y(y[i]), 1) << ' ';
    }
    out << "\"/>\n";
}

void WriteAxes(std::ostream& out, const Frame& frame, const SpectrumPlot& plot) {
    const double bottom = kHeight - kBottom, right = kWidth - kRight;
    out << "<g stroke=\"black\" stroke-width=\"1\">\n"
        << "<line x1=\"" << kLeft << "\" y1=\"" << bottom << "\" x2=\"" << right << "\" y2=\""
        << bottom << "\"/>\n"
        << "<line x1=\"" << kLeft << "\" y1=\"" << kTop << "\" x2=\"" << kLeft << "\" y2=\""
        << bottom << "\"/>\n</g>\n<g font-family=\"sans-serif\" font-size=\"12\">\n";
    const double xStep = TickStep(frame.x1() - frame.x0());
    for (double x = std::ceil(frame.x0() / xStep) * xStep; x <= frame.x1(); x += xStep) {
        out << "<text x=\"" << Number(frame.X(x), 1) << "\" y=\"" << bottom + 18
            << "\" text-anchor=\"middle\">" << Number(x, 0) << "</text>\n";
    }
    const double yStep = TickStep(frame.y1() - frame.y0());
    for (double y = std::ceil(frame.y0() / yStep) * yStep; y <= frame.y1(); y += yStep) {
        out << "<text x=\"" << kLeft - 6 << "\" y=\"" << Number(frame.Y(y) + 4, 1)
            << "\" text-anchor=\"end\">" << Number(y, 0) << "</text>\n";
    }
    out << "<text x=\"" << (kLeft + right) / 2 << "\" y=\"" << kHeight - 10
        << "\" text-anchor=\"middle\">" << Escaped(plot.xLabel) << "</text>\n"
        << "<text x=\"" << (kLeft + right) / 2 << "\" y=\"24\" text-anchor=\"middle\" "
        << "font-size=\"16\">" << Escaped(plot.title) << "</text>\n"
        << "<text x=\"" << right - 300 << "\" y=\"" << kTop + 14 << "\">"
        << "<tspan fill=\"#999999\">raw</tspan>  <tspan fill=\"#1f5fbf\">smoothed</tspan>  "
        << "<tspan fill=\"#d62728\">o apex</tspan>  <tspan fill=\"#2ca02c\">+ centroid</tspan>"
        << "</text>\n</g>\n";
}

void WriteMarkers(std::ostream& out, const Frame& frame, const SpectrumPlot& plot) {
    out << "<g fill=\"none\" stroke=\"#d62728\" stroke-width=\"1.5\">\n";
    for (const PlotPoint& p : plot.apexes) {
        out << "<circle cx=\"" << Number(frame.X(p.x), 1) << "\" cy=\"" << Number(frame.Y(p.y), 1)
            << "\" r=\"4\"/>\n";
    }
    out << "</g>\n<g stroke=\"#2ca02c\" stroke-width=\"1.5\">\n";
    for (const PlotPoint& p : plot.centroids) {
        const double x = frame.X(p.x), y = frame.Y(p.y);
        out << "<path d=\"M" << Number(x - 4, 1) << ',' << Number(y, 1) << "h8M" << Number(x, 1)
            << ',' << Number(y - 4, 1) << "v8\"/>\n";
    }
    out << "</g>\n";
}

} // namespace

void WriteSvg(std::ostream& out, const SpectrumPlot& plot) {
    const Frame frame = FrameFor(plot);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kWidth << "\" height=\""
        << kHeight << "\" viewBox=\"0 0 " << kWidth << ' ' << kHeight << "\">\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    WriteAxes(out, frame, plot);
    WritePolyline(out, frame, plot.x, plot.raw, "stroke=\"#999999\" stroke-width=\"0.8\"");
    if (!plot.smoothed.empty()) {
        WritePolyline(out, frame, plot.x, plot.smoothed, "stroke=\"#1f5fbf\" stroke-width=\"1\"");
    }
    WriteMarkers(out, frame, plot);
    out << "</svg>\n";
}

} // namespace opmdemo
