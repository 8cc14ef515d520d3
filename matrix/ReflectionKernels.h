// Householder reflections (Lawson and Hanson's H12) applied to many vectors of a row-pointer
// matrix at once: to runs of adjacent columns, whose elements lie side by side in each row, and
// to rows. Every vector's factor is its own sum in the documented order, c(p) * up first, then
// c(i) * v[i] for i = l..m ascending, times b; every element then becomes c + factor * u. The
// kernels only change which independent sums run side by side (in vector registers where the
// processor has them), so every result has the bits of HouseHolderTransformVector applied to
// each vector in turn. The construction of a reflection is here too, split so that finding the
// scale can share a pass with copying the vector.
#pragma once

namespace opm::detail {

// The scale of the segment (v[p], v[l..m]): its largest magnitude, |v[p]| when that is NaN.
double SegmentScale(const double* v, long m, long p, long l);

// u[i] = a[i][column] for i = first..last, and the scale of that segment with pivot first.
double CopyColumnWithScale(double* const* a, long column, long first, long last, double* u);

// The reflection of the segment from its scale, as HouseHolderTransform documents; false, with
// up and b untouched, for a zero scale.
bool ReflectionFromScale(const double* v, double scale, double& up, double& b, long m, long p,
                         long l);

// Reflects the one 1-based vector c (its elements p and l..m).
void ReflectVector(const double* v, double up, double b, long m, long p, long l, double* c);

// Columns column..column + count - 1 of rows[...] as vectors to reflect, count >= 0.
struct ColumnRun {
    double* const* rows;
    long column;
    long count;
};

// Reflects every column of both runs (their rows p, l..m) by the reflection (v, up, b).
void ReflectColumnRuns(const double* v, double up, double b, long m, long p, long l,
                       ColumnRun first, ColumnRun second);

// Reflects rows firstRow..lastRow of a, each as the vector (a[r][p], a[r][l..n]).
void ReflectRows(double* const* a, long firstRow, long lastRow, const double* v, double up,
                 double b, long n, long p, long l);

} // namespace opm::detail
