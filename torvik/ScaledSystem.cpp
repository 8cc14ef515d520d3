// Power-of-two scaling of the least-squares system, recognition of polynomial designs, and the
// residuals of the original system in extended precision.
#include "torvik/ScaledSystem.h"
#include "torvik/ExtendedPrecision.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace torvik {

namespace {

// Largest magnitude of each column of rows (m rows of count values) into largest; false when
// some value is a NaN or an infinity. Four interleaved maxima per column, so that no chain of
// comparisons holds the processor up.
bool LargestMagnitudes(const double* const* rows, int m, int count, double* largest) {
    bool notANumber = false;
    for (int j = 0; j < count; ++j) {
        double partial[4] = {0.0, 0.0, 0.0, 0.0};
        for (int i = 0; i < m; ++i) {
            const double magnitude = std::fabs(rows[i][j]);
            notANumber |= magnitude != magnitude;
            partial[i % 4] = std::max(partial[i % 4], magnitude);
        }
        largest[j] = std::max(std::max(partial[0], partial[1]), std::max(partial[2], partial[3]));
        if (!(largest[j] <= DBL_MAX)) {
            return false;
        }
    }
    return !notANumber;
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

// transposed += A(i, :)^T r(i) + A(k, :)^T r(k) with r = b - A y, for two rows i and k: the two
// rows' chains are independent, so the processor overlaps them, and each accumulator is updated
// once for both. The entries are formed again
// for the second sweep rather than stored, which costs less than storing extended values.
template <class E, class Row>
void AddRowPair(Row first, Row second, int n, double bi, double bk, const double* y,
                E* transposed) {
    Row a = first;
    Row b = second;
    E ri = E(bi);
    E rk = E(bk);
    for (int j = n - 1; j >= 0; --j) {
        Accumulate(ri, -(a.Entry(j) * y[j]));
        Accumulate(rk, -(b.Entry(j) * y[j]));
        a.Next();
        b.Next();
    }
    for (int j = n - 1; j >= 0; --j) {
        Accumulate(transposed[j], first.Entry(j) * ri + second.Entry(j) * rk);
        first.Next();
        second.Next();
    }
}

} // namespace

ScaledSystem::ScaledSystem(int m, int n, const double* const* a, const double* const* b, int nb)
    : m_(m), n_(n), a_(a), b_(b) {
    std::vector<double> largestA(std::size_t(n), 0.0), largestB(std::size_t(nb), 0.0);
    finite_ =
        LargestMagnitudes(a, m, n, largestA.data()) && LargestMagnitudes(b, m, nb, largestB.data());
    for (const double largest : largestA) {
        columns_.emplace_back(largest);
        reciprocals_.push_back(columns_.back().reciprocal);
    }
    for (const double largest : largestB) {
        rightHandSides_.emplace_back(largest);
    }
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

// Calls visit(rowAt) with rowAt(i) the general or the polynomial view of row i.
template <class E, class Visit> void ScaledSystem::WithRows(Visit visit) const {
    if (polynomial_) {
        visit([this](int i) { return PolynomialRow<E>{powerFactors_.data(), A(i, n_ - 2)}; });
    } else {
        visit([this](int i) { return GeneralRow<E>{a_[i], reciprocals_.data()}; });
    }
}

template <class E>
void ScaledSystem::Residuals(int c, const double* y, bool formR, double* r, double* f,
                             double* g) const {
    const std::size_t columns = static_cast<std::size_t>(n_);
    std::vector<E> transposed(columns, E(0.0)), entries(columns);
    WithRows<E>([&](auto rowAt) {
        for (int i = 0; i < m_; ++i) {
            const E sum = RowResidual<E>(rowAt(i), n_, B(i, c), y, entries.data());
            if (formR) {
                r[i] = Rounded(sum);
            }
            f[i] = Rounded(sum - E(r[i]));
            AddTimes<E>(entries.data(), n_, -r[i], transposed.data());
        }
    });
    for (int j = 0; j < n_; ++j) {
        g[j] = Rounded(transposed[std::size_t(j)]);
    }
}

template <class E> void ScaledSystem::NormalResidual(int c, const double* y, double* s) const {
    std::vector<E> transposed(static_cast<std::size_t>(n_), E(0.0));
    WithRows<E>([&](auto rowAt) {
        int i = 0;
        for (; i + 1 < m_; i += 2) {
            AddRowPair<E>(rowAt(i), rowAt(i + 1), n_, B(i, c), B(i + 1, c), y, transposed.data());
        }
        if (i < m_) { // the last row of an odd count
            std::vector<E> entries(static_cast<std::size_t>(n_));
            const E residual = RowResidual<E>(rowAt(i), n_, B(i, c), y, entries.data());
            AddTimes<E>(entries.data(), n_, residual, transposed.data());
        }
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
