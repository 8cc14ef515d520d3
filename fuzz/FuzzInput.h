// Decoding of a fuzzer's bytes into the arguments of a call, shared by every fuzz target, and
// the check that turns a broken promise into a crash that libFuzzer reports.
//
// Fields are read from the front in order, little-endian; once the bytes run out every field
// reads as zero, so any input decodes to some call and a seed file is easy to write by hand
// (a byte for each count or code, eight bytes for each double).
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace opm::fuzz {

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t Byte() { return Take(1) ? data_[pos_ - 1] : 0; }
    // A count in [low, high] from one byte.
    long Count(long low, long high) { return low + long(Byte()) % (high - low + 1); }
    double Double() {
        double value = 0.0;
        if (Take(8)) {
            std::memcpy(&value, data_ + pos_ - 8, 8);
        }
        return value;
    }
    std::vector<double> Doubles(std::size_t count) {
        std::vector<double> values(count);
        for (double& v : values) {
            v = Double();
        }
        return values;
    }
    bool Empty() const { return pos_ >= size_; }

private:
    bool Take(std::size_t bytes) {
        if (size_ - pos_ < bytes) {
            pos_ = size_;
            return false;
        }
        pos_ += bytes;
        return true;
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// A broken promise: print what was promised and abort, which libFuzzer reports with the input.
#define OPM_FUZZ_CHECK(condition, promise)                                                         \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "broken promise: %s (%s:%d)\n", promise, __FILE__, __LINE__);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

inline bool AllFinite(const double* values, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (!(values[i] - values[i] == 0.0)) {
            return false;
        }
    }
    return true;
}
inline bool AllFinite(const std::vector<double>& values) {
    return AllFinite(values.data(), values.size());
}

// Both ends of an interval small enough that no sum of two points inside it overflows, as the
// midpoints of the bisections need.
inline bool ModerateEnds(double a, double b) {
    constexpr double kModerate = 0x1p1022;
    return std::fabs(a) <= kModerate && std::fabs(b) <= kModerate;
}

} // namespace opm::fuzz
