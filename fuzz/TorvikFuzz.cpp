// libTorvik's three routines called directly on any input: every call ends with a code from
// its table (0 to 5) stored in sci_err_code; outputs are untouched for codes 1, 3, 4 and 5 and
// finite for finite input on success; stline reports all-equal abscissae as degenerate (2) and
// its r stays within [-1, 1]; stgssm writes only data[first..last].
#include "FuzzInput.h"
#include "torvik/Torvik.h"

#include <algorithm>
#include <cmath>

namespace {

using opm::fuzz::AllFinite;
using opm::fuzz::FuzzInput;

constexpr double kUntouched = -3.5e300;

// m rows (up to 4 * 255 + 4, beyond the solver's row compression) that repeat the up to 10
// distinct rows read, so that a short input can describe a tall system.
void LeastSquares(FuzzInput& in) {
    const int m = int(in.Count(1, 4) * in.Count(1, 255));
    const int distinct = int(std::min<long>(in.Count(1, 10), m));
    const int n = int(in.Count(1, 6));
    const int nb = int(in.Count(1, 2));
    std::vector<double> a = in.Doubles(std::size_t(distinct * n));
    std::vector<double> b = in.Doubles(std::size_t(distinct * nb));
    std::vector<double> x(std::size_t(n * nb), kUntouched);
    std::vector<double*> aRows, bRows, xRows;
    for (int i = 0; i < m; ++i) {
        aRows.push_back(a.data() + (i % distinct) * n);
        bRows.push_back(b.data() + (i % distinct) * nb);
    }
    for (int i = 0; i < n; ++i) {
        xRows.push_back(x.data() + i * nb);
    }
    const int code = lesqso(m, n, m, n, aRows.data(), bRows.data(), nb, xRows.data());
    OPM_FUZZ_CHECK(code == sci_err_code && code >= 0 && code <= 5, "a code from the table");
    const bool finite = AllFinite(a) && AllFinite(b);
    OPM_FUZZ_CHECK(finite == (code != 3), "code 3 exactly for a NaN or infinity");
    if (code == 0 || code == 2) {
        OPM_FUZZ_CHECK(AllFinite(x), "a finite solution for finite input");
    } else {
        OPM_FUZZ_CHECK(std::all_of(x.begin(), x.end(), [](double v) { return v == kUntouched; }),
                       "a failed solve leaves x untouched");
    }
}

void Line(FuzzInput& in) {
    const int n = int(in.Count(0, 24));
    std::vector<double> x = in.Doubles(std::size_t(n) + 1), y = in.Doubles(std::size_t(n) + 1);
    double out[3] = {kUntouched, kUntouched, kUntouched};
    const int code = stline(x.data(), y.data(), n, &out[0], &out[1], &out[2]);
    OPM_FUZZ_CHECK(code == sci_err_code && code >= 0 && code <= 5, "a code from the table");
    if (n < 2 || code == 3) {
        OPM_FUZZ_CHECK(code == (n < 2 ? 1 : 3), "too few points 1, non-finite input 3");
        OPM_FUZZ_CHECK(out[0] == kUntouched && out[1] == kUntouched && out[2] == kUntouched,
                       "a refused line writes nothing");
        return;
    }
    if (code == 5) { // a result beyond the range of double
        OPM_FUZZ_CHECK(out[0] == kUntouched && out[1] == kUntouched && out[2] == kUntouched,
                       "an out-of-range line writes nothing");
        return;
    }
    const bool allEqual =
        std::all_of(x.begin(), x.begin() + n, [&](double v) { return v == x[0]; });
    OPM_FUZZ_CHECK((code == 2) == allEqual, "degenerate exactly when all abscissae are equal");
    OPM_FUZZ_CHECK(AllFinite(out, 3) && std::fabs(out[2]) <= 1.0, "finite outputs, |r| <= 1");
}

void Smoothing(FuzzInput& in) {
    const int n = int(in.Count(0, 48));
    std::vector<double> data = in.Doubles(std::size_t(n) + 1);
    const std::vector<double> before = data;
    const int first = int(in.Count(0, 50)) - 1;
    const int last = int(in.Count(0, 50)) - 1;
    const int halfWidth = int(in.Count(0, 1000)) - 1;
    const int passes = int(in.Count(0, 4)) - 1;
    const int result = stgssm(data.data(), n, first, last, halfWidth, passes);
    OPM_FUZZ_CHECK(result <= 0 && result >= -5 && -result == sci_err_code, "0 or a negated code");
    for (int i = 0; i <= n; ++i) {
        if (result != 0 || i < first || i > last) {
            OPM_FUZZ_CHECK(std::memcmp(&data[std::size_t(i)], &before[std::size_t(i)], 8) == 0,
                           "only data[first..last] is written, and only on success");
        }
    }
    if (result == 0) {
        OPM_FUZZ_CHECK(AllFinite(data.data() + first, std::size_t(last - first + 1)),
                       "finite samples smooth to finite samples");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    switch (in.Count(0, 2)) {
    case 0:
        LeastSquares(in);
        break;
    case 1:
        Line(in);
        break;
    default:
        Smoothing(in);
        break;
    }
    return 0;
}
