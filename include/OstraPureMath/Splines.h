// Splines: interpolating cubic splines over 1-based arrays.
#pragma once

#include "OstraPureMath/Export.h"

class OPM_API Splines {
public:
    Splines() = default;
    ~Splines() = default;
    Splines& operator=(const Splines&) { return *this; }

    bool CubicSplines(const double* x, const double* y, long endCondition, long n,
                      double* cubicCoef, double* quadCoef, double* linCoef,
                      double* secondDer) const;

    void CubicSplineIntegrate(double from, double to, long n, const double* x, const double* y,
                              const double* cubicCoef, const double* quadCoef,
                              const double* linCoef, double& area) const;

    void CubicSplineSolve(double target, double lo, double hi, long n, const double* x,
                          const double* y, const double* cubicCoef, const double* quadCoef,
                          const double* linCoef, double& root) const;

    bool CubicSplineMax(double a, double b, long n, const double* x, const double* y,
                        const double* cubicCoef, const double* quadCoef, const double* linCoef,
                        double& slope, double& xMax, double& yMax) const;

    void CubicSplineCentroid(double a, double b, long n, const double* x, const double* y,
                             const double* cubicCoef, const double* quadCoef,
                             const double* linCoef, double& area, double& xCentroid,
                             double& yCentroid) const;

private:
    friend class SplinesTestAccess;

    double CubicSplineEval(double X, long n, const double* x, const double* y,
                           const double* cubicCoef, const double* quadCoef,
                           const double* linCoef) const;
    double CubicSplineDer(double X, long n, const double* x, const double* cubicCoef,
                          const double* quadCoef, const double* linCoef) const;
};
