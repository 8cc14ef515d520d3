// Householder reflections applied to many vectors at once. The vectors' sums are independent
// chains of additions; the kernels keep up to sixteen of them (four groups of four adjacent
// columns) and four single columns in registers during one pass over the rows, so that the
// chains run side by side, and then update the same vectors in a second pass.
#include "matrix/ReflectionKernels.h"

#include "common/Simd.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

namespace opm::detail {

namespace {

using simd::Double4;
using simd::Mask4;

constexpr int kGroupsPerPass = 4;
constexpr int kSinglesPerPass = 4;

// The groups of one pass: V groups of four adjacent columns rows[i][column[q]..column[q] + 3]
// of one matrix. The last group of a run may overlap the columns before it; its lanes marked in
// `keep` belong to another group (or to no vector at all) and are stored back unchanged.
struct Groups {
    double* const* rows;
    long column[4];
    Mask4 keep;
};

// One column rows[i][column].
struct Single {
    double* const* rows;
    long column;
};

// The lanes' magnitudes (the sign bit cleared, as std::fabs does).
__attribute__((always_inline)) inline void Magnitude4(Double4& x) {
    const long long clear = 0x7fffffffffffffffLL;
    x = reinterpret_cast<Double4>(reinterpret_cast<Mask4>(x) & Mask4{clear, clear, clear, clear});
}

// The largest of the lanes and `seed` by the comparison x > largest, which skips NaN unless the
// seed is NaN: the same value as the scalar scan from the seed in any order.
__attribute__((always_inline)) inline double LargestOf(const Double4& lanes, double seed) {
    double largest = seed;
    for (int q = 0; q < 4; ++q) {
        largest = lanes[q] > largest ? lanes[q] : largest;
    }
    return largest;
}

// Reflects V groups and S singles: first their factors, each summed over rows p, l..m in that
// order, then element i of each becomes c + factor * u, u = up on row p and v[i] on rows l..m.
template <int V, int S>
__attribute__((always_inline)) inline void Reflect(const Groups& g, const Single* s,
                                                   const double* v, double up, double b, long m,
                                                   long p, long l) {
    Double4 sums[V > 0 ? V : 1];
    double single[S > 0 ? S : 1];
    const Double4 up4 = OPM_BROADCAST4(up);
    for (int q = 0; q < V; ++q) {
        sums[q] = OPM_LOAD4(g.rows[p] + g.column[q]) * up4;
    }
    for (int q = 0; q < S; ++q) {
        single[q] = s[q].rows[p][s[q].column] * up;
    }
    for (long i = l; i <= m; ++i) {
        const double vi = v[i];
        const Double4 v4 = OPM_BROADCAST4(vi);
        const double* const row = V > 0 ? g.rows[i] : nullptr;
        for (int q = 0; q < V; ++q) {
            sums[q] = sums[q] + OPM_LOAD4(row + g.column[q]) * v4;
        }
        for (int q = 0; q < S; ++q) {
            single[q] = single[q] + s[q].rows[i][s[q].column] * vi;
        }
    }
    const Double4 b4 = OPM_BROADCAST4(b);
    for (int q = 0; q < V; ++q) {
        sums[q] = sums[q] * b4;
    }
    for (int q = 0; q < S; ++q) {
        single[q] = single[q] * b;
    }
    // The groups of a row are updated in order, so a lane kept by the last group is stored
    // back with the value its own group has just written.
    const auto update = [&](long i, double u) __attribute__((always_inline)) {
        const Double4 u4 = OPM_BROADCAST4(u);
        double* const row = V > 0 ? g.rows[i] : nullptr;
        for (int q = 0; q + 1 < V; ++q) {
            double* const c = row + g.column[q];
            OPM_STORE4(c, OPM_LOAD4(c) + sums[q] * u4);
        }
        if (V > 0) {
            double* const c = row + g.column[V - 1];
            const Double4 old = OPM_LOAD4(c);
            OPM_STORE4(c, g.keep ? old : old + sums[V - 1] * u4);
        }
        for (int q = 0; q < S; ++q) {
            double& c = s[q].rows[i][s[q].column];
            c = c + single[q] * u;
        }
    };
    update(p, up);
    for (long i = l; i <= m; ++i) {
        update(i, v[i]);
    }
}

// Calls use(std::integral_constant<int, N>) for N = count, 0 <= count <= 4, so that a count
// known only at run time selects a kernel compiled for it.
template <class Use> __attribute__((always_inline)) inline void WithCount(int count, Use use) {
    switch (count) {
    case 0:
        use(std::integral_constant<int, 0>());
        break;
    case 1:
        use(std::integral_constant<int, 1>());
        break;
    case 2:
        use(std::integral_constant<int, 2>());
        break;
    case 3:
        use(std::integral_constant<int, 3>());
        break;
    default:
        use(std::integral_constant<int, 4>());
        break;
    }
}

OPM_SIMD_CLONES void ReflectPass(int groups, int singles, const Groups& g, const Single* s,
                                 const double* v, double up, double b, long m, long p, long l) {
    WithCount(
        groups, [&](auto V) __attribute__((always_inline)) {
            WithCount(
                singles, [&](auto S) __attribute__((always_inline)) {
                    Reflect<decltype(V)::value, decltype(S)::value>(g, s, v, up, b, m, p, l);
                });
        });
}

// A run of fewer than four columns starting too close to column 1 for a group that ends on
// its last column is reflected column by column.
bool SinglesOnly(ColumnRun run) {
    return run.count < 4 && run.column + run.count - 4 < 1;
}

// The reflection of every column of the runs: the groups of each run, four per pass, from its
// first column, the last ending on its last column (overlapping the columns before), and the
// singles of short runs, four per pass, in the first passes that have room.
class RunReflector {
public:
    RunReflector(const double* v, double up, double b, long m, long p, long l)
        : v_(v), up_(up), b_(b), m_(m), p_(p), l_(l) {}

