// Bit identity of Polynomial and Equation: each operation's results over seeded polynomials of
// degree 0 to 6 (real, complex, repeated roots; tiny, zero, huge, NaN, inf terms) hash as recorded.
#include "OstraPureMath/Equation.h"
#include "OstraPureMath/Polynomial.h"
#include "PolynomialSolvers.h"
#include "support/BitIdentity.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

using identity::Hash;
using identity::Operation;

// The seeded polynomials, each with a label.
struct Case {
    std::string label;
    std::vector<double> coefs;
};

std::vector<Case> Polynomials() {
    identity::Seeded rng(21);
    std::vector<Case> cases = {{"empty", {}},
                               {"documented-cubic", {-6, 11, -6, 1}},
                               {"triple-root", {-8, 12, -6, 1}},
                               {"zero-leading", {1, -3, 2, 0}},
                               {"nan", {1, identity::QuietNaN(), 2}},
                               {"inf", {1, 2, identity::kInf, 1}},
                               {"tiny-leading5", {1, 2, -3, 0.5, 1, 1e-37}},
                               {"tiny-leading4", {1, 2, -3, 1, 1e-30, 1e-38}}};
    for (int degree = 0; degree <= 6; ++degree) {
        for (int variant = 0; variant < 6; ++variant) {
            std::vector<double> coefs{rng.Uniform(0.5, 2.0) * (variant % 2 ? -1.0 : 1.0)};
            int k = 0;
            if (variant == 1 || variant == 4) { // complex pairs s +- it
                for (; k + 2 <= degree; k += 2) {
                    const double s = rng.Uniform(-5.0, 5.0), t = rng.Uniform(0.5, 3.0);
                    Multiply(coefs, {s * s + t * t, -2.0 * s, 1.0});
                }
            }
            const double repeated = rng.Uniform(-5.0, 5.0);
            for (; k < degree; ++k) {
                Multiply(coefs, {-(variant == 2 ? repeated : rng.Uniform(-5.0, 5.0)), 1.0});
            }
            if (variant == 3) {
                std::for_each(coefs.begin(), coefs.end(), [](double& c) { c *= 1e150; });
            } else if (variant == 5) {
                std::for_each(coefs.begin(), coefs.end(), [&](double& c) { c = rng.Nasty(); });
            }
            cases.push_back(
                {"deg" + std::to_string(degree) + "/" + std::to_string(variant), coefs});
        }
    }
    return cases;
}

const double kAbscissae[] = {0.0, -0.0, 1.0, -2.5, 3.75, 1e-300, 1e300, -identity::kInf};

template <class Each> void ForEachPolynomial(Operation& op, Each each) {
    for (Case& c : Polynomials()) {
        Hash h;
        each(c.coefs, h);
        op.Record(c.label, h);
    }
}

void GetY(Operation& op) {
    ForEachPolynomial(op, [](std::vector<double>& coefs, Hash& h) {
        Polynomial p(coefs);
        for (const double x : kAbscissae) {
            h.Add(p.GetY(x));
        }
        h.Add(p.GetY(identity::QuietNaN()));
    });
}

void GetFirstDer(Operation& op) {
    ForEachPolynomial(
        op, [](std::vector<double>& coefs, Hash& h) { h.Add(Polynomial(coefs).GetFirstDer()); });
}

void Solve(Operation& op) {
    ForEachPolynomial(op, [](std::vector<double>& coefs, Hash& h) {
        Polynomial p(coefs);
        std::vector<double> roots{9.0};
        for (const double y : {0.0, 1.5, -2.0}) {
            p.Solve(y, roots);
            h.Add(roots);
        }
    });
}

void GetExtremaX(Operation& op) {
    ForEachPolynomial(op, [](std::vector<double>& coefs, Hash& h) {
        std::vector<double> extrema{9.0};
        Polynomial(coefs).GetExtremaX(extrema);
        h.Add(extrema);
    });
}

// The protected closed forms on the first 2, 3, 4 and 5 coefficients (padded with ones).
void ClosedForms(Operation& op) {
    ForEachPolynomial(op, [](std::vector<double>& coefs, Hash& h) {
        coefs.resize(std::max<std::size_t>(coefs.size(), 5), 1.0);
        Solvers solvers(coefs);
        std::vector<double> roots;
        h.Add(solvers.SolveLinear(coefs));
        for (const auto solve :
             {&Solvers::SolveQuadratic, &Solvers::SolveCubic, &Solvers::SolveQuartic}) {
            (solvers.*solve)(coefs, roots);
            h.Add(roots);
        }
    });
}

void EquationPolynomial(Operation& op) {
    ForEachPolynomial(op, [](std::vector<double>& coefs, Hash& h) {
        const unsigned degree = coefs.empty() ? 0x80000000u : unsigned(coefs.size() - 1);
        for (const double x : kAbscissae) {
            h.Add(Equation::Polynomial(&x, coefs.empty() ? nullptr : coefs.data(), degree));
        }
    });
}

void Bisection(Operation& op) {
    const double brackets[][2] = {
        {-3.0, 3.0},          {3.0, -3.0}, {0.0, 2.0}, {-6.0, 0.5}, {4194304.0, 4194305.0},
        {0.0, identity::kInf}};
    ForEachPolynomial(op, [&](std::vector<double>& coefs, Hash& h) {
        if (coefs.empty()) {
            return;
        }
        const unsigned degree = unsigned(coefs.size() - 1);
        for (const auto& bracket : brackets) {
            for (const double y : {0.0, 1.5, identity::QuietNaN()}) {
                h.Add(Equation::PolynomialBiSectionSolution(&y, &bracket[0], &bracket[1],
                                                            coefs.data(), degree));
            }
        }
    });
}

const identity::Recorded kRecorded[] = {
    {"Polynomial::GetY", 0xe4bc97bb1076de62, GetY},
    {"Polynomial::GetFirstDer", 0x6dae8ad319999e5e, GetFirstDer},
    {"Polynomial::Solve", 0xeab7ff261c46824c, Solve},
    {"Polynomial::GetExtremaX", 0x095630c9a676214d, GetExtremaX, true},
    {"Polynomial::ClosedForms", 0xa33f48eabacf0d3d, ClosedForms, true},
    {"Equation::Polynomial", 0xf542a980d961a08c, EquationPolynomial},
    {"Equation::PolynomialBiSectionSolution", 0x386c232722a73033, Bisection},
};

TEST(PolynomialBitIdentity, EveryOperationKeepsItsRecordedBits) {
    identity::ExpectRecordedHashes(kRecorded);
}

} // namespace
