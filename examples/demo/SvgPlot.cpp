#include "demo/SvgPlot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

namespace opmdemo {
namespace {

constexpr double kWidth = 1200.0, kHeight = 520.0;
constexpr double kLeft = 80.0, kRight = 20.0, kTop = 56.0, kBottom = 50.0;
constexpr double kTicks = 8.0;              // about this many tick intervals on a linear axis
constexpr std::size_t kLabelled = 15;       // at most this many apexes carry their abscissa
constexpr double kLabelSpacing = 55.0;      // px between labelled apexes
constexpr std::size_t kFloorQuantile = 200; // log axis floor: the lowest 1/200 of positive values

std::string Number(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// Tick label of an intensity: plain up to 10^6, else with an exponent.
std::string Intensity(double value) {
    char text[64];
    std::snprintf(text, sizeof text,
                  std::fabs(value) < 1e6 && std::fabs(value) >= 1e-2 ? "%g" : "%.0e", value);
    return value == 0.0 ? std::string("0") : std::string(text);
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

// A round tick interval (1, 2 or 5 times a power of ten) giving about kTicks ticks.
double TickStep(double span) {
    const double rough = span / kTicks;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    return rough / power < 2.0 ? power : rough / power < 5.0 ? 2.0 * power : 5.0 * power;
}

// Maps data coordinates onto the plotting area (SVG's y axis points down); on a logarithmic
// axis y0, y1 are decimal logarithms and values below the floor are drawn at it.
class Frame {
public:
    Frame(double x0, double x1, double y0, double y1, bool logarithmic, double floor)
        : m_x0(x0), m_x1(x1), m_y0(y0), m_y1(y1), m_log(logarithmic), m_floor(floor) {}
    double X(double x) const {
        return kLeft + (x - m_x0) / (m_x1 - m_x0) * (kWidth - kLeft - kRight);
    }
    double Y(double y) const {
        const double v = m_log ? std::log10(std::max(y, m_floor)) : y;
        return kHeight - kBottom - (v - m_y0) / (m_y1 - m_y0) * (kHeight - kTop - kBottom);
    }
    double x0() const { return m_x0; }
    double x1() const { return m_x1; }
    double y0() const { return m_y0; }
    double y1() const { return m_y1; }
    bool logarithmic() const { return m_log; }

private:
    double m_x0, m_x1, m_y0, m_y1;
    bool m_log;
    double m_floor;
};

// Samples [first, last) inside the plot's range.
struct Span {
    std::size_t first, last;
};

Span SpanOf(const SpectrumPlot& plot) {
    if (!(plot.from < plot.to)) {
        return {0, plot.x.size()};
    }
    const auto first = std::lower_bound(plot.x.begin(), plot.x.end(), plot.from);
    const auto last = std::upper_bound(plot.x.begin(), plot.x.end(), plot.to);
    return {static_cast<std::size_t>(first - plot.x.begin()),
            static_cast<std::size_t>(last - plot.x.begin())};
}

// Floor of a logarithmic axis: the smallest positive value after the lowest half percent of the
// positive values, so that a few deep dips of noise do not stretch the axis by decades.
template <class Iterator> double LogFloor(Iterator begin, Iterator end) {
    std::vector<double> positive;
    std::copy_if(begin, end, std::back_inserter(positive), [](double v) { return v > 0.0; });
    if (positive.empty()) {
        return 0.0;
    }
    const auto at =
        positive.begin() + static_cast<std::ptrdiff_t>(positive.size() / kFloorQuantile);
    std::nth_element(positive.begin(), at, positive.end());
    return *at;
}

Frame FrameFor(const SpectrumPlot& plot, Span span) {
    double x0 = plot.from < plot.to ? plot.from : plot.x.front();
    double x1 = plot.from < plot.to ? plot.to : plot.x.back();
    if (!(x1 > x0)) {
        x1 = x0 + 1.0;
    }
    double low = 0.0, high = 1.0, floor = 0.0;
    if (span.first < span.last) {
        const auto begin = plot.raw.begin() + static_cast<std::ptrdiff_t>(span.first);
        const auto end = plot.raw.begin() + static_cast<std::ptrdiff_t>(span.last);
        low = *std::min_element(begin, end);
        high = *std::max_element(begin, end);
        floor = LogFloor(begin, end);
    }
    if (plot.logarithmic) {
        if (!(high > 0.0)) {
            high = 1.0;
            floor = 0.1;
        }
        const double margin = 0.05 * std::max(1.0, std::log10(high / floor));
        return Frame(x0, x1, std::log10(floor) - margin, std::log10(high) + margin, true, floor);
    }
    const double spread = high > low ? high - low : 1.0;
    return Frame(x0, x1, std::min(0.0, low), high + 0.05 * spread, false, 0.0);
}

void WritePolyline(std::ostream& out, const Frame& frame, const SpectrumPlot& plot, Span span,
                   const std::vector<double>& y, const char* style) {
    if (y.empty() || span.first >= span.last) {
        return;
    }
    out << "<polyline fill=\"none\" " << style << " points=\"";
    for (std::size_t i = span.first; i < span.last; ++i) {
        out << Number(frame.X(plot.x[i]), 1) << ',' << Number(frame.Y(y[i]), 1) << ' ';
    }
    out << "\"/>\n";
}

void WriteYTick(std::ostream& out, const Frame& frame, double value) {
    const double y = frame.Y(value);
    out << "<line x1=\"" << kLeft - 4 << "\" y1=\"" << Number(y, 1) << "\" x2=\"" << kLeft
        << "\" y2=\"" << Number(y, 1) << "\" stroke=\"black\"/>\n<text x=\"" << kLeft - 6
        << "\" y=\"" << Number(y + 4, 1) << "\" text-anchor=\"end\">" << Intensity(value)
        << "</text>\n";
}

void WriteAxes(std::ostream& out, const Frame& frame, const SpectrumPlot& plot) {
    const double bottom = kHeight - kBottom, right = kWidth - kRight;
    out << "<g stroke=\"black\" stroke-width=\"1\">\n"
        << "<line x1=\"" << kLeft << "\" y1=\"" << bottom << "\" x2=\"" << right << "\" y2=\""
        << bottom << "\"/>\n"
        << "<line x1=\"" << kLeft << "\" y1=\"" << kTop << "\" x2=\"" << kLeft << "\" y2=\""
        << bottom << "\"/>\n</g>\n<g font-family=\"sans-serif\" font-size=\"12\">\n";
    const double xStep = TickStep(frame.x1() - frame.x0());
    const int xDecimals = xStep >= 1.0 ? 0 : static_cast<int>(std::ceil(-std::log10(xStep)));
    for (double x = std::ceil(frame.x0() / xStep) * xStep; x <= frame.x1(); x += xStep) {
        out << "<text x=\"" << Number(frame.X(x), 1) << "\" y=\"" << bottom + 18
            << "\" text-anchor=\"middle\">" << Number(x, xDecimals) << "</text>\n";
    }
    if (frame.logarithmic()) {
        const bool fewDecades = frame.y1() - frame.y0() < 4.0;
        for (double decade = std::floor(frame.y0()); decade <= frame.y1(); decade += 1.0) {
            for (double mantissa : {1.0, 2.0, 5.0}) {
                const double exponent = decade + std::log10(mantissa);
                if ((mantissa == 1.0 || fewDecades) && exponent >= frame.y0() &&
                    exponent <= frame.y1()) {
                    WriteYTick(out, frame, mantissa * std::pow(10.0, decade));
                }
            }
        }
    } else {
        const double yStep = TickStep(frame.y1() - frame.y0());
        for (double y = std::ceil(frame.y0() / yStep) * yStep; y <= frame.y1(); y += yStep) {
            WriteYTick(out, frame, y);
        }
    }
    out << "<text x=\"" << (kLeft + right) / 2 << "\" y=\"" << kHeight - 10
        << "\" text-anchor=\"middle\">" << Escaped(plot.xLabel) << "</text>\n"
        << "<text x=\"" << (kLeft + right) / 2 << "\" y=\"24\" text-anchor=\"middle\" "
        << "font-size=\"16\">" << Escaped(plot.title) << "</text>\n"
        << "<text x=\"" << right << "\" y=\"" << kTop - 10 << "\" text-anchor=\"end\">"
        << "<tspan fill=\"#888888\">raw</tspan>  <tspan fill=\"#1f5fbf\">smoothed</tspan>  "
        << "<tspan fill=\"#d62728\">baseline</tspan>  <tspan fill=\"#2ca02c\">- - "
        << Escaped(plot.thresholdLabel) << "</tspan>  <tspan fill=\"#d62728\">&#9660; peak</tspan>"
        << "</text>\n</g>\n";
}

bool Inside(const Frame& frame, double x) {
    return x >= frame.x0() && x <= frame.x1();
}

// Apex markers; the tallest apexes, spaced apart, carry their abscissa.
void WriteApexes(std::ostream& out, const Frame& frame, const SpectrumPlot& plot) {
    out << "<g fill=\"#d62728\">\n";
    std::vector<PlotPoint> shown;
    for (const PlotPoint& p : plot.apexes) {
        if (!Inside(frame, p.x)) {
            continue;
        }
        shown.push_back(p);
        const double x = frame.X(p.x), y = frame.Y(p.y) - 3.0;
        out << "<path d=\"M" << Number(x, 1) << ',' << Number(y, 1) << "l-4,-7h8z\"/>\n";
    }
    out << "</g>\n<g font-family=\"sans-serif\" font-size=\"10\" fill=\"#444444\" "
           "text-anchor=\"middle\">\n";
    std::sort(shown.begin(), shown.end(),
              [](const PlotPoint& a, const PlotPoint& b) { return a.y > b.y; });
    std::vector<double> labelled;
    for (const PlotPoint& p : shown) {
        const double x = frame.X(p.x);
        if (labelled.size() == kLabelled ||
            std::any_of(labelled.begin(), labelled.end(),
                        [x](double other) { return std::fabs(other - x) < kLabelSpacing; })) {
            continue;
        }
        labelled.push_back(x);
        const double y = std::max(kTop + 10.0, frame.Y(p.y) - 12.0);
        out << "<text x=\"" << Number(x, 1) << "\" y=\"" << Number(y, 1) << "\">" << Number(p.x, 1)
            << "</text>\n";
    }
    out << "</g>\n";
}

} // namespace

void WriteSvg(std::ostream& out, const SpectrumPlot& plot) {
    const Span span = SpanOf(plot);
    const Frame frame = FrameFor(plot, span);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kWidth << "\" height=\""
        << kHeight << "\" viewBox=\"0 0 " << kWidth << ' ' << kHeight << "\">\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    WriteAxes(out, frame, plot);
    WritePolyline(out, frame, plot, span, plot.raw, "stroke=\"#aaaaaa\" stroke-width=\"0.6\"");
    WritePolyline(out, frame, plot, span, plot.smoothed, "stroke=\"#1f5fbf\" stroke-width=\"0.8\"");
    WritePolyline(out, frame, plot, span, plot.baseline, "stroke=\"#d62728\" stroke-width=\"1.5\"");
    WritePolyline(out, frame, plot, span, plot.threshold,
                  "stroke=\"#2ca02c\" stroke-width=\"1.2\" stroke-dasharray=\"6,4\"");
    WriteApexes(out, frame, plot);
    out << "</svg>\n";
}

} // namespace opmdemo
