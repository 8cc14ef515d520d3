// The Matrix object itself: no data, nothing to construct or destroy. Defined here so that the
// class's virtual table and type information are emitted once, in the library.
#include "OstraPureMath/Matrix.h"

Matrix::Matrix() = default;

Matrix::~Matrix() = default;
