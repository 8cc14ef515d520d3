// CArchive's count encoding and failure causes, and the DoubleArray archive format: the count,
// then the elements as little-endian 8-byte IEEE-754 doubles, nothing else.
#include "OstraPureMath/DoubleArray.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

std::string ToString(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

Bytes ToBytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// Little-endian bytes of a value, written out independently of the archive's encoder.
Bytes LittleEndian(std::uint64_t value, int width) {
    Bytes out;
    for (int i = 0; i < width; ++i) {
        out.push_back(static_cast<unsigned char>((value >> (8 * i)) & 0xFF));
    }
    return out;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

struct CountCase {
    std::uint64_t count;
    Bytes encoded;
};

std::vector<CountCase> CountCases() {
    const Bytes shortEscape = {0xFF, 0xFF};
    const Bytes longEscape = {0xFF, 0xFF, 0xFF, 0xFF};
    return {
        {0, {0x00, 0x00}},
        {0x1234, {0x34, 0x12}},
        {0xFFFE, {0xFE, 0xFF}},
        {0xFFFF, Concat({shortEscape, {0xFF, 0xFF, 0x00, 0x00}})},
        {0x12345678, Concat({shortEscape, {0x78, 0x56, 0x34, 0x12}})},
        {0xFFFFFFFE, Concat({shortEscape, {0xFE, 0xFF, 0xFF, 0xFF}})},
        {0xFFFFFFFF, Concat({shortEscape, longEscape, LittleEndian(0xFFFFFFFF, 8)})},
        {0x0123456789ABCDEF,
         Concat({shortEscape, longEscape, {0xEF, 0xCD, 0xAB, 0x89, 0x67, 0x45, 0x23, 0x01}})},
    };
}

class CountEncoding : public ::testing::TestWithParam<CountCase> {};

TEST_P(CountEncoding, WritesTheLittleEndianBytesAndReadsThemBack) {
    const CountCase& c = GetParam();
    std::stringbuf buffer;
    CArchive out(buffer, CArchive::store);
    out.WriteCount(c.count);
    EXPECT_EQ(ToBytes(buffer.str()), c.encoded);

    CArchive in(buffer, CArchive::load);
    EXPECT_EQ(in.ReadCount(), c.count);
    EXPECT_EQ(buffer.in_avail(), 0) << "the count must consume exactly its bytes";
}

TEST_P(CountEncoding, StreamEndingInsideTheCountRaisesEndOfFile) {
    const Bytes& encoded = GetParam().encoded;
    for (std::size_t length = 0; length < encoded.size(); ++length) {
        std::stringbuf buffer(ToString(Bytes(encoded.begin(), encoded.begin() + length)));
        CArchive in(buffer, CArchive::load);
        try {
            in.ReadCount();
            ADD_FAILURE() << "no exception after " << length << " bytes";
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.m_cause, CArchiveException::endOfFile) << length;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Boundaries, CountEncoding, ::testing::ValuesIn(CountCases()));

TEST(CArchive, ModesAndRawReads) {
    std::stringbuf buffer("abc");
    CArchive in(buffer, CArchive::load);
    EXPECT_TRUE(in.IsLoading());
    EXPECT_FALSE(in.IsStoring());
    char got[8] = {};
    EXPECT_EQ(in.Read(got, 8), 3U); // fewer bytes only at the end of the stream
    EXPECT_EQ(std::string(got), "abc");
    EXPECT_EQ(in.Read(got, 8), 0U);
    CArchive out(buffer, CArchive::store);
    EXPECT_TRUE(out.IsStoring());
    EXPECT_FALSE(out.IsLoading());
}

// A streambuf that accepts no output: every write is short.
TEST(CArchive, FailingWriteRaisesGenericException) {
    std::stringbuf readOnly(std::ios::in);
    CArchive out(readOnly, CArchive::store);
    const auto expectGeneric = [](auto&& operation) {
        try {
            operation();
            ADD_FAILURE() << "no exception";
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.m_cause, CArchiveException::genericException);
            EXPECT_TRUE(e.m_strFileName.empty());
        }
    };
    expectGeneric([&] { out.WriteCount(1); });
    expectGeneric([&] { out.Write("x", 1); });
    DoubleArray a;
    a.SetSize(2);
    expectGeneric([&] { a.Serialize(out); });
}

// The archive bytes of a DoubleArray holding values.
Bytes ArrayBytes(std::uint64_t count, const Bytes& countBytes, const std::vector<Bytes>& doubles) {
    Bytes out = countBytes;
    EXPECT_EQ(doubles.size(), count);
    for (const Bytes& d : doubles) {
        out.insert(out.end(), d.begin(), d.end());
    }
    return out;
}

TEST(DoubleArrayArchive, StoresCountThenLittleEndianDoubles) {
    DoubleArray a;
    a.Add(1.0);  // 0x3FF0000000000000
    a.Add(-2.5); // 0xC004000000000000
    a.Add(0.1);  // 0x3FB999999999999A
    std::stringbuf buffer;
    CArchive out(buffer, CArchive::store);
    a.Serialize(out);
    const Bytes expected =
        ArrayBytes(3, {0x03, 0x00},
                   {LittleEndian(0x3FF0000000000000, 8), LittleEndian(0xC004000000000000, 8),
                    LittleEndian(0x3FB999999999999A, 8)});
    EXPECT_EQ(ToBytes(buffer.str()), expected);

    DoubleArray back;
    back.SetSize(7); // loading replaces whatever was there
    CArchive in(buffer, CArchive::load);
    back.Serialize(in);
    ASSERT_EQ(back.GetSize(), 3);
    EXPECT_EQ(back[0], 1.0);
    EXPECT_EQ(back[1], -2.5);
    EXPECT_EQ(back[2], 0.1);
}

TEST(DoubleArrayArchive, EmptyArrayIsTheCountZeroAndLoadsWithoutBlock) {
    DoubleArray empty;
    std::stringbuf buffer;
    CArchive out(buffer, CArchive::store);
    empty.Serialize(out);
    EXPECT_EQ(ToBytes(buffer.str()), (Bytes{0x00, 0x00}));

    DoubleArray back;
    back.SetSize(4);
    CArchive in(buffer, CArchive::load);
    back.Serialize(in);
    EXPECT_EQ(back.GetSize(), 0);
    EXPECT_EQ(back.GetData(), nullptr);
}

// Counts on both sides of the 2-byte limit round-trip through real arrays.
TEST(DoubleArrayArchive, RoundTripsAtTheShortCountBoundary) {
    for (INT_PTR size : {INT_PTR(0xFFFE), INT_PTR(0xFFFF)}) {
        DoubleArray a;
        a.SetSize(size);
        for (INT_PTR i = 0; i < size; ++i) {
            a[i] = double(i) * 0.25 - 7.0;
        }
        std::stringbuf buffer;
        CArchive out(buffer, CArchive::store);
        a.Serialize(out);
        const Bytes bytes = ToBytes(buffer.str());
        const Bytes countBytes =
            size < 0xFFFF ? LittleEndian(size, 2) : Concat({{0xFF, 0xFF}, LittleEndian(size, 4)});
        ASSERT_EQ(bytes.size(), countBytes.size() + std::size_t(size) * 8) << size;
        EXPECT_TRUE(std::equal(countBytes.begin(), countBytes.end(), bytes.begin())) << size;
        DoubleArray back;
        CArchive in(buffer, CArchive::load);
        back.Serialize(in);
        ASSERT_EQ(back.GetSize(), size);
        for (INT_PTR i = 0; i < size; ++i) {
            ASSERT_EQ(back[i], a[i]) << i;
        }
    }
}

TEST(DoubleArrayArchive, StreamEndingInsideTheElementsRaisesEndOfFile) {
    // Count 3, then two whole elements and half of the third.
    Bytes bytes = {0x03, 0x00};
    bytes.resize(2 + 2 * 8 + 4, 0x00);
    std::stringbuf buffer(ToString(bytes));
    CArchive in(buffer, CArchive::load);
    DoubleArray a;
    try {
        a.Serialize(in);
        FAIL() << "no exception";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::endOfFile);
        EXPECT_EQ(e.m_cause, 3);
        EXPECT_TRUE(e.m_strFileName.empty());
    }
}

TEST(DoubleArrayArchive, StreamEndingInsideTheCountRaisesEndOfFile) {
    std::stringbuf buffer(ToString({0xFF, 0xFF, 0x10}));
    CArchive in(buffer, CArchive::load);
    DoubleArray a;
    try {
        a.Serialize(in);
        FAIL() << "no exception";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::endOfFile);
    }
}

// Counts that no array can hold: above PTRDIFF_MAX is an invalid size, 2^62 doubles a block
// whose byte count does not fit. Neither allocates.
TEST(DoubleArrayArchive, ImpossibleCountsRaiseBeforeReadingElements) {
    const Bytes escape = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    std::stringbuf tooLarge(ToString(Concat({escape, LittleEndian(0x8000000000000000, 8)})));
    CArchive in1(tooLarge, CArchive::load);
    DoubleArray a;
    EXPECT_THROW(a.Serialize(in1), CInvalidArgException);
    std::stringbuf tooMuch(ToString(Concat({escape, LittleEndian(std::uint64_t(1) << 62, 8)})));
    CArchive in2(tooMuch, CArchive::load);
    EXPECT_THROW(a.Serialize(in2), CMemoryException);
    EXPECT_EQ(a.GetData(), nullptr);
}

} // namespace
