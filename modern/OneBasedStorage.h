// Copies of 0-based inputs in the layout the exact routines address: vectors from index 1 and
// row-pointer matrices from (1, 1), each with an unused element in front of its block (as
// Matrix::dVector and Matrix::dMatrix make them), so no pointer before an array is ever formed.
#pragma once

#include "OstraPureMath/opm/LinearAlgebra.h"
#include "OstraPureMath/opm/Span.h"

#include <cstddef>
#include <vector>

namespace opm::detail {

class OneBasedVector {
public:
    // n zeros, elements 1..n.
    explicit OneBasedVector(std::size_t n) : m_elements(n + 1) {}
    // A copy of values in elements 1..values.size().
    explicit OneBasedVector(Span<const double> values);

    // The vector as the exact routines take it: get()[1] is the first element.
    double* get() noexcept { return m_elements.data(); }
    // Elements 1..count as a 0-based vector.
    std::vector<double> ToVector(std::size_t count) const;
    std::vector<double> ToVector() const { return ToVector(m_elements.size() - 1); }

private:
    std::vector<double> m_elements;
};

class OneBasedMatrix {
public:
    // rows x cols zeros, elements [1..rows][1..cols].
    OneBasedMatrix(std::size_t rows, std::size_t cols);
    // A copy of a row-major matrix.
    explicit OneBasedMatrix(MatrixView source);
    // The row pointers point into this object's own block: it is neither copied nor moved.
    OneBasedMatrix(const OneBasedMatrix&) = delete;
    OneBasedMatrix& operator=(const OneBasedMatrix&) = delete;

    // The matrix as the exact routines take it: rows()[i][j], i = 1..rows, j = 1..cols.
    double** rows() noexcept { return m_rows.data(); }
    // The leading rows x cols block as a 0-based row-major matrix.
    DenseMatrix ToDense(std::size_t rows, std::size_t cols) const;
    DenseMatrix ToDense() const { return ToDense(m_rowCount, m_colCount); }

private:
    std::size_t m_rowCount;
    std::size_t m_colCount;
    std::vector<double> m_elements; // element 0 unused, then the rows one after the other
    std::vector<double*> m_rows;    // entry 0 unused
};

} // namespace opm::detail
