// opm::fit_line: the straight-line routine of the external library, reached through the same
// entry slot as Statistics::Line, with the outcome taken from the routine's own return value:
// the library's process-wide error code is never read, so concurrent fits do not race on it.
#include "OstraPureMath/opm/Statistics.h"
#include "modern/Checks.h"
#include "modern/ExternalRoutines.h"
#include "modern/Guarded.h"

namespace opm {

LineFit fit_line(Span<const double> x, Span<const double> y) {
    constexpr const char* kOperation = "opm::fit_line";
    return detail::Guarded(kOperation, [&] {
        detail::RequireFinitePairs(kOperation, "x", x, "y", y, 2);
        const int n = detail::ToInt(kOperation, "the point count", x.size());
        const detail::ExternalRoutineSlots& routines = detail::LoadedExternalRoutines(kOperation);
        LineFit fit;
        // The routine only reads x and y; its prototype is not const-qualified.
        const int code =
            routines.stline(const_cast<double*>(x.data()), const_cast<double*>(y.data()), n,
                            &fit.intercept, &fit.slope, &fit.r);
        detail::ThrowForExternalCode(kOperation, code, "all abscissae are equal");
        return fit;
    });
}

} // namespace opm
