// Selection of the k-th smallest element by partitioning around a median-of-three pivot
// (Hoare's FIND in the form of Numerical Recipes' select, with the pivot kept in a[l]), and
// Floyd and Rivest's SELECT, which first narrows the range around k by selecting in a sample.
#include "common/ThreadScratch.h"
#include "statistics/StatisticsInternal.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace Statistics {

namespace {

// Orders a[l+1] <= a[l] <= a[ir] for the three samples a[l], a[(l+ir)/2], a[ir]; the middle one,
// now in a[l], is the pivot, and a[l+1] and a[ir] bound the two partition scans.
void MedianOfThreeToFront(double* a, INT_PTR l, INT_PTR ir) {
    const INT_PTR mid = (l + ir) / 2;
    std::swap(a[mid], a[l + 1]);
    if (a[ir] < a[l + 1]) {
        std::swap(a[ir], a[l + 1]);
    }
    if (a[ir] < a[l]) {
        std::swap(a[ir], a[l]);
    }
    if (a[l] < a[l + 1]) {
        std::swap(a[l], a[l + 1]);
    }
}

// Partitions a[l+1..ir] around the pivot a[l] and moves the pivot to its final place, which is
// returned in j; i is the first index of the upper part.
void PartitionAroundFront(double* a, INT_PTR l, INT_PTR ir, INT_PTR& i, INT_PTR& j) {
    const double pivot = a[l];
    i = l + 1;
    j = ir;
    for (;;) {
        do {
            ++i;
        } while (a[i] < pivot);
        do {
            --j;
        } while (a[j] > pivot);
        if (j < i) {
            break;
        }
        std::swap(a[i], a[j]);
    }
    a[l] = a[j];
    a[j] = pivot;
}

} // namespace

double SelectInPlace(double* a, INT_PTR n, INT_PTR k) {
    INT_PTR l = 0;
    INT_PTR ir = n - 1;
    while (ir > l + 1) {
        MedianOfThreeToFront(a, l, ir);
        INT_PTR i = 0;
        INT_PTR j = 0;
        PartitionAroundFront(a, l, ir, i, j);
        if (j == k) {
            // The pivot has landed on k: later passes would only reorder a[l..k-1].
            return a[k];
        }
        if (j > k) {
            ir = j - 1;
        } else {
            l = i;
        }
    }
    if (ir == l + 1 && a[l] > a[ir]) {
        std::swap(a[l], a[ir]);
    }
    return a[k];
}

void SampledSelect(double* a, INT_PTR left, INT_PTR right, INT_PTR k) {
    // Ranges up to this size go to the standard library's median-of-three selection.
    constexpr INT_PTR kSampledRangeMin = 600;
    while (right - left > kSampledRangeMin) {
        // Bring bounds close around k by selecting in a sample of about n^(2/3) elements (the
        // sample sizes only steer the pivots; any choice gives the same k-th element).
        const double n = double(right - left + 1);
        const double i = double(k - left + 1);
        const double z = std::log(n);
        const double s = 0.5 * std::exp(2.0 * z / 3.0);
        const double sd = 0.5 * std::sqrt(z * s * (n - s) / n) * (i < n / 2 ? -1.0 : 1.0);
        const INT_PTR sampleLeft = std::max(left, INT_PTR(double(k) - i * s / n + sd));
        const INT_PTR sampleRight = std::min(right, INT_PTR(double(k) + (n - i) * s / n + sd));
        SampledSelect(a, sampleLeft, sampleRight, k);
        // Partition [left, right] around t = a[k], guarded by t at one end and a value >= t at
        // the other.
        const double t = a[k];
        INT_PTR lo = left;
        INT_PTR hi = right;
        std::swap(a[left], a[k]);
        if (a[right] > t) {
            std::swap(a[right], a[left]);
        }
        while (lo < hi) {
            std::swap(a[lo], a[hi]);
            ++lo;
            --hi;
            while (a[lo] < t) {
                ++lo;
            }
            while (a[hi] > t) {
                --hi;
            }
        }
        if (a[left] == t) {
            std::swap(a[left], a[hi]);
        } else {
            ++hi;
            std::swap(a[hi], a[right]);
        }
        // t is now at hi, with nothing larger before it and nothing smaller after it.
        if (hi == k) {
            return;
        }
        if (hi < k) {
            left = hi + 1;
        } else {
            right = hi - 1;
        }
    }
    if (right > left) {
        std::nth_element(a + left, a + k, a + right + 1);
    }
}

double KthSmallest(const DoubleArray& values, INT_PTR k) {
    const INT_PTR n = values.GetSize();
    const opm::detail::ScratchDoubles copy(static_cast<std::size_t>(n));
    std::copy(values.GetData(), values.GetData() + n, copy.data());
    return SelectInPlace(copy.data(), n, k);
}

} // namespace Statistics