    void AddSingles(ColumnRun run) {
        for (long q = 0; SinglesOnly(run) && q < run.count; ++q) {
            singles_[singleCount_++] = {run.rows, run.column + q};
        }
    }

    void ReflectGroups(ColumnRun run) {
        if (run.count == 0 || SinglesOnly(run)) {
            return;
        }
        Groups g{run.rows, {}, {0, 0, 0, 0}};
        int count = 0;
        for (long offset = 0; offset < run.count; offset += 4) {
            const long start = offset + 4 <= run.count ? offset : run.count - 4;
            g.column[count] = run.column + start;
            for (int lane = 0; lane < 4; ++lane) {
                g.keep[lane] = start + lane < offset ? -1 : 0;
            }
            if (++count == kGroupsPerPass || offset + 4 >= run.count) {
                Pass(count, g);
                count = 0;
            }
        }
    }

    void ReflectRemainingSingles() {
        while (singlesDone_ < singleCount_) {
            Pass(0, Groups{nullptr, {}, {0, 0, 0, 0}});
        }
    }

private:
    void Pass(int groups, const Groups& g) {
        const int singles = std::min(kSinglesPerPass, singleCount_ - singlesDone_);
        ReflectPass(groups, singles, g, singles_ + singlesDone_, v_, up_, b_, m_, p_, l_);
        singlesDone_ += singles;
    }

