// DemoApp: the opm-demo program as a function, so that tests can run it like main does.
//
//   opm-demo [--csv PATH] [--peaks PATH] [--svg PATH] [--log] [--range LO:HI] [--snr X]
//            [--smooth-width N] [--smooth-passes N] [--baseline-width N] [--noise-window N]
//
// Without --csv the built-in synthetic spectrum is analysed. With --csv the profile is read from
// PATH (see CsvProfile.h) and analysed with the same settings: the built-in reference masses and
// the instrument's stored calibration find the reference peaks of a bin profile. The report
// goes to out, the peak list to --peaks PATH (see PeakList.h), the SVG picture to --svg PATH
// (default spectrum.svg), messages to err.
//
// Exit status: 0 on success, also when the profile has no noise and so no peak can be assessed
// (the report says so); 2 for a bad command line or an input file that cannot be read, is
// malformed or holds too few samples (the message names the line); 1 when the analysis fails or
// an output file cannot be written.
#pragma once

#include "demo/SpectrumAnalysis.h"
#include "demo/SyntheticSpectrum.h"

#include <ostream>
#include <string>
#include <vector>

namespace opmdemo {

// Settings that suit the built-in spectrum (and any profile from the same instrument).
AnalysisSettings DemoSettings(const SyntheticSpectrum& spectrum);

// Runs the program on its arguments (without the program name).
int RunDemo(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

} // namespace opmdemo
