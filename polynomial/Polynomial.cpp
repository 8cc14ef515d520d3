// The Polynomial value object: construction, copying, assignment, evaluation by Horner's rule
// and the coefficient vector of the first derivative.
#include "OstraPureMath/Polynomial.h"
#include "polynomial/PolynomialNumerics.h"

#include <cstddef>

Polynomial::Polynomial(std::vector<double>& coefficients) : m_coefficients(coefficients) {}

Polynomial::Polynomial(const Polynomial& other) : m_coefficients(other.m_coefficients) {}

Polynomial::~Polynomial() = default;

Polynomial& Polynomial::operator=(const Polynomial& other) {
    m_coefficients = other.m_coefficients;
    return *this;
}

Polynomial& Polynomial::operator=(const std::vector<double>& coefficients) {
    m_coefficients = coefficients;
    return *this;
}

double Polynomial::GetY(double x) {
    double sum = 0.0;
    for (std::size_t i = m_coefficients.size(); i-- > 0;) {
        sum = sum * x + m_coefficients[i];
    }
    return sum;
}

std::vector<double> Polynomial::GetFirstDer() {
    std::vector<double> derivative;
    const std::size_t n = m_coefficients.size();
    if (n <= 1) {
        return derivative;
    }
    derivative.resize(n - 1);
    opm::detail::poly::Differentiate(m_coefficients.data(), n, derivative.data());
    return derivative;
}

void opm::detail::poly::Differentiate(const double* coefs, std::size_t n, double* derivative) {
    for (std::size_t i = 1; i < n; ++i) {
        derivative[i - 1] = double(i) * coefs[i];
    }
}
