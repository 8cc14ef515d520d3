// Host program of the load tests: loads the library named on the command line with dlopen and
// unloads it, printing "loaded: <libraries of the module> of <all libraries in the chain>",
// "dlclose <file name>: <all libraries>" at each dlclose (interposed: the library's own calls
// reach this definition first) and "unloaded: <all libraries>".
#include "OstraPureMath/Framework.h"

#include <dlfcn.h>
#include <link.h>

#include <cstdio>
#include <cstring>

extern "C" __attribute__((visibility("default"))) int dlclose(void* handle) noexcept {
    static const auto next = reinterpret_cast<int (*)(void*)>(dlsym(RTLD_NEXT, "dlclose"));
    link_map* map = nullptr;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr) {
        const char* slash = std::strrchr(map->l_name, '/');
        std::printf("dlclose %s: %d\n", slash ? slash + 1 : map->l_name,
                    AfxCountDynLinkLibraries(nullptr));
    }
    return next(handle);
}

int main(int argc, char** argv) {
    void* module = argc == 2 ? dlopen(argv[1], RTLD_NOW | RTLD_LOCAL) : nullptr;
    if (module == nullptr) {
        std::fprintf(stderr, "%s\n", argc == 2 ? dlerror() : "usage: frame_load_host <library>");
        return 2;
    }
    int own = 0; // libraries whose module handle lies in the loaded file
    for (CDynLinkLibrary* l = AfxGetModuleState()->m_libraryList; l != nullptr; l = l->m_pNextDLL) {
        Dl_info info{};
        own += dladdr(l->m_hModule, &info) != 0 && info.dli_fname &&
               std::strcmp(info.dli_fname, argv[1]) == 0;
    }
    std::printf("loaded: %d of %d\n", own, AfxCountDynLinkLibraries(nullptr));
    dlclose(module);
    std::printf("unloaded: %d\n", AfxCountDynLinkLibraries(nullptr));
    return 0;
}
