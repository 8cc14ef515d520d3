// Polynomial: one real polynomial in one variable, its value, derivative, real roots of
// P(x) = y up to degree four and the abscissae of its extrema up to degree five.
#pragma once

#include "OstraPureMath/Export.h"

#include <vector>

class OPM_API Polynomial {
public:
    explicit Polynomial(std::vector<double>& coefficients);
    Polynomial(const Polynomial& other);
    ~Polynomial();
    Polynomial& operator=(const Polynomial& other);
    Polynomial& operator=(const std::vector<double>& coefficients);

    double GetY(double x);
    std::vector<double> GetFirstDer();
    void Solve(double y, std::vector<double>& roots);
    void GetExtremaX(std::vector<double>& extremaX);

protected:
    double SolveLinear(std::vector<double>& coefs);
    void SolveQuadratic(const std::vector<double>& coefs, std::vector<double>& roots);
    void SolveCubic(const std::vector<double>& coefs, std::vector<double>& roots);
    void SolveQuartic(const std::vector<double>& coefs, std::vector<double>& roots);

private:
    std::vector<double> m_coefficients;
};
