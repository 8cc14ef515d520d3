// The library's error-code variable and the helpers shared by its routines.
#include "torvik/ErrorCodes.h"
#include "torvik/Torvik.h"

#include <cmath>

int sci_err_code = 0;

namespace torvik {

int RecordOutcome(ErrorCode code) {
    sci_err_code = code;
    return code;
}

bool AllFinite(const double* data, long long count) {
    for (long long i = 0; i < count; ++i) {
        if (!std::isfinite(data[i])) {
            return false;
        }
    }
    return true;
}

} // namespace torvik
