// The exception types of the modern interface. Their destructors are defined here, out of line,
// so that each type's run-time type information lives in the library once and an exception
// thrown inside it is caught by type in every program that uses it.
#include "OstraPureMath/opm/Error.h"

namespace opm {

Error::Error(Status status, const std::string& message)
    : std::runtime_error(message), m_status(status) {}
Error::~Error() = default;

InvalidArgument::InvalidArgument(const std::string& message)
    : Error(Status::bad_argument, message) {}
InvalidArgument::~InvalidArgument() = default;

OutOfMemory::OutOfMemory(const std::string& message) : Error(Status::no_memory, message) {}
OutOfMemory::~OutOfMemory() = default;

NotConverged::NotConverged(const std::string& message) : Error(Status::not_converged, message) {}
NotConverged::~NotConverged() = default;

Degenerate::Degenerate(const std::string& message) : Error(Status::degenerate, message) {}
Degenerate::~Degenerate() = default;

Unavailable::Unavailable(const std::string& message) : Error(Status::unavailable, message) {}
Unavailable::~Unavailable() = default;

} // namespace opm
