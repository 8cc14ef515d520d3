// DoubleArray: the growable array of double taken and returned by the statistics and fitting
// operations.
//
// It is CArray<double, double> under a name of its own (see Framework.h for the interface):
// indices run from 0 and are tested (CInvalidArgException outside [0, GetSize())); enlarging
// fills new elements with 0.0; capacity grows by GetSize() / 8 clamped to [4, 1024] when no
// grow-by is set. Serialize writes or reads the count in the archive's count encoding followed
// by the elements as 8-byte IEEE-754 doubles in the machine's byte order (little-endian here);
// a stream that ends inside the elements raises CArchiveException with cause endOfFile and
// leaves the array as it was. Loading trusts the declared count only as its bytes arrive, so
// memory stays in proportion to the bytes actually read (see CArray::Serialize).
#pragma once

#include "OstraPureMath/Export.h"
#include "OstraPureMath/Framework.h"

class OPM_API DoubleArray : public CArray<double, double> {};
