// Power-of-two scaling of the least-squares system, recognition of polynomial designs, and the
// residuals of the original system in extended precision.
#include "torvik/ScaledSystem.h"
#include "torvik/ExtendedPrecision.h"

#include <algorithm>
#include <cmath>

namespace torvik {

namespace {

// Largest magnitude of rows[i][column], i = 0..m-1, and a sum of value * 0, which stays 0 unless
// some value is a NaN or an infinity.
double LargestMagnitude(const double* const* rows, int m, int column, double& nonFinite) {
    double largest = 0.0;
    for (int i = 0; i < m; ++i) {
        const double value = rows[i][column];
        largest = std::max(largest, std::fabs(value));
        nonFinite += value * 0.0;
    }
    return largest;
}

// Row i of the scaled A as the caller holds it, entry by entry in the extended type, for j from
// n-1 down to 0 (the order in which a polynomial design's powers grow).
template <class E> struct GeneralRow {
    const double* row;
    const double* reciprocals;
    E Entry(int j) const { return E(row[j] * reciprocals[j]); }
    void Next() {}
};

// Row i of a polynomial design: the powers of the scaled abscissa s = t / 2^e(n-2) in the
// extended type, the power for column j multiplied by 2^((n-1-j) e(n-2) - e(j)), which puts it in
// the scale of that column. The powers of s stay within the range of double whatever t is.
template <class E> struct PolynomialRow {
    const double* factors;
    double s;
    E power = E(1.0);
    E Entry(int j) const { return TimesPowerOfTwo(power, factors[j]); }
    void Next() { power = power * s; }
};

// The entries of the row, j = n-1 down to 0, into entries; then b(i) - A(i, :) y.
template <class E, class Row>
E RowResidual(Row row, int n, double bi, const double* y, E* entries) {
    E sum = E(bi);
    for (int j = n - 1; j >= 0; --j) {
        entries[j] = row.Entry(j);
        Accumulate(sum, -(entries[j] * y[j]));
        row.Next();
    }
    return sum;
}

// transposed(j) += entries(j) * weight for every j.
template <class E, class Weight>
void AddTimes(const E* entries, int n, Weight weight, E* transposed) {
    for (int j = 0; j < n; ++j) {
        Accumulate(transposed[j], entries[j] * weight);
    }
}

} // namespace

ScaledSystem::ScaledSystem(int m, int n, const double* const* a, const double* const* b, int nb)
    : m_(m), n_(n), a_(a), b_(b) {
    double nonFinite = 0.0;
    for (int j = 0; j < n; ++j) {
        columns_.emplace_back(LargestMagnitude(a, m, j, nonFinite));
        reciprocals_.push_back(columns_.back().reciprocal);
    }
    for (int c = 0; c < nb; ++c) {
        rightHandSides_.emplace_back(LargestMagnitude(b, m, c, nonFinite));
    }
    finite_ = nonFinite == 0.0;
    if (finite_ && n >= 3) { // [t, 1] and [1] hold no rounded power
        for (int j = 0; j < n; ++j) {
            // In long long, limited to what ldexp can still turn into 0 or infinity.
            const long long power = n - 1 - j;
            const long long shift = power * ColumnExponent(n - 2) - ColumnExponent(j);
            const long long limited = std::max(-4096LL, std::min(4096LL, shift));
            powerFactors_.push_back(std::ldexp(1.0, int(limited)));
        }
        polynomial_ = PowersOfOneColumn();
    }
}

void ScaledSystem::CopyRows(int first, int count, double* columns, int ld, int nb) const {
    for (int j = 0; j < n_ + nb; ++j) {
        const bool ofA = j < n_;
        const double reciprocal =
            ofA ? reciprocals_[std::size_t(j)] : rightHandSides_[std::size_t(j - n_)].reciprocal;
        const double* const* rows = ofA ? a_ + first : b_ + first;
        const int column = ofA ? j : j - n_;
        double* destination = columns + ColumnMajor(0, j, ld);
        for (int i = 0; i < count; ++i) {
            destination[i] = rows[i][column] * reciprocal;
        }
    }
}

Doubles ScaledSystem::ColumnMajorA() const {
    Doubles copy = UninitialisedDoubles(std::size_t(m_) * std::size_t(n_));
    for (int j = 0; j < n_; ++j) {
        double* column = copy.get() + ColumnMajor(0, j, m_);
        for (int i = 0; i < m_; ++i) {
            column[i] = A(i, j);
        }
    }
    return copy;
}

// Descending powers of column n-2 with the constant column last, each scaled entry within 2^-48
// of its magnitude (16 units in the last place) of the power computed in extended precision.
bool ScaledSystem::PowersOfOneColumn() const {
    constexpr double kTolerance = 0x1p-48;
    for (int i = 0; i < m_; ++i) {
        if (a_[i][n_ - 1] != 1.0) {
            return false;
        }
        PolynomialRow<Extended> row{powerFactors_.data(), A(i, n_ - 2)};
        row.Next(); // columns n-1 and n-2 hold 1 and t themselves
        for (int j = n_ - 3; j >= 0; --j) {
            row.Next();
            const double exact = Rounded(row.Entry(j));
            if (!(std::fabs(A(i, j) - exact) <= kTolerance * std::fabs(exact))) {
                return false;
            }
        }
    }
    return true;
}

// Calls visit(i, row) for every row, with row the general or the polynomial view of it.
template <class E, class Visit> void ScaledSystem::ForEachRow(Visit visit) const {
    for (int i = 0; i < m_; ++i) {
        if (polynomial_) {
            visit(i, PolynomialRow<E>{powerFactors_.data(), A(i, n_ - 2)});
        } else {
            visit(i, GeneralRow<E>{a_[i], reciprocals_.data()});
        }
    }
}

template <class E>
void ScaledSystem::Residuals(int c, const double* y, bool formR, double* r, double* f,
                             double* g) const {
    const std::size_t columns = static_cast<std::size_t>(n_);
    std::vector<E> transposed(columns, E(0.0)), entries(columns);
    ForEachRow<E>([&](int i, auto row) {
        const E sum = RowResidual<E>(row, n_, B(i, c), y, entries.data());
        if (formR) {
            r[i] = Rounded(sum);
        }
        f[i] = Rounded(sum - E(r[i]));
        AddTimes<E>(entries.data(), n_, -r[i], transposed.data());
    });
    for (int j = 0; j < n_; ++j) {
        g[j] = Rounded(transposed[std::size_t(j)]);
    }
}

template <class E> void ScaledSystem::NormalResidual(int c, const double* y, double* s) const {
    const std::size_t columns = static_cast<std::size_t>(n_);
    std::vector<E> transposed(columns, E(0.0)), entries(columns);
    ForEachRow<E>([&](int i, auto row) {
        const E residual = RowResidual<E>(row, n_, B(i, c), y, entries.data());
        AddTimes<E>(entries.data(), n_, residual, transposed.data());
    });
    for (int j = 0; j < n_; ++j) {
        s[j] = Rounded(transposed[std::size_t(j)]);
    }
}

// Both kernels are always compiled: long double serves well-conditioned systems where it is
// wider than double, double-double the others and every system elsewhere.
template void ScaledSystem::Residuals<long double>(int, const double*, bool, double*, double*,
                                                   double*) const;
template void ScaledSystem::Residuals<DoubleDouble>(int, const double*, bool, double*, double*,
                                                    double*) const;
template void ScaledSystem::NormalResidual<long double>(int, const double*, double*) const;
template void ScaledSystem::NormalResidual<DoubleDouble>(int, const double*, double*) const;

} // namespace torvik
