// Export macros of the OstraPureMath libraries.
//
// ELF platforms: both libraries are built with -fvisibility=hidden; only what carries one of
// these macros is part of the dynamic symbol table, and the same attribute serves the library
// that defines a symbol and the programs that use it.
//
// Windows: what carries a macro is exported from the DLL that defines it (OPM_BUILDING_LIBRARY
// while OstraPureMath.dll is built, OPM_BUILDING_FRAMEWORK while OstraFramework.dll is) and
// imported by everything else.
#pragma once

#if defined(_WIN32)
#define OPM_EXPORTED __declspec(dllexport)
#define OPM_IMPORTED __declspec(dllimport)
#elif defined(__GNUC__) || defined(__clang__)
#define OPM_EXPORTED __attribute__((visibility("default")))
#define OPM_IMPORTED OPM_EXPORTED
#else
#define OPM_EXPORTED
#define OPM_IMPORTED
#endif

// The framework stand-in, libOstraFramework.so / OstraFramework.dll.
#if defined(OPM_BUILDING_FRAMEWORK)
#define OPM_FRAMEWORK_API OPM_EXPORTED
#else
#define OPM_FRAMEWORK_API OPM_IMPORTED
#endif

// The library itself, libOstraPureMath.so / OstraPureMath.dll.
#if defined(OPM_BUILDING_LIBRARY)
#define OPM_API OPM_EXPORTED
#else
#define OPM_API OPM_IMPORTED
#endif
