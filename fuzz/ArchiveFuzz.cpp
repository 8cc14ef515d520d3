// Loading a DoubleArray from any bytes: it either raises one of the framework's exceptions,
// leaving the array as it was, or yields an array that stores back to a stream that loads into
// the same bits. Memory stays in proportion to the bytes (the smoke run caps each allocation).
#include "FuzzInput.h"
#include "OstraPureMath/DoubleArray.h"

#include <algorithm>
#include <sstream>
#include <string>

namespace {

using opm::fuzz::FuzzInput;

std::string Store(DoubleArray& a) {
    std::stringbuf buffer;
    CArchive out(buffer, CArchive::store);
    a.Serialize(out);
    return buffer.str();
}

bool Load(DoubleArray& a, const std::string& bytes) {
    std::stringbuf buffer(bytes);
    CArchive in(buffer, CArchive::load);
    try {
        a.Serialize(in);
        return true;
    } catch (const CArchiveException& e) {
        OPM_FUZZ_CHECK(e.m_cause == CArchiveException::endOfFile, "only the end of the stream");
    } catch (const CInvalidArgException&) {
    } catch (const CMemoryException&) {
    }
    return false;
}

bool SameBits(const DoubleArray& a, const DoubleArray& b) {
    return a.GetSize() == b.GetSize() &&
           (a.GetSize() == 0 ||
            std::memcmp(a.GetData(), b.GetData(), std::size_t(a.GetSize()) * sizeof(double)) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first byte chooses what the array holds before the load.
    FuzzInput in(data, size);
    const long before = in.Count(0, 3);
    DoubleArray a;
    for (long i = 0; i < before; ++i) {
        a.Add(double(i) + 0.5);
    }
    const std::string bytes(reinterpret_cast<const char*>(data) + (size > 0 ? 1 : 0),
                            size > 0 ? size - 1 : 0);
    DoubleArray old;
    old.Copy(a);
    if (!Load(a, bytes)) {
        OPM_FUZZ_CHECK(SameBits(a, old), "a failed load leaves the array as it was");
        return 0;
    }
    OPM_FUZZ_CHECK(std::size_t(a.GetSize()) * 8 <= bytes.size(), "no element without its bytes");
    const std::string stored = Store(a);
    DoubleArray back;
    OPM_FUZZ_CHECK(Load(back, stored) && SameBits(a, back), "store then load gives the same bits");
    return 0;
}
