// Consumer of the installed library: a row-pointer matrix product, a DoubleArray round trip
// through an archive, and a framework exception crossing from the library into the program.
// Prints what it computed and exits non-zero on any mismatch.
#include <OstraPureMath/DoubleArray.h>
#include <OstraPureMath/Matrix.h>

#include <cstdio>
#include <sstream>

namespace {

int failures = 0;

void Check(bool ok, const char* what) {
    std::printf("%-46s %s\n", what, ok ? "ok" : "FAILED");
    failures += ok ? 0 : 1;
}

} // namespace

int main() {
    const Matrix mat;
    // a = [1 2; 3 4; 5 6] (3 x 2); c = a^T a = [35 44; 44 56].
    double** a = mat.dMatrix(1, 3, 1, 2);
    double** c = mat.dMatrix(1, 2, 1, 2);
    for (long i = 1; i <= 3; ++i) {
        for (long j = 1; j <= 2; ++j) {
            a[i][j] = double(2 * (i - 1) + j);
        }
    }
    mat.MultiplyByATranspose(a, a, c, 2, 3, 2);
    std::printf("a^T a = [%g %g; %g %g]\n", c[1][1], c[1][2], c[2][1], c[2][2]);
    Check(c[1][1] == 35 && c[1][2] == 44 && c[2][1] == 44 && c[2][2] == 56,
          "Matrix::MultiplyByATranspose");
    mat.dMatrixFree(c, 1, 2, 1, 2);
    mat.dMatrixFree(a, 1, 3, 1, 2);

    DoubleArray samples;
    for (int i = 1; i <= 5; ++i) {
        samples.Add(0.5 * i);
    }
    std::stringbuf buffer;
    CArchive out(buffer, CArchive::store);
    samples.Serialize(out);
    DoubleArray back;
    CArchive in(buffer, CArchive::load);
    back.Serialize(in);
    Check(buffer.str().size() == 2 + 5 * 8 && back.GetSize() == 5 && back[4] == 2.5,
          "DoubleArray archive round trip");

    bool caught = false;
    try {
        mat.dVector(5, 3);
    } catch (const CMemoryException&) {
        caught = true;
    }
    Check(caught, "CMemoryException caught in the program");
    return failures == 0 ? 0 : 1;
}
