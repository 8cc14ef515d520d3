// The exception family: each raiser throws its own type by value, which a host catches as that
// type, as CException and as std::exception, with a message in words.
#include "OstraPureMath/Framework.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <typeinfo>

namespace {

struct RaiserCase {
    const char* name;
    std::function<void()> raise;
    const std::type_info& type;
    const char* messageWord; // a word the message must contain
};

class Raisers : public ::testing::TestWithParam<RaiserCase> {};

TEST_P(Raisers, ThrowTheirTypeCatchableAsBaseClasses) {
    const RaiserCase& c = GetParam();
    try {
        c.raise();
        FAIL() << "no exception";
    } catch (const CException& e) {
        EXPECT_EQ(typeid(e), c.type);
        const std::string message = e.what();
        EXPECT_NE(message.find(c.messageWord), std::string::npos) << message;
    }
    EXPECT_THROW(c.raise(), std::exception);
}

INSTANTIATE_TEST_SUITE_P(
    All, Raisers,
    ::testing::Values(
        RaiserCase{"Memory", [] { AfxThrowMemoryException(); }, typeid(CMemoryException), "memory"},
        RaiserCase{"InvalidArg", [] { AfxThrowInvalidArgException(); },
                   typeid(CInvalidArgException), "invalid argument"},
        RaiserCase{"Archive", [] { AfxThrowArchiveException(CArchiveException::endOfFile); },
                   typeid(CArchiveException), "end of archive"},
        RaiserCase{"Ole", [] { AfxThrowOleException(-5); }, typeid(COleException), "-5"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Exceptions, ArchiveExceptionCarriesCauseAndFileName) {
    try {
        AfxThrowArchiveException(CArchiveException::badSchema, "spectra.bin");
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, 7);
        EXPECT_EQ(e.m_strFileName, "spectra.bin");
        const std::string message = e.what();
        EXPECT_NE(message.find("schema"), std::string::npos) << message;
        EXPECT_NE(message.find("spectra.bin"), std::string::npos) << message;
    }
    try {
        AfxThrowArchiveException(CArchiveException::genericException);
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, 1);
        EXPECT_TRUE(e.m_strFileName.empty());
    }
}

TEST(Exceptions, ArchiveCausesHaveDistinctMessages) {
    std::vector<std::string> messages;
    for (int cause = CArchiveException::none; cause <= CArchiveException::badSchema; ++cause) {
        const std::string message = CArchiveException(cause).what();
        EXPECT_FALSE(message.empty());
        for (const std::string& earlier : messages) {
            EXPECT_NE(message, earlier) << "cause " << cause;
        }
        messages.push_back(message);
    }
}

TEST(Exceptions, OleExceptionCarriesItsStatus) {
    try {
        AfxThrowOleException(0x80004005L);
    } catch (const COleException& e) {
        EXPECT_EQ(e.m_sc, 0x80004005L);
        EXPECT_NE(std::string(e.what()).find("2147500037"), std::string::npos) << e.what();
    }
}

} // namespace
