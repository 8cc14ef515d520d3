// CsvProfile: reads a profile spectrum from a two-column CSV file.
//
// Format: one sample per line, "abscissa,intensity". An optional header on the first line
// names the abscissa column "bin" or "mz" (also "m/z"; case and surrounding blanks ignored).
// Without a header the abscissae are taken as bins when every one of them is a whole number,
// else as m/z. Blank lines and lines starting with '#' are skipped; a UTF-8 byte order mark at
// the start, blanks and double quotes around fields, a trailing comma and further columns (only
// the first two are read) are accepted; Windows line ends too. Every value must be a finite
// number and the abscissae must increase strictly. Messages quote at most 40 characters of a
// bad field, with unprintable bytes written as \xHH.
#pragma once

#include "demo/Profile.h"

#include <cstddef>
#include <istream>
#include <stdexcept>
#include <string>

namespace opmdemo {

// A malformed or unreadable file. what() reads "line N: <what is wrong>" and line() is N;
// for a file that cannot be opened, line() is 0 and what() names the file.
class CsvError : public std::runtime_error {
public:
    CsvError(std::size_t line, const std::string& problem);
    std::size_t line() const { return m_line; }

private:
    std::size_t m_line;
};

// Reads a profile from a stream. Raises CsvError on the first malformed line, and when the
// stream holds fewer than minimumSamples data lines (the line named is then the one after the
// last line read).
Profile ReadCsvProfile(std::istream& in, std::size_t minimumSamples = 1);

// Opens path and reads it with ReadCsvProfile. Raises CsvError when it cannot be opened.
Profile ReadCsvProfileFile(const std::string& path, std::size_t minimumSamples = 1);

// field as a message shows it: quoted, at most 40 characters (longer ones cut with "..."),
// unprintable bytes as \xHH.
std::string QuotedField(const std::string& field);

} // namespace opmdemo
