// The exception family: each raiser throws its own type by value, which a host catches as that
// type, as CException and as std::exception, with a message in words and its details.
#include "OstraPureMath/Framework.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <typeinfo>

namespace {

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
    const CArchiveException archive(CArchiveException::badSchema, "spectra.bin");
    EXPECT_EQ(archive.m_cause, 7);
    EXPECT_EQ(archive.m_strFileName, "spectra.bin");
    EXPECT_EQ(COleException(0x80004005L).m_sc, 0x80004005L);
}

} // namespace
