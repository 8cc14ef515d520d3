// Selection of the k-th smallest element by partitioning around a median-of-three pivot
// (Hoare's FIND in the form of Numerical Recipes' select, with the pivot kept in a[l]).
#include "statistics/StatisticsInternal.h"

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

double KthSmallest(const DoubleArray& values, INT_PTR k) {
    DoubleArray copy;
    copy.Copy(values);
    double* a = copy.GetData();
    INT_PTR l = 0;
    INT_PTR ir = copy.GetSize() - 1;
    while (ir > l + 1) {
        MedianOfThreeToFront(a, l, ir);
        INT_PTR i = 0;
        INT_PTR j = 0;
        PartitionAroundFront(a, l, ir, i, j);
        if (j >= k) {
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

} // namespace Statistics
