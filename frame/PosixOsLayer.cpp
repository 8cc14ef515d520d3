// POSIX backend of the operating-system layer.
#include "frame/OsLayer.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace opm::detail {

const PlatformOsLayer kPlatformOsLayer{};

namespace {

// Any address inside this module's image serves dladdr; this function's own is at hand.
bool FindOwnImage(Dl_info& info) {
    const void* inside = reinterpret_cast<const void*>(&FindOwnImage);
    return dladdr(inside, &info) != 0;
}

std::string ExecutablePath() {
    char buffer[4096];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof buffer) {
        return std::string();
    }
    return std::string(buffer, static_cast<std::size_t>(length));
}

} // namespace

OsString::size_type LastDirectorySeparator(const OsString& path) {
    const char* last = std::strrchr(path.c_str(), '/');
    return last == nullptr ? OsString::npos : OsString::size_type(last - path.c_str());
}

void* PlatformOsLayer::OwnModuleHandle() const {
    Dl_info info{};
    return FindOwnImage(info) ? info.dli_fbase : nullptr;
}

std::string PlatformOsLayer::OwnModulePath() const {
    Dl_info info{};
    if (FindOwnImage(info) && info.dli_fname != nullptr && info.dli_fname[0] != '\0') {
        return info.dli_fname;
    }
    return ExecutablePath();
}

void* PlatformOsLayer::LoadLibrary(const std::string& fullPath) const {
    return dlopen(fullPath.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* PlatformOsLayer::ResolveEntry(void* library, const char* name) const {
    return dlsym(library, name);
}

void PlatformOsLayer::ReleaseLibrary(void* library) const {
    dlclose(library);
}

void PlatformOsLayer::ShowFatalMessage(const char* caption, const std::string& text) const {
    std::fprintf(stderr, "%s: %s\n", caption, text.c_str());
    std::fflush(stderr);
}

void PlatformOsLayer::ExitProcess(int status) const {
    std::exit(status);
}

} // namespace opm::detail
