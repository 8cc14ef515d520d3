// CArchive: binary reads and writes over a std::streambuf, with the framework's count encoding.
#include "OstraPureMath/Framework.h"

#include <cstdint>
#include <streambuf>

namespace {

constexpr std::uint64_t kShortEscape = 0xFFFF;
constexpr std::uint64_t kLongEscape = 0xFFFFFFFF;

// Little-endian encoding of the low `bytes` bytes of value.
void EncodeLittleEndian(std::uint64_t value, unsigned char* out, unsigned bytes) {
    for (unsigned i = 0; i < bytes; ++i) {
        out[i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

std::uint64_t DecodeLittleEndian(const unsigned char* in, unsigned bytes) {
    std::uint64_t value = 0;
    for (unsigned i = 0; i < bytes; ++i) {
        value |= std::uint64_t(in[i]) << (8 * i);
    }
    return value;
}

} // namespace

CArchive::CArchive(std::streambuf& buffer, Mode mode) : m_buffer(buffer), m_nMode(mode) {}

unsigned CArchive::Read(void* buffer, unsigned nMax) {
    if (nMax == 0) {
        return 0;
    }
    const std::streamsize got = m_buffer.sgetn(static_cast<char*>(buffer), nMax);
    return got > 0 ? static_cast<unsigned>(got) : 0U;
}

void CArchive::Write(const void* buffer, unsigned nCount) {
    if (nCount == 0) {
        return;
    }
    if (m_buffer.sputn(static_cast<const char*>(buffer), nCount) != std::streamsize(nCount)) {
        AfxThrowArchiveException(CArchiveException::genericException);
    }
}

void CArchive::ReadExactly(void* buffer, unsigned nCount) {
    if (Read(buffer, nCount) != nCount) {
        AfxThrowArchiveException(CArchiveException::endOfFile);
    }
}

std::uint64_t CArchive::ReadCount() {
    unsigned char bytes[8];
    ReadExactly(bytes, 2);
    std::uint64_t count = DecodeLittleEndian(bytes, 2);
    if (count != kShortEscape) {
        return count;
    }
    ReadExactly(bytes, 4);
    count = DecodeLittleEndian(bytes, 4);
    if (count != kLongEscape) {
        return count;
    }
    ReadExactly(bytes, 8);
    return DecodeLittleEndian(bytes, 8);
}

void CArchive::WriteCount(std::uint64_t count) {
    unsigned char bytes[14];
    unsigned length = 0;
    if (count < kShortEscape) {
        EncodeLittleEndian(count, bytes, 2);
        length = 2;
    } else if (count < kLongEscape) {
        EncodeLittleEndian(kShortEscape, bytes, 2);
        EncodeLittleEndian(count, bytes + 2, 4);
        length = 6;
    } else {
        EncodeLittleEndian(kShortEscape, bytes, 2);
        EncodeLittleEndian(kLongEscape, bytes + 2, 4);
        EncodeLittleEndian(count, bytes + 6, 8);
        length = 14;
    }
    Write(bytes, length);
}

void CArchive::Flush() {
    if (m_buffer.pubsync() != 0) {
        AfxThrowArchiveException(CArchiveException::genericException);
    }
}
