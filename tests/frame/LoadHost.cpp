// A host program for the module load tests: loads the library given on the command line with
// dlopen, prints how many extension-module libraries the framework's chain holds, unloads it and
// prints the count again. It also interposes dlclose (the library's own calls resolve to this
// definition first) to print the chain's count at every release, so the order of unregistration
// and release of libTorvik.so is visible.
//
// Output on stdout:  loaded: <libraries of the loaded module> of <all libraries>
//                    dlclose <file name>: <all libraries>      (once per dlclose call)
//                    unloaded: <all libraries>
#include "OstraPureMath/Framework.h"

#include <dlfcn.h>
#include <link.h>

#include <cstdio>
#include <cstring>

namespace {

const char* BaseName(const char* path) {
    const char* slash = std::strrchr(path, '/');
    return slash == nullptr ? path : slash + 1;
}

// Libraries in the chain whose module handle lies in the file loaded from path.
int CountLibrariesOf(const char* path) {
    int count = 0;
    for (CDynLinkLibrary* library = AfxGetModuleState()->m_libraryList; library != nullptr;
         library = library->m_pNextDLL) {
        Dl_info info{};
        if (dladdr(library->m_hModule, &info) != 0 && info.dli_fname != nullptr &&
            std::strcmp(info.dli_fname, path) == 0) {
            ++count;
        }
    }
    return count;
}

} // namespace

extern "C" __attribute__((visibility("default"))) int dlclose(void* handle) noexcept {
    using Dlclose = int (*)(void*);
    static const Dlclose next = reinterpret_cast<Dlclose>(dlsym(RTLD_NEXT, "dlclose"));
    link_map* map = nullptr;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr) {
        std::printf("dlclose %s: %d\n", BaseName(map->l_name), AfxCountDynLinkLibraries(nullptr));
    }
    return next(handle);
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <library>\n", argv[0]);
        return 2;
    }
    void* module = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        std::fprintf(stderr, "dlopen: %s\n", dlerror());
        return 3;
    }
    std::printf("loaded: %d of %d\n", CountLibrariesOf(argv[1]), AfxCountDynLinkLibraries(nullptr));
    dlclose(module);
    std::printf("unloaded: %d\n", AfxCountDynLinkLibraries(nullptr));
    return 0;
}
