// 1-based copies of 0-based inputs for the exact routines.
#include "modern/OneBasedStorage.h"

#include <algorithm>

namespace opm::detail {

OneBasedVector::OneBasedVector(Span<const double> values) : m_elements(values.size() + 1) {
    std::copy(values.begin(), values.end(), m_elements.begin() + 1);
}

std::vector<double> OneBasedVector::ToVector(std::size_t count) const {
    return std::vector<double>(m_elements.begin() + 1, m_elements.begin() + 1 + count);
}

OneBasedMatrix::OneBasedMatrix(std::size_t rows, std::size_t cols)
    : m_rowCount(rows), m_colCount(cols), m_elements(rows * cols + 1), m_rows(rows + 1) {
    for (std::size_t i = 1; i <= rows; ++i) {
        m_rows[i] = m_elements.data() + (i - 1) * cols;
    }
}

OneBasedMatrix::OneBasedMatrix(MatrixView source) : OneBasedMatrix(source.rows(), source.cols()) {
    std::copy(source.data(), source.data() + m_rowCount * m_colCount, m_elements.begin() + 1);
}

DenseMatrix OneBasedMatrix::ToDense(std::size_t rows, std::size_t cols) const {
    DenseMatrix result(rows, cols);
    for (std::size_t i = 0; i < rows; ++i) {
        const double* row = m_rows[i + 1] + 1;
        std::copy(row, row + cols, result.data() + i * cols);
    }
    return result;
}

} // namespace opm::detail
