// Export macros of the OstraPureMath libraries.
//
// Both libraries are built with -fvisibility=hidden; only what carries one of these macros is
// part of the dynamic symbol table. On ELF platforms the same attribute serves the library that
// defines a symbol and the programs that use it.
#pragma once

#if defined(__GNUC__) || defined(__clang__)
#define OPM_VISIBLE __attribute__((visibility("default")))
#else
#define OPM_VISIBLE
#endif

// The framework stand-in, libOstraFramework.so.
#define OPM_FRAMEWORK_API OPM_VISIBLE

// The library itself, libOstraPureMath.so.
#define OPM_API OPM_VISIBLE
