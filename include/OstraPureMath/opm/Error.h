// opm: the error policy of the modern interface.
//
// Every opm:: operation reports a failure in one way: it throws an exception derived from
// opm::Error (itself a std::runtime_error, so `catch (const std::exception&)` sees it too), whose
// what() says in words what went wrong and whose status() names the kind of failure. Nothing in
// the opm:: layer ends the process, and no failure leaves a partly written result behind: an
// operation that throws has not modified any object the caller passed in.
#pragma once

#include "OstraPureMath/Export.h"

#include <stdexcept>
#include <string>

namespace opm {

// The kind of a failure. The C interface returns the same values as opm_status.
enum class Status {
    ok = 0,
    bad_argument = 1,  // a size, range, pointer or value outside the operation's contract
    no_memory = 2,     // work storage could not be obtained
    not_converged = 3, // an iteration reached its limit, or finite data gave a non-finite result
    degenerate = 4,    // the data admit no unique answer (singular system, no spread, ...)
    unavailable = 5,   // the external routines library is not loaded (only after the library's
                       // release at process exit)
};

// Base of every exception the opm:: layer throws.
class OPM_API Error : public std::runtime_error {
public:
    Error(Status status, const std::string& message);
    ~Error() override;
    Status status() const noexcept { return m_status; }

private:
    Status m_status;
};

// An argument outside the operation's contract (status bad_argument).
class OPM_API InvalidArgument : public Error {
public:
    explicit InvalidArgument(const std::string& message);
    ~InvalidArgument() override;
};

// Work storage could not be obtained (status no_memory).
class OPM_API OutOfMemory : public Error {
public:
    explicit OutOfMemory(const std::string& message);
    ~OutOfMemory() override;
};

// An iteration did not converge, or finite data gave a non-finite result (status not_converged).
class OPM_API NotConverged : public Error {
public:
    explicit NotConverged(const std::string& message);
    ~NotConverged() override;
};

// The data admit no unique answer (status degenerate).
class OPM_API Degenerate : public Error {
public:
    explicit Degenerate(const std::string& message);
    ~Degenerate() override;
};

// The external routines library is not loaded (status unavailable). The library loads it when it
// is itself loaded and ends the process if it cannot, so this is seen only by calls made after
// the library's release at process exit.
class OPM_API Unavailable : public Error {
public:
    explicit Unavailable(const std::string& message);
    ~Unavailable() override;
};

} // namespace opm
