// Error codes of the external routines library and the one place that records them.
#pragma once

namespace torvik {

enum ErrorCode : int {
    kSuccess = 0,
    kBadArguments = 1,
    kDegenerate = 2,
    kNonFinite = 3,
    kOutOfMemory = 4,
    kNoConvergence = 5
};

// Stores code in sci_err_code and returns it.
int RecordOutcome(ErrorCode code);

// True when every one of the count values at data is finite.
bool AllFinite(const double* data, long long count);

} // namespace torvik
