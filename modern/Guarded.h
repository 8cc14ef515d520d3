// The one place where the modern interface turns failures of the layers below into opm::
// exceptions: every public opm:: operation runs its body through Guarded.
#pragma once

#include "OstraPureMath/Framework.h"
#include "OstraPureMath/opm/Error.h"

#include <new>
#include <stdexcept>
#include <string>
#include <utility>

namespace opm::detail {

// Runs body() and returns its result. opm:: exceptions pass unchanged; the framework's memory
// exception and the standard library's allocation failures (an impossible size included) become
// opm::OutOfMemory, and the framework's invalid-argument exception (an index outside an array)
// becomes opm::InvalidArgument, each with the operation's name in its message.
template <class Body> decltype(auto) Guarded(const char* operation, Body&& body) {
    try {
        return std::forward<Body>(body)();
    } catch (const Error&) {
        throw;
    } catch (const CMemoryException&) {
        throw OutOfMemory(std::string(operation) + ": out of memory");
    } catch (const std::bad_alloc&) {
        throw OutOfMemory(std::string(operation) + ": out of memory");
    } catch (const std::length_error&) {
        throw OutOfMemory(std::string(operation) + ": the result is too large to store");
    } catch (const CInvalidArgException& e) {
        throw InvalidArgument(std::string(operation) + ": " + e.what());
    }
}

} // namespace opm::detail
