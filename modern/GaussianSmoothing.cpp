// opm::gaussian_smooth: Statistics::GaussSmooth over the whole of the caller's samples, its
// result code turned into an exception.
#include "OstraPureMath/Statistics.h"
#include "OstraPureMath/opm/Statistics.h"
#include "modern/Checks.h"
#include "modern/ExternalRoutines.h"
#include "modern/Guarded.h"

#include <string>

namespace opm {

void gaussian_smooth(Span<double> samples, int half_width, int passes) {
    constexpr const char* kOperation = "opm::gaussian_smooth";
    detail::Guarded(kOperation, [&] {
        detail::RequireFiniteData(kOperation, "samples", samples);
        detail::RequireAtLeast(kOperation, "samples", samples.size(), 1);
        const int n = detail::ToInt(kOperation, "the sample count", samples.size());
        if (half_width < 1 || passes < 1) {
            detail::Refuse(kOperation, "half_width " + detail::Text(half_width) + " and passes " +
                                           detail::Text(passes) + " must both be at least 1");
        }
        // Statistics::GaussSmooth ends the process on an empty slot; check it first.
        detail::LoadedExternalRoutines(kOperation);
        // The routine returns 0 or its error code negated, and never writes on failure.
        const int result = Statistics::GaussSmooth(samples.data(), n, 0, n - 1, half_width, passes);
        detail::ThrowForExternalCode(kOperation, -result, "the samples cannot be smoothed");
    });
}

} // namespace opm
