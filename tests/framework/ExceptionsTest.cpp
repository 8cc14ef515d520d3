// The exception family: each raiser throws its own type by value, which a host catches as that
// type, as CException and as std::exception, with a message in words.
#include "OstraPureMath/Framework.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <typeinfo>
#include <vector>

namespace {

static_assert(CArchiveException::genericException == 1 && CArchiveException::endOfFile == 3 &&
              CArchiveException::badSchema == 7);

TEST(Exceptions, RaisersThrowTheirTypeCatchableAsBaseClasses) {
    const struct {
        std::function<void()> raise;
        const std::type_info& type;
        std::string messageWords; // what the message must contain
    } cases[] = {
        {[] { AfxThrowMemoryException(); }, typeid(CMemoryException), "memory"},
        {[] { AfxThrowInvalidArgException(); }, typeid(CInvalidArgException), "invalid argument"},
        {[] { AfxThrowArchiveException(CArchiveException::endOfFile); }, typeid(CArchiveException),
         "end of archive"},
        {[] { AfxThrowArchiveException(CArchiveException::badSchema, "spectra.bin"); },
         typeid(CArchiveException), "spectra.bin"},
        {[] { AfxThrowOleException(-5); }, typeid(COleException), "-5"},
        // 2147500037 where long has 64 bits, -2147467259 where it has 32 (Windows).
        {[] { AfxThrowOleException(0x80004005L); }, typeid(COleException),
         std::to_string(long(0x80004005L))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.messageWords);
        try {
            c.raise();
            ADD_FAILURE() << "no exception";
        } catch (const CException& e) {
            EXPECT_EQ(typeid(e), c.type);
            EXPECT_NE(std::string(e.what()).find(c.messageWords), std::string::npos) << e.what();
        }
        EXPECT_THROW(c.raise(), std::exception);
    }
}

TEST(Exceptions, ArchiveAndOleExceptionsCarryTheirDetails) {
    try {
        AfxThrowArchiveException(CArchiveException::badSchema, "spectra.bin");
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::badSchema);
        EXPECT_EQ(e.m_strFileName, "spectra.bin");
        EXPECT_NE(std::string(e.what()).find("schema"), std::string::npos) << e.what();
    }
    try {
        AfxThrowOleException(0x80004005L);
    } catch (const COleException& e) {
        EXPECT_EQ(e.m_sc, 0x80004005L);
    }
    std::vector<std::string> messages; // each cause has its own
    for (int cause = CArchiveException::none; cause <= CArchiveException::badSchema; ++cause) {
        const std::string message = CArchiveException(cause).what();
        EXPECT_FALSE(message.empty());
        for (const std::string& earlier : messages) {
            EXPECT_NE(message, earlier) << "cause " << cause;
        }
        messages.push_back(message);
    }
}

} // namespace
