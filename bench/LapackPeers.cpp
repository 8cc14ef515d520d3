#include "LapackPeers.h"

#include <dlfcn.h>

namespace {

constexpr const char* kLibDir = "/usr/lib/x86_64-linux-gnu/";

void* Open(const std::string& path) {
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

template <class Function> bool Resolve(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

// Resolves every routine of the peer in `library`; false when one is missing.
bool ResolveAll(void* library, LapackPeer& peer) {
    return Resolve(library, "dgelss_", peer.dgelss) && Resolve(library, "dgelsd_", peer.dgelsd) &&
           Resolve(library, "dgesvd_", peer.dgesvd) && Resolve(library, "dgesv_", peer.dgesv) &&
           Resolve(library, "dgetrf_", peer.dgetrf) && Resolve(library, "dgetrs_", peer.dgetrs) &&
           Resolve(library, "dpotrf_", peer.dpotrf) && Resolve(library, "dpotri_", peer.dpotri);
}

std::vector<LapackPeer> Load() {
    std::vector<LapackPeer> peers;
    // Reference BLAS first: the reference LAPACK's dependency on libblas.so.3 then binds to it
    // rather than to whatever the alternative names.
    if (Open(std::string(kLibDir) + "blas/libblas.so.3") != nullptr) {
        if (void* lapack = Open(std::string(kLibDir) + "lapack/liblapack.so.3")) {
            LapackPeer peer;
            peer.name = "reference";
            if (ResolveAll(lapack, peer)) {
                peers.push_back(peer);
            }
        }
    }
    if (void* openblas = Open(std::string(kLibDir) + "openblas-pthread/libopenblas.so.0")) {
        void (*setThreads)(int) = nullptr;
        LapackPeer peer;
        peer.name = "openblas";
        if (Resolve(openblas, "openblas_set_num_threads", setThreads) &&
            ResolveAll(openblas, peer)) {
            setThreads(1);
            peers.push_back(peer);
        }
    }
    return peers;
}

} // namespace

const std::vector<LapackPeer>& LapackPeers() {
    static const std::vector<LapackPeer> peers = Load();
    return peers;
}
