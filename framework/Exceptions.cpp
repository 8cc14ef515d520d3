// The framework's exception family and the raisers that throw them by value.
#include "OstraPureMath/Framework.h"

#include <cstdio>
#include <string>

CException::~CException() = default;
const char* CException::what() const noexcept {
    return "framework exception";
}

CMemoryException::~CMemoryException() = default;
const char* CMemoryException::what() const noexcept {
    return "out of memory";
}

CInvalidArgException::~CInvalidArgException() = default;
const char* CInvalidArgException::what() const noexcept {
    return "invalid argument: index out of range, negative size or missing storage";
}

namespace {

const char* ArchiveCauseText(int cause) {
    switch (cause) {
    case CArchiveException::none:
        return "no error";
    case CArchiveException::genericException:
        return "archive operation failed";
    case CArchiveException::readOnly:
        return "archive is read-only";
    case CArchiveException::endOfFile:
        return "unexpected end of archive";
    case CArchiveException::writeOnly:
        return "archive is write-only";
    case CArchiveException::badIndex:
        return "bad index in archive";
    case CArchiveException::badClass:
        return "bad class in archive";
    case CArchiveException::badSchema:
        return "bad schema in archive";
    default:
        return "unknown archive error";
    }
}

} // namespace

CArchiveException::CArchiveException(int cause, const char* fileName)
    : m_cause(cause), m_strFileName(fileName != nullptr ? fileName : "") {
    m_message = ArchiveCauseText(cause);
    if (!m_strFileName.empty()) {
        m_message += " (" + m_strFileName + ")";
    }
}
CArchiveException::~CArchiveException() = default;
const char* CArchiveException::what() const noexcept {
    return m_message.c_str();
}

// snprintf rather than std::to_string: the latter would export a standard-library table from
// this library's dynamic symbol table.
COleException::COleException(long sc) : m_sc(sc) {
    char text[64];
    std::snprintf(text, sizeof text, "platform call failed with status %ld", sc);
    m_message = text;
}
COleException::~COleException() = default;
const char* COleException::what() const noexcept {
    return m_message.c_str();
}

void AfxThrowMemoryException() {
    throw CMemoryException();
}

void AfxThrowInvalidArgException() {
    throw CInvalidArgException();
}

void AfxThrowArchiveException(int cause, const char* fileName) {
    throw CArchiveException(cause, fileName);
}

void AfxThrowOleException(long sc) {
    throw COleException(sc);
}