    const double* v_;
    double up_, b_;
    long m_, p_, l_;
    Single singles_[6];
    int singleCount_ = 0;
    int singlesDone_ = 0;
};

OPM_SIMD_CLONES double SegmentScaleKernel(const double* v, long m, long p, long l) {
    const double seed = std::fabs(v[p]);
    Double4 largest = OPM_BROADCAST4(seed);
    long j = l;
    for (; j + 3 <= m; j += 4) {
        Double4 x = OPM_LOAD4(v + j);
        Magnitude4(x);
        largest = x > largest ? x : largest;
    }
    double scale = LargestOf(largest, seed);
    for (; j <= m; ++j) {
        scale = std::fabs(v[j]) > scale ? std::fabs(v[j]) : scale;
    }
    return scale;
}

OPM_SIMD_CLONES double CopyColumnWithScaleKernel(double* const* a, long column, long first,
                                                 long last, double* u) {
    u[first] = a[first][column];
    const double seed = std::fabs(u[first]);
    Double4 largest = OPM_BROADCAST4(seed);
    long i = first + 1;
    for (; i + 3 <= last; i += 4) {
        const Double4 x = {a[i][column], a[i + 1][column], a[i + 2][column], a[i + 3][column]};
        OPM_STORE4(u + i, x);
        Double4 magnitude = x;
        Magnitude4(magnitude);
        largest = magnitude > largest ? magnitude : largest;
    }
    double scale = LargestOf(largest, seed);
    for (; i <= last; ++i) {
        u[i] = a[i][column];
        scale = std::fabs(u[i]) > scale ? std::fabs(u[i]) : scale;
    }
    return scale;
}

} // namespace

// The vector kernels have internal linkage: a load-time dispatcher of external linkage would be
// exported from the library.
double SegmentScale(const double* v, long m, long p, long l) {
    return SegmentScaleKernel(v, m, p, l);
}

double CopyColumnWithScale(double* const* a, long column, long first, long last, double* u) {
    return CopyColumnWithScaleKernel(a, column, first, last, u);
}

bool ReflectionFromScale(const double* v, double scale, double& up, double& b, long m, long p,
                         long l) {
    // Only an all-zero segment is refused; a NaN pivot gives a NaN scale and goes on.
    if (scale == 0.0) {
        return false;
    }
    // The sum of squares is formed from the elements over their largest magnitude, so that it
    // neither overflows nor underflows before the square root.
    const double inv = 1.0 / scale;
    double sum = (v[p] * inv) * (v[p] * inv);
    for (long j = l; j <= m; ++j) {
        sum = sum + (v[j] * inv) * (v[j] * inv);
    }
    double s = scale * std::sqrt(sum);
    // s takes the sign opposite to the pivot, so that up = v[p] - s suffers no cancellation.
    if (v[p] > 0.0) {
        s = -s;
    }
    up = v[p] - s;
    b = 1.0 / (s * up);
    return true;
}

void ReflectVector(const double* v, double up, double b, long m, long p, long l, double* c) {
    double sum = c[p] * up;
    for (long i = l; i <= m; ++i) {
        sum = sum + c[i] * v[i];
    }
    const double factor = sum * b;
    c[p] = c[p] + factor * up;
    for (long i = l; i <= m; ++i) {
        c[i] = c[i] + factor * v[i];
    }
}

void ReflectColumnRuns(const double* v, double up, double b, long m, long p, long l,
                       ColumnRun first, ColumnRun second) {
    RunReflector reflector(v, up, b, m, p, l);
    reflector.AddSingles(first);
    reflector.AddSingles(second);
    reflector.ReflectGroups(first);
    reflector.ReflectGroups(second);
    reflector.ReflectRemainingSingles();
}

namespace {

// Row element j = p, l..n becomes c + factor * u. The elements after the whole vectors from l
// are updated by one vector ending on n, whose lanes marked in `keep` (updated already, or
// before l) are stored back unchanged; rows shorter than four take them one by one.
__attribute__((always_inline)) inline void UpdateRow(double* row, double factor, const double* v,
                                                     double up, long n, long p, long l,
                                                     const Mask4& keep) {
    row[p] = row[p] + factor * up;
    const Double4 factor4 = OPM_BROADCAST4(factor);
    long j = l;
    for (; j + 3 <= n; j += 4) {
        OPM_STORE4(row + j, OPM_LOAD4(row + j) + factor4 * OPM_LOAD4(v + j));
    }
    if (j > n) {
        return;
    }
    if (n >= 4) {
        const Double4 old = OPM_LOAD4(row + n - 3);
        OPM_STORE4(row + n - 3, keep ? old : old + factor4 * OPM_LOAD4(v + n - 3));
        return;
    }
    for (; j <= n; ++j) {
        row[j] = row[j] + factor * v[j];
    }
}

OPM_SIMD_CLONES void ReflectRowsKernel(double* const* a, long firstRow, long lastRow,
                                       const double* v, double up, double b, long n, long p,
                                       long l) {
    const Double4 up4 = OPM_BROADCAST4(up);
    const Double4 b4 = OPM_BROADCAST4(b);
    const long rest = (n - l + 1) % 4; // elements after the whole vectors
    const Mask4 keep = {rest < 4 ? -1 : 0, rest < 3 ? -1 : 0, rest < 2 ? -1 : 0, 0};
    long r = firstRow;
    // Four rows side by side: their sums in the lanes of one vector.
    for (; r + 3 <= lastRow; r += 4) {
        double* const r0 = a[r];
        double* const r1 = a[r + 1];
        double* const r2 = a[r + 2];
        double* const r3 = a[r + 3];
        Double4 sums = Double4{r0[p], r1[p], r2[p], r3[p]} * up4;
        for (long j = l; j <= n; ++j) {
            sums = sums + Double4{r0[j], r1[j], r2[j], r3[j]} * OPM_BROADCAST4(v[j]);
        }
        const Double4 factors = sums * b4;
        UpdateRow(r0, factors[0], v, up, n, p, l, keep);
        UpdateRow(r1, factors[1], v, up, n, p, l, keep);
        UpdateRow(r2, factors[2], v, up, n, p, l, keep);
        UpdateRow(r3, factors[3], v, up, n, p, l, keep);
    }
    for (; r <= lastRow; ++r) {
        double* const row = a[r];
        double sum = row[p] * up;
        for (long j = l; j <= n; ++j) {
            sum = sum + row[j] * v[j];
        }
        UpdateRow(row, sum * b, v, up, n, p, l, keep);
    }
}

} // namespace

void ReflectRows(double* const* a, long firstRow, long lastRow, const double* v, double up,
                 double b, long n, long p, long l) {
    ReflectRowsKernel(a, firstRow, lastRow, v, up, b, n, p, l);
}

} // namespace opm::detail
