// CArchive's count encoding and failure causes, and the DoubleArray archive format: the count,
// then the elements as little-endian 8-byte IEEE-754 doubles, nothing else.
#include "OstraPureMath/DoubleArray.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>

namespace {

using namespace std::string_literals;

// Little-endian bytes of a double's bit pattern, written out independently of the archive.
std::string DoubleBytes(double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, 8);
    std::string out;
    for (int i = 0; i < 8; ++i) {
        out += static_cast<char>((bits >> (8 * i)) & 0xFF);
    }
    return out;
}

std::string Store(DoubleArray& a) {
    std::stringbuf buffer;
    CArchive out(buffer, CArchive::store);
    a.Serialize(out);
    return buffer.str();
}

void Load(DoubleArray& a, const std::string& bytes) {
    std::stringbuf buffer(bytes);
    CArchive in(buffer, CArchive::load);
    a.Serialize(in);
}

// Runs operation and expects a CArchiveException with the given cause and no file name.
template <class Operation> void ExpectArchiveCause(int cause, Operation&& operation) {
    try {
        operation();
        ADD_FAILURE() << "no exception";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, cause);
        EXPECT_TRUE(e.m_strFileName.empty());
    }
}

TEST(CArchive, CountEncodingAtItsBoundariesAndStreamsEndingInsideIt) {
    const struct {
        std::uint64_t count;
        std::string encoded;
    } cases[] = {
        {0, "\0\0"s},
        {0xFFFF, "\xFF\xFF\xFF\xFF\0\0"s},
        {0xFFFFFFFE, "\xFF\xFF\xFE\xFF\xFF\xFF"s},
        {0xFFFFFFFF, "\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\0\0\0\0"s},
        {0x0123456789ABCDEF, "\xFF\xFF\xFF\xFF\xFF\xFF\xEF\xCD\xAB\x89\x67\x45\x23\x01"s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        std::stringbuf buffer;
        CArchive(buffer, CArchive::store).WriteCount(c.count);
        EXPECT_EQ(buffer.str(), c.encoded);
        EXPECT_EQ(CArchive(buffer, CArchive::load).ReadCount(), c.count);
        EXPECT_EQ(buffer.in_avail(), 0) << "the count must consume exactly its bytes";
        for (std::size_t length = 0; length < c.encoded.size(); ++length) {
            std::stringbuf truncated(c.encoded.substr(0, length));
            ExpectArchiveCause(CArchiveException::endOfFile,
                               [&] { CArchive(truncated, CArchive::load).ReadCount(); });
        }
    }
}

TEST(CArchive, ReadStopsAtTheEndAndFailingWritesRaiseGenericException) {
    std::stringbuf buffer("abc");
    CArchive in(buffer, CArchive::load);
    char got[8] = {};
    EXPECT_EQ(in.Read(got, 8), 3U);
    EXPECT_EQ(std::string(got), "abc");
    EXPECT_EQ(in.Read(got, 8), 0U);

    std::stringbuf readOnly(std::ios::in); // accepts no output: every write is short
    CArchive out(readOnly, CArchive::store);
    DoubleArray a;
    a.SetSize(2);
    ExpectArchiveCause(CArchiveException::genericException, [&] { out.WriteCount(1); });
    ExpectArchiveCause(CArchiveException::genericException, [&] { out.Write("x", 1); });
    ExpectArchiveCause(CArchiveException::genericException, [&] { a.Serialize(out); });
}

// Counts on both sides of the 2-byte limit and beyond the first 1 MiB staging block round-trip
// byte by byte.
TEST(DoubleArrayArchive, StoresCountThenLittleEndianDoubles) {
    ASSERT_EQ(DoubleBytes(-7.0) + DoubleBytes(0.1),
              "\0\0\0\0\0\0\x1C\xC0\x9A\x99\x99\x99\x99\x99\xB9\x3F"s);
    const struct {
        INT_PTR size;
        std::string count;
    } cases[] = {{0, "\0\0"s},
                 {0xFFFE, "\xFE\xFF"s},
                 {0xFFFF, "\xFF\xFF\xFF\xFF\0\0"s},
                 {131073, "\xFF\xFF\x01\x00\x02\x00"s},
                 {400000, "\xFF\xFF\x80\x1A\x06\x00"s}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        DoubleArray a;
        a.SetSize(c.size);
        std::string expected = c.count;
        for (INT_PTR i = 0; i < c.size; ++i) {
            expected += DoubleBytes(a[i] = double(i) * 0.25 - 7.0);
        }
        const std::string bytes = Store(a);
        EXPECT_TRUE(bytes == expected); // not EXPECT_EQ: a failure would print megabytes
        DoubleArray back;
        back.SetSize(4); // loading replaces whatever was there
        Load(back, bytes);
        ASSERT_EQ(back.GetSize(), c.size);
        EXPECT_TRUE(std::equal(a.GetData(), a.GetData() + c.size, back.GetData()));
    }
}

// The declared count is honoured only as its bytes arrive: counts of 2^28 and 2^36 elements
// over an empty stream end the stream, not the memory, and the array keeps what it held. Counts
// that no array can hold (above PTRDIFF_MAX; 2^62 doubles, whose byte count does not fit) raise
// without allocating.
TEST(DoubleArrayArchive, TruncatedStreamsAndImpossibleCountsRaise) {
    const std::string escape = "\xFF\xFF\xFF\xFF\xFF\xFF"s;
    const std::string cases[] = {
        "\x03\x00"s + std::string(20, '\0'),             // 3 elements, 2.5 present
        "\xFF\xFF\x00\x00\x00\x10"s,                     // 2^28 elements, none present
        escape + "\0\0\0\0\x10\0\0\0"s + DoubleBytes(1), // 2^36, one present
    };
    for (const std::string& bytes : cases) {
        DoubleArray a;
        a.SetSize(2);
        a[1] = 5.0;
        ExpectArchiveCause(CArchiveException::endOfFile, [&] { Load(a, bytes); });
        ASSERT_EQ(a.GetSize(), 2);
        EXPECT_EQ(a[1], 5.0);
    }
    DoubleArray a;
    EXPECT_THROW(Load(a, escape + "\0\0\0\0\0\0\0\x80"s), CInvalidArgException);
    EXPECT_THROW(Load(a, escape + "\0\0\0\0\0\0\0\x40"s), CMemoryException);
    EXPECT_EQ(a.GetData(), nullptr);
}

} // namespace
