#include "demo/CsvProfile.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <vector>

namespace opmdemo {
namespace {

std::string Trim(const std::string& text) {
    const auto isBlank = [](unsigned char c) { return std::isspace(c) != 0; };
    auto first = std::find_if_not(text.begin(), text.end(), isBlank);
    auto last = std::find_if_not(text.rbegin(), text.rend(), isBlank).base();
    return first < last ? std::string(first, last) : std::string();
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

constexpr std::size_t kShownFieldLength = 40;
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

// A field without its surrounding blanks and double quotes.
std::string Unquoted(const std::string& text) {
    std::string field = Trim(text);
    if (field.size() >= 2 && field.front() == '"' && field.back() == '"') {
        field = Trim(field.substr(1, field.size() - 2));
    }
    return field;
}

// The comma-separated fields of a line; a trailing comma adds no field.
std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = line.find(',', start);
        fields.push_back(Unquoted(line.substr(start, comma - start)));
        if (comma == std::string::npos) {
            break;
        }
        start = comma + 1;
    }
    if (fields.size() > 2 && fields.back().empty()) {
        fields.pop_back();
    }
    return fields;
}

// The whole field as a number (strtod syntax, so "nan" and "inf" parse), or nothing.
std::optional<double> ParseNumber(const std::string& field) {
    if (field.empty()) {
        return std::nullopt;
    }
    char* end = nullptr;
    const double value = std::strtod(field.c_str(), &end);
    if (end != field.c_str() + field.size()) {
        return std::nullopt;
    }
    return value;
}

AbscissaKind KindFromHeader(const std::string& name, std::size_t line) {
    const std::string key = Lower(name);
    if (key == "bin") {
        return AbscissaKind::Bin;
    }
    if (key == "mz" || key == "m/z") {
        return AbscissaKind::MZ;
    }
    throw CsvError(line, "header names the abscissa column " + QuotedField(name) +
                             "; expected bin or mz");
}

bool AllWholeNumbers(const std::vector<double>& values) {
    return std::all_of(values.begin(), values.end(), [](double v) { return v == std::floor(v); });
}

class Reader {
public:
    void ReadLine(const std::string& text, std::size_t line) {
        const std::vector<std::string> fields = SplitFields(text);
        if (fields.size() < 2) {
            throw CsvError(line, "expected 2 comma-separated fields (abscissa,intensity), found " +
                                     std::to_string(fields.size()));
        }
        const std::optional<double> x = ParseNumber(fields[0]);
        const std::optional<double> y = ParseNumber(fields[1]);
        if (!x && !y) {
            ReadHeader(fields[0], line);
            return;
        }
        const double abscissa = Checked(x, fields[0], 1, line);
        const double intensity = Checked(y, fields[1], 2, line);
        if (!m_profile.abscissa.empty() && !(abscissa > m_profile.abscissa.back())) {
            throw CsvError(line, "abscissa " + QuotedField(fields[0]) +
                                     " is not greater than the one on line " +
                                     std::to_string(m_previousLine) + " (abscissae must increase)");
        }
        m_profile.abscissa.push_back(abscissa);
        m_profile.intensity.push_back(intensity);
        m_previousLine = line;
    }

    Profile Finish(std::size_t linesRead, std::size_t minimumSamples) {
        if (m_profile.Size() == 0) {
            throw CsvError(linesRead + 1, m_header ? "no data after the header"
                                                   : "no data (the file holds no sample line)");
        }
        if (m_profile.Size() < minimumSamples) {
            throw CsvError(linesRead + 1, "only " + std::to_string(m_profile.Size()) +
                                              " samples; the analysis needs at least " +
                                              std::to_string(minimumSamples));
        }
        if (!m_header) {
            m_profile.kind =
                AllWholeNumbers(m_profile.abscissa) ? AbscissaKind::Bin : AbscissaKind::MZ;
        }
        return std::move(m_profile);
    }

private:
    void ReadHeader(const std::string& name, std::size_t line) {
        if (m_header || m_previousLine != 0) {
            throw CsvError(line, "unexpected header line; a header is allowed only before the "
                                 "first sample");
        }
        m_profile.kind = KindFromHeader(name, line);
        m_header = true;
    }

    static double Checked(const std::optional<double>& value, const std::string& field, int column,
                          std::size_t line) {
        if (!value) {
            throw CsvError(line, "field " + std::to_string(column) + " " + QuotedField(field) +
                                     " is not a number");
        }
        if (!std::isfinite(*value)) {
            throw CsvError(line, "field " + std::to_string(column) + " " + QuotedField(field) +
                                     " is not a finite number");
        }
        return *value;
    }

    Profile m_profile;
    bool m_header = false;
    std::size_t m_previousLine = 0; // line of the last sample read; 0 before the first
};

} // namespace

CsvError::CsvError(std::size_t line, const std::string& problem)
    : std::runtime_error(line == 0 ? problem : "line " + std::to_string(line) + ": " + problem),
      m_line(line) {}

std::string QuotedField(const std::string& field) {
    std::string shown = "'";
    const std::size_t length = std::min(field.size(), kShownFieldLength);
    for (std::size_t i = 0; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(field[i]);
        if (std::isprint(byte)) {
            shown += field[i];
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            shown += escaped;
        }
    }
    shown += field.size() > kShownFieldLength ? "'..." : "'";
    return shown;
}

Profile ReadCsvProfile(std::istream& in, std::size_t minimumSamples) {
    Reader reader;
    std::size_t line = 0;
    std::string text;
    while (std::getline(in, text)) {
        ++line;
        if (line == 1 && text.rfind(kByteOrderMark, 0) == 0) {
            text.erase(0, sizeof kByteOrderMark - 1);
        }
        const std::string content = Trim(text);
        if (!content.empty() && content[0] != '#') {
            reader.ReadLine(content, line);
        }
    }
    return reader.Finish(line, minimumSamples);
}

Profile ReadCsvProfileFile(const std::string& path, std::size_t minimumSamples) {
    std::ifstream in(path);
    if (!in) {
        throw CsvError(0, "cannot open '" + path + "'");
    }
    return ReadCsvProfile(in, minimumSamples);
}

} // namespace opmdemo
