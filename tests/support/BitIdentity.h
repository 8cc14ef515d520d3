// Bit-identity checks: every output bit of an operation over seeded inputs, folded into one
// 64-bit hash per operation that a test compares with the value recorded for it.
//
// Each case (one call, or a few calls on one input) is hashed on its own with FNV-1a 64 over the
// bytes of its outputs; the operation's hash is FNV-1a over its cases' hashes in order. NaN is
// hashed as one canonical pattern (its sign and payload are the compiler's choice); every other
// double, -0.0 and subnormals included, by its exact bits.
//
// When a recorded hash no longer matches, list the cases of two builds and compare them:
//   OPM_IDENTITY_DUMP=/tmp/before.txt build/release/bin/matrix_tests --gtest_filter='*BitIdentity*'
// appends one line "<operation> <case> <hash>" per case to the named file.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace identity {

// FNV-1a, 64 bits.
class Hash {
public:
    Hash& Bytes(const void* data, std::size_t size) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size; ++i) {
            value_ = (value_ ^ bytes[i]) * 0x100000001b3ull;
        }
        return *this;
    }
    Hash& Add(double v) {
        std::uint64_t bits = 0x7ff8000000000000ull; // canonical NaN
        if (!std::isnan(v)) {
            std::memcpy(&bits, &v, sizeof bits);
        }
        return Word(bits);
    }
    Hash& Add(long v) { return Word(std::uint64_t(v)); }
    Hash& Add(int v) { return Word(std::uint64_t(std::int64_t(v))); }
    Hash& Add(bool v) { return Word(v ? 1 : 0); }
    // values[first..last], the index range an operation writes.
    Hash& Add(const double* values, long first, long last) {
        for (long i = first; i <= last; ++i) {
            Add(values[i]);
        }
        return *this;
    }
    Hash& Add(const std::vector<double>& values) {
        Add(long(values.size()));
        return Add(values.data(), 0, long(values.size()) - 1);
    }
    std::uint64_t Value() const { return value_; }

private:
    Hash& Word(std::uint64_t word) { return Bytes(&word, sizeof word); }
    std::uint64_t value_ = 0xcbf29ce484222325ull;
};

// The hashes of one operation's cases, in order, and the operation's hash over them.
class Operation {
public:
    explicit Operation(std::string name) : name_(std::move(name)) {}

    // Folds in one case and, when OPM_IDENTITY_DUMP names a file, appends its line there.
    void Record(const std::string& label, const Hash& outputs) {
        const std::uint64_t value = outputs.Value();
        all_.Bytes(&value, sizeof value);
        if (const char* path = std::getenv("OPM_IDENTITY_DUMP")) {
            if (std::FILE* file = std::fopen(path, "a")) {
                std::fprintf(file, "%s %s %016llx\n", name_.c_str(), label.c_str(),
                             static_cast<unsigned long long>(value));
                std::fclose(file);
            }
        }
    }
    std::uint64_t Value() const { return all_.Value(); }

private:
    std::string name_;
    Hash all_;
};

// Seeded inputs, the same on every platform (SplitMix64 and explicit conversions, no standard
// distributions whose algorithms are the library vendor's choice).
class Seeded {
public:
    explicit Seeded(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }
    // Uniform in [lo, hi): 53 random bits scaled.
    double Uniform(double lo, double hi) {
        return lo + (hi - lo) * (double(Next() >> 11) * 0x1.0p-53);
    }
    // 0 .. count - 1.
    long Below(long count) { return long(Next() % std::uint64_t(count)); }
    // A value that stresses arithmetic: most are ordinary, the others zero, signed zero, huge,
    // tiny, subnormal, or a repeat of the last value given.
    double Nasty() {
        const double ordinary = Uniform(-1.0, 1.0);
        switch (Below(12)) {
        case 0:
            return last_ = 0.0;
        case 1:
            return last_ = -0.0;
        case 2:
            return last_ = ordinary * 1e150;
        case 3:
            return last_ = ordinary * 1e-150;
        case 4:
            return last_ = ordinary * 0x1.0p-1060; // subnormal
        case 5:
            return last_;
        default:
            return last_ = ordinary;
        }
    }

private:
    std::uint64_t state_;
    double last_ = 1.0;
};

// Values outside the finite range, for operations whose contract accepts them.
constexpr double kInf = HUGE_VAL;
inline double QuietNaN() {
    return std::nan("");
}

// One operation: its name, the hash recorded for it, and the function that runs its cases.
// mathLibrary marks an operation whose bits pass through the C library's exp, log, pow, cos or
// acos (in its code or its inputs): the hash is the one glibc gives, and another platform's math
// library (Windows) may round some of those results a unit otherwise.
struct Recorded {
    const char* name;
    std::uint64_t hash;
    void (*run)(Operation&);
    bool mathLibrary = false;
};

// Runs every operation of the table and compares its hash with the recorded one; on Windows
// only where no math library function is involved (the others still run).
template <std::size_t N> void ExpectRecordedHashes(const Recorded (&table)[N]) {
    for (const Recorded& recorded : table) {
        Operation operation(recorded.name);
        recorded.run(operation);
#if defined(_WIN32)
        if (recorded.mathLibrary) {
            std::printf("%s: bits of glibc's math library, not compared here\n", recorded.name);
            continue;
        }
#endif
        EXPECT_EQ(operation.Value(), recorded.hash)
            << recorded.name << " now hashes to 0x" << std::hex << operation.Value()
            << ": compare the case lists of two builds (OPM_IDENTITY_DUMP)";
    }
}

} // namespace identity
