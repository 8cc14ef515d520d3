// The demo's CSV reader on any bytes: either CsvError, or a profile whose samples are finite,
// as many abscissae as intensities, at least one, with strictly increasing abscissae.
#include "FuzzInput.h"
#include "demo/CsvProfile.h"

#include <cmath>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    try {
        const opmdemo::Profile p = opmdemo::ReadCsvProfile(in);
        OPM_FUZZ_CHECK(p.abscissa.size() == p.intensity.size() && !p.abscissa.empty(),
                       "one intensity per abscissa, at least one sample");
        OPM_FUZZ_CHECK(opm::fuzz::AllFinite(p.abscissa) && opm::fuzz::AllFinite(p.intensity),
                       "finite samples");
        for (std::size_t i = 1; i < p.abscissa.size(); ++i) {
            OPM_FUZZ_CHECK(p.abscissa[i - 1] < p.abscissa[i], "strictly increasing abscissae");
        }
    } catch (const opmdemo::CsvError& e) {
        OPM_FUZZ_CHECK(e.what()[0] != '\0', "the error says what is wrong");
    }
    return 0;
}
