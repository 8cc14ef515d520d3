// Sequential QR reduction of a tall least-squares system, read one row at a time.
#pragma once

#include <vector>

namespace torvik {

// Reduces the rows of [A | B] (n columns of A, nb of B) to an equivalent small system with at
// most n + block rows: the rows are gathered into a buffer, and whenever it is full a Householder
// QR (LAPACK dgeqrf) turns it into its triangle, whose first n rows are kept. Every step applies
// an orthogonal transformation to the rows, so the reduced system has exactly the least-squares
// solutions of the original one, and the work storage does not grow with the row count.
//
// The columns of A are divided by 2^exponent[j] as the rows arrive (exact: powers of two).
class ReducedSystem {
public:
    ReducedSystem(int n, int nb, const std::vector<int>& exponents);

    void AddRow(const double* aRow, const double* bRow);

    int Rows() const { return rows_; }
    int LeadingDimension() const { return ld_; }
    // Column-major, LeadingDimension() rows: the n columns of A, then the nb columns of B.
    double* Data() { return buffer_.data(); }

private:
    void Compress();
    double* Element(int row, int column) {
        return buffer_.data() + std::size_t(column) * std::size_t(ld_) + std::size_t(row);
    }

    int n_;
    int nb_;
    int ld_;
    int rows_ = 0;
    std::vector<int> exponents_;
    std::vector<double> factors_; // 2^-exponent, or 0 where that is not a normal number
    std::vector<double> buffer_;
    std::vector<double> tau_;
    std::vector<double> work_;
};

} // namespace torvik
