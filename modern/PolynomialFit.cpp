// opm::fit_polynomial: LeastSquares::PolynomialCoefs over copies of the caller's points, after
// the checks that routine leaves to its caller (enough points, enough distinct abscissae).
#include "OstraPureMath/DoubleArray.h"
#include "OstraPureMath/HostArrays.h"
#include "OstraPureMath/LeastSquares.h"
#include "OstraPureMath/opm/Error.h"
#include "OstraPureMath/opm/Statistics.h"
#include "modern/Checks.h"
#include "modern/ExternalRoutines.h"
#include "modern/Guarded.h"

#include <algorithm>
#include <string>

namespace opm {

namespace {

std::size_t DistinctCount(Span<const double> values) {
    std::vector<double> sorted(values.begin(), values.end());
    std::sort(sorted.begin(), sorted.end());
    std::size_t distinct = 0;
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        distinct += (i == 0 || sorted[i] != sorted[i - 1]) ? 1 : 0;
    }
    return distinct;
}

void CopyInto(CArray<double, double>& array, Span<const double> values) {
    array.SetSize(static_cast<INT_PTR>(values.size()));
    std::copy(values.begin(), values.end(), array.GetData());
}

} // namespace

std::vector<double> fit_polynomial(Span<const double> x, Span<const double> y, unsigned degree) {
    constexpr const char* kOperation = "opm::fit_polynomial";
    return detail::Guarded(kOperation, [&] {
        const std::size_t coefficients = std::size_t(degree) + 1;
        detail::RequireFinitePairs(kOperation, "x", x, "y", y, coefficients);
        detail::ToInt(kOperation, "the point count", x.size());
        if (DistinctCount(x) < coefficients) {
            throw Degenerate(std::string(kOperation) + ": fewer distinct abscissae than the " +
                             detail::Text(coefficients) + " coefficients of degree " +
                             detail::Text(degree) + "; the fit is not unique");
        }
        // LeastSquares::PolynomialCoefs ends the process on an empty slot; check it first.
        detail::LoadedExternalRoutines(kOperation);
        MZBinArray bins;
        MZArray values;
        CopyInto(bins, x);
        CopyInto(values, y);
        DoubleArray fitted;
        LeastSquares::PolynomialCoefs(bins, values, degree, fitted);
        std::vector<double> result(fitted.GetData(), fitted.GetData() + fitted.GetSize());
        detail::RequireFiniteResult(kOperation, "a coefficient is not finite (overflow)", result);
        return result;
    });
}

} // namespace opm
