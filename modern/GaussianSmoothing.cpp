// opm::gaussianSmooth: Statistics::GaussSmooth over the whole of the caller's samples, its
// result code turned into an exception.
#include "OstraPureMath/Statistics.h"
#include "OstraPureMath/opm/Statistics.h"
#include "modern/Checks.h"
#include "modern/ExternalRoutines.h"
#include "modern/Guarded.h"

#include <string>

namespace opm {

void gaussianSmooth(Span<double> samples, int halfWidth, int passes) {
    constexpr const char* kOperation = "opm::gaussianSmooth";
    detail::Guarded(kOperation, [&] {
        detail::RequireFiniteData(kOperation, "samples", samples);
        detail::RequireAtLeast(kOperation, "samples", samples.size(), 1);
        const int n = detail::ToInt(kOperation, "the sample count", samples.size());
        if (halfWidth < 1 || passes < 1) {
            detail::Refuse(kOperation, "halfWidth " + detail::Text(halfWidth) + " and passes " +
                                           detail::Text(passes) + " must both be at least 1");
        }
        // Statistics::GaussSmooth ends the process on an empty slot; check it first.
        detail::LoadedExternalRoutines(kOperation);
        // The routine returns 0 or its error code negated, and never writes on failure.
        const int result = Statistics::GaussSmooth(samples.data(), n, 0, n - 1, halfWidth, passes);
        detail::ThrowForExternalCode(kOperation, -result, "the samples cannot be smoothed");
    });
}

} // namespace opm
