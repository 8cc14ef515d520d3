// Application-framework stand-in (libOstraFramework.so).
//
// The small part of a desktop application framework that OstraPureMath and its host programs
// share: the CObject base, the exception family and its raisers, the growable array template
// CArray, the archive CArchive, and the process-wide chain of extension modules. Host programs
// link this library too, so exception types, the array template and the module chain are one
// and the same in the host and in every extension module.
#pragma once

#include "OstraPureMath/Export.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <iosfwd>
#include <memory>
#include <new>
#include <streambuf>
#include <string>
#include <type_traits>

// Platform-style scalar types used by the framework's interfaces. On Windows they are the
// platform's own (as <windows.h> declares them), so hosts may include both headers.
typedef int BOOL;
#if defined(_WIN32) && !defined(NO_STRICT)
typedef struct HINSTANCE__* HINSTANCE;
#else
typedef void* HINSTANCE;
#endif
typedef HINSTANCE HMODULE;
typedef void* LPVOID;
typedef unsigned long DWORD;
typedef std::intptr_t INT_PTR;
#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

class CArchive;

// Root of the framework's class tree. Every virtual is empty.
class OPM_FRAMEWORK_API CObject {
public:
    CObject() = default;
    virtual ~CObject();
    virtual void Serialize(CArchive& archive);
    virtual void AssertValid() const;
    virtual void Dump(std::ostream& context) const;
};

// ---------------------------------------------------------------------------------------------
// Exceptions. Thrown by value, caught by reference; what() describes the failure in words.

class OPM_FRAMEWORK_API CException : public std::exception {
public:
    CException() = default;
    ~CException() override;
    const char* what() const noexcept override;
};

// An allocation failed.
class OPM_FRAMEWORK_API CMemoryException : public CException {
public:
    ~CMemoryException() override;
    const char* what() const noexcept override;
};

// An argument was invalid: an array index outside its range, a negative size, a null block.
class OPM_FRAMEWORK_API CInvalidArgException : public CException {
public:
    ~CInvalidArgException() override;
    const char* what() const noexcept override;
};

// An archive operation failed; m_cause says how.
class OPM_FRAMEWORK_API CArchiveException : public CException {
public:
    enum {
        none = 0,
        genericException = 1,
        readOnly = 2,
        endOfFile = 3,
        writeOnly = 4,
        badIndex = 5,
        badClass = 6,
        badSchema = 7
    };
    explicit CArchiveException(int cause = none, const char* fileName = nullptr);
    ~CArchiveException() override;
    const char* what() const noexcept override;

    int m_cause;
    std::string m_strFileName;

private:
    std::string m_message;
};

// A platform call failed with the status code m_sc.
class OPM_FRAMEWORK_API COleException : public CException {
public:
    explicit COleException(long sc = 0);
    ~COleException() override;
    const char* what() const noexcept override;

    long m_sc;

private:
    std::string m_message;
};

// Raisers: each throws a new exception of its type by value; none returns.
// Throws CMemoryException.
[[noreturn]] OPM_FRAMEWORK_API void AfxThrowMemoryException();
// Throws CInvalidArgException.
[[noreturn]] OPM_FRAMEWORK_API void AfxThrowInvalidArgException();
// Throws CArchiveException with m_cause = cause and m_strFileName = fileName ("" when null).
[[noreturn]] OPM_FRAMEWORK_API void AfxThrowArchiveException(int cause,
                                                             const char* fileName = nullptr);
// Throws COleException with m_sc = sc.
[[noreturn]] OPM_FRAMEWORK_API void AfxThrowOleException(long sc);

// ---------------------------------------------------------------------------------------------
// CArchive: a binary stream over a std::streambuf, in one direction.
//
// Counts are stored little-endian: below 0xFFFF as 2 bytes; otherwise the 2 bytes 0xFFFF and,
// below 0xFFFFFFFF, 4 bytes; otherwise 0xFFFF, 0xFFFFFFFF and 8 bytes.
class OPM_FRAMEWORK_API CArchive {
public:
    enum Mode { store = 0, load = 1 };

    // An archive over buffer, which the caller owns and keeps alive; store writes, load reads.
    // Nothing is buffered inside the archive: every call goes straight to the streambuf.
    CArchive(std::streambuf& buffer, Mode mode);
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsLoading() const { return (m_nMode & load) != 0; }
    bool IsStoring() const { return (m_nMode & load) == 0; }

    // Reads up to nMax bytes; returns the number read (fewer only at the end of the stream).
    unsigned Read(void* buffer, unsigned nMax);
    // Writes nCount bytes; a short write raises CArchiveException(genericException).
    void Write(const void* buffer, unsigned nCount);
    // Reads a count in the encoding above; a stream that ends inside it raises
    // CArchiveException(endOfFile).
    std::uint64_t ReadCount();
    // Writes count in the encoding above (2, 6 or 14 bytes); a short write raises
    // CArchiveException(genericException).
    void WriteCount(std::uint64_t count);
    // Synchronises the streambuf; a failure raises CArchiveException(genericException).
    void Flush();

private:
    void ReadExactly(void* buffer, unsigned nCount);

    std::streambuf& m_buffer;
    int m_nMode;
};

// ---------------------------------------------------------------------------------------------
// CArray: growable array of TYPE with tested indices.
//
// Layout after the virtual table: element pointer, size, capacity, grow-by. Indices run from 0.
// Enlarging sets new elements to TYPE() (0.0 for double). Storage is obtained with array-new and
// released with array-delete; an allocation that fails (or whose byte count does not fit)
// raises CMemoryException and leaves the array as it was. Not copyable: use Copy.
template <class TYPE, class ARG_TYPE = const TYPE&> class CArray : public CObject {
public:
    CArray() = default;
    ~CArray() override { delete[] m_pData; }
    CArray(const CArray&) = delete;
    CArray& operator=(const CArray&) = delete;

    INT_PTR GetSize() const { return m_nSize; }
    INT_PTR GetCount() const { return m_nSize; }
    bool IsEmpty() const { return m_nSize == 0; }
    INT_PTR GetUpperBound() const { return m_nSize - 1; }
    // The element block; null when the array has never held elements or was emptied.
    TYPE* GetData() { return m_pData; }
    const TYPE* GetData() const { return m_pData; }

    // Resizes to nNewSize elements; nGrowBy >= 0 first replaces the grow-by field, -1 keeps it.
    //  - nNewSize < 0 raises CInvalidArgException (nothing changes);
    //  - 0 releases the block (data null, size and capacity 0);
    //  - without a block, allocates max(nNewSize, grow-by) elements, all set to TYPE();
    //  - within the capacity, elements [size, nNewSize) are set to TYPE();
    //  - otherwise the capacity grows by the grow-by field or, when that is 0, by size / 8
    //    clamped to [4, 1024], and to nNewSize if that is larger; the old elements are copied
    //    and [size, nNewSize) set to TYPE(). A capacity that would overflow raises
    //    CInvalidArgException. Capacity never shrinks except to 0.
    void SetSize(INT_PTR nNewSize, INT_PTR nGrowBy = -1);

    // Element access; an index outside [0, size) raises CInvalidArgException.
    TYPE& GetAt(INT_PTR index) { return m_pData[CheckedIndex(index)]; }
    const TYPE& GetAt(INT_PTR index) const { return m_pData[CheckedIndex(index)]; }
    TYPE& ElementAt(INT_PTR index) { return m_pData[CheckedIndex(index)]; }
    void SetAt(INT_PTR index, ARG_TYPE element) { m_pData[CheckedIndex(index)] = element; }
    TYPE& operator[](INT_PTR index) { return m_pData[CheckedIndex(index)]; }
    const TYPE& operator[](INT_PTR index) const { return m_pData[CheckedIndex(index)]; }

    // Appends one element (SetSize(size + 1), then the new last element); returns its index.
    // The element is taken before the block may move, so it may refer into this array.
    INT_PTR Add(ARG_TYPE element) {
        TYPE value = element;
        const INT_PTR index = m_nSize;
        SetSize(index + 1);
        m_pData[index] = value;
        return index;
    }
    // SetSize(0): releases the block.
    void RemoveAll() { SetSize(0, -1); }

    // Makes this array a copy of source: SetSize(source size), then the elements in order.
    // Nothing happens when source is this array. A non-empty source without a block raises
    // CInvalidArgException.
    void Copy(const CArray& source);

    // Storing: WriteCount(size), then the elements as raw bytes (size * sizeof(TYPE)).
    // Loading: ReadCount, then the raw bytes, then SetSize(count) and the elements. The declared
    // count is trusted only as far as its bytes arrive: they are staged in blocks that start at
    // 1 MiB and double as each fills, so a stream that declares more than it holds costs memory
    // in proportion to what it holds (at most about twice the bytes read, staging included),
    // never to the count. A count above PTRDIFF_MAX raises CInvalidArgException, one whose byte
    // count does not fit raises CMemoryException, both before any element is read; a stream
    // that ends inside the elements raises CArchiveException(endOfFile) with no file name. On
    // every failure the array is left as it was. The bytes travel in chunks of at most
    // 0x0FFFFFFF elements. No header, no version: the machine's byte order (little-endian).
    void Serialize(CArchive& archive) override;

protected:
    TYPE* m_pData = nullptr;
    INT_PTR m_nSize = 0;
    INT_PTR m_nMaxSize = 0;
    INT_PTR m_nGrowBy = 0;

private:
    INT_PTR CheckedIndex(INT_PTR index) const {
        if (index < 0 || index >= m_nSize) {
            AfxThrowInvalidArgException();
        }
        return index;
    }
    static TYPE* Allocate(INT_PTR count) {
        // An oversized array-new would throw std::bad_array_new_length even in its nothrow form.
        if (static_cast<std::size_t>(count) > PTRDIFF_MAX / sizeof(TYPE)) {
            AfxThrowMemoryException();
        }
        TYPE* block = new (std::nothrow) TYPE[static_cast<std::size_t>(count)];
        if (block == nullptr) {
            AfxThrowMemoryException();
        }
        return block;
    }
    static void FillDefault(TYPE* first, INT_PTR count) {
        for (INT_PTR i = 0; i < count; ++i) {
            first[i] = TYPE();
        }
    }
    // Reads count elements into a staging block that grows only as their bytes arrive.
    static std::unique_ptr<TYPE[]> ReadStaged(CArchive& archive, INT_PTR count);
};

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::SetSize(INT_PTR nNewSize, INT_PTR nGrowBy) {
    if (nNewSize < 0) {
        AfxThrowInvalidArgException();
    }
    if (nGrowBy >= 0) {
        m_nGrowBy = nGrowBy;
    }
    if (nNewSize == 0) {
        delete[] m_pData;
        m_pData = nullptr;
        m_nSize = m_nMaxSize = 0;
        return;
    }
    if (m_pData == nullptr) {
        const INT_PTR capacity = nNewSize > m_nGrowBy ? nNewSize : m_nGrowBy;
        m_pData = Allocate(capacity);
        FillDefault(m_pData, capacity);
        m_nSize = nNewSize;
        m_nMaxSize = capacity;
        return;
    }
    if (nNewSize <= m_nMaxSize) {
        if (nNewSize > m_nSize) {
            FillDefault(m_pData + m_nSize, nNewSize - m_nSize);
        }
        m_nSize = nNewSize;
        return;
    }
    INT_PTR step = m_nGrowBy;
    if (step == 0) {
        step = m_nSize / 8;
        step = step < 4 ? 4 : (step > 1024 ? 1024 : step);
    }
    INT_PTR newCapacity =
        m_nMaxSize > INT_PTR(PTRDIFF_MAX) - step ? INT_PTR(-1) : m_nMaxSize + step;
    if (newCapacity >= 0 && nNewSize > newCapacity) {
        newCapacity = nNewSize;
    }
    if (newCapacity < m_nMaxSize) {
        AfxThrowInvalidArgException();
    }
    TYPE* block = Allocate(newCapacity);
    for (INT_PTR i = 0; i < m_nSize; ++i) {
        block[i] = m_pData[i];
    }
    FillDefault(block + m_nSize, nNewSize - m_nSize);
    delete[] m_pData;
    m_pData = block;
    m_nSize = nNewSize;
    m_nMaxSize = newCapacity;
}

template <class TYPE, class ARG_TYPE> void CArray<TYPE, ARG_TYPE>::Copy(const CArray& source) {
    if (&source == this) {
        return;
    }
    SetSize(source.m_nSize);
    if (m_nSize == 0) {
        return;
    }
    if (source.m_pData == nullptr || m_pData == nullptr) {
        AfxThrowInvalidArgException();
    }
    for (INT_PTR i = 0; i < m_nSize; ++i) {
        m_pData[i] = source.m_pData[i];
    }
}

// Elements travel in chunks small enough for a 32-bit byte count.
constexpr INT_PTR kArchiveMaxChunkElements = 0x0FFFFFFF;
// First staging block of a load, in bytes; counts up to it are trusted at once.
constexpr INT_PTR kArchiveFirstStageBytes = INT_PTR(1) << 20;

template <class TYPE, class ARG_TYPE>
std::unique_ptr<TYPE[]> CArray<TYPE, ARG_TYPE>::ReadStaged(CArchive& archive, INT_PTR count) {
    constexpr INT_PTR firstStage = kArchiveFirstStageBytes / INT_PTR(sizeof(TYPE));
    std::unique_ptr<TYPE[]> staged;
    INT_PTR held = 0;
    INT_PTR capacity = 0;
    while (held < count) {
        if (held == capacity) {
            // The block doubles only once it is full, that is once the stream has delivered
            // every byte it holds.
            const INT_PTR step = capacity > firstStage ? capacity : firstStage;
            capacity = count - held <= step ? count : held + step;
            std::unique_ptr<TYPE[]> larger(Allocate(capacity));
            if (held != 0) {
                std::memcpy(larger.get(), staged.get(), std::size_t(held) * sizeof(TYPE));
            }
            staged = std::move(larger);
        }
        const INT_PTR room = capacity - held;
        const INT_PTR chunk = room < kArchiveMaxChunkElements ? room : kArchiveMaxChunkElements;
        const unsigned bytes = static_cast<unsigned>(chunk * INT_PTR(sizeof(TYPE)));
        if (archive.Read(staged.get() + held, bytes) != bytes) {
            AfxThrowArchiveException(CArchiveException::endOfFile);
        }
        held += chunk;
    }
    return staged;
}

template <class TYPE, class ARG_TYPE> void CArray<TYPE, ARG_TYPE>::Serialize(CArchive& archive) {
    static_assert(std::is_trivially_copyable<TYPE>::value,
                  "CArray serialises its elements as raw bytes");
    if (archive.IsLoading()) {
        const std::uint64_t count = archive.ReadCount();
        if (count > static_cast<std::uint64_t>(PTRDIFF_MAX)) {
            AfxThrowInvalidArgException();
        }
        if (count > static_cast<std::uint64_t>(PTRDIFF_MAX / sizeof(TYPE))) {
            AfxThrowMemoryException();
        }
        const std::unique_ptr<TYPE[]> staged = ReadStaged(archive, static_cast<INT_PTR>(count));
        SetSize(static_cast<INT_PTR>(count), -1);
        if (m_nSize != 0) {
            std::memcpy(m_pData, staged.get(), std::size_t(m_nSize) * sizeof(TYPE));
        }
        return;
    }
    archive.WriteCount(static_cast<std::uint64_t>(m_nSize));
    if (m_nSize != 0 && m_pData == nullptr) {
        AfxThrowInvalidArgException();
    }
    for (INT_PTR done = 0; done < m_nSize;) {
        const INT_PTR left = m_nSize - done;
        const INT_PTR chunk = left < kArchiveMaxChunkElements ? left : kArchiveMaxChunkElements;
        archive.Write(m_pData + done, static_cast<unsigned>(chunk * INT_PTR(sizeof(TYPE))));
        done += chunk;
    }
}

// ---------------------------------------------------------------------------------------------
// Extension-module registration.

struct CRuntimeClass {
    const char* m_lpszClassName;
    CRuntimeClass* m_pNextClass;
};
class COleObjectFactory;
class CDynLinkLibrary;

// Process-wide framework state. The two "initial" slots receive the list heads that an
// extension module's raw entry hook moves aside at load; AfxInitExtensionModule puts them back.
struct OPM_FRAMEWORK_API AFX_MODULE_STATE {
    CRuntimeClass* m_classList;        // head of the runtime-class list
    COleObjectFactory* m_factoryList;  // head of the object-factory list
    CRuntimeClass* m_pClassInit;       // class-list head set aside at module load
    COleObjectFactory* m_pFactoryInit; // factory-list head set aside at module load
    CDynLinkLibrary* m_libraryList;    // head of the chain of extension-module libraries
};

// Record that one extension module keeps for its registration (statically zero-initialised).
struct AFX_EXTENSION_MODULE {
    BOOL bInitialized;
    HMODULE hModule;
    HMODULE hResource;
    CRuntimeClass* pFirstSharedClass;
    COleObjectFactory* pFirstSharedFactory;
};

// The process-wide module state.
OPM_FRAMEWORK_API AFX_MODULE_STATE* AfxGetModuleState();

// Registers an extension module's lists: records hModule (also as the resource handle) and the
// class and factory list heads as they stand (what the module registered since its raw entry
// hook moved the host's heads aside) as the module's shared lists, then puts the heads set aside
// in the two initial slots back in place. Returns TRUE; FALSE, with nothing changed, when
// hModule is null. A second call for an initialised record changes nothing and returns TRUE.
OPM_FRAMEWORK_API BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE hModule);

// Unregisters: deletes every CDynLinkLibrary of this module from the chain (of every module
// when bAll is TRUE) and marks the record uninitialised. Nothing for an uninitialised record.
OPM_FRAMEWORK_API void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL bAll = FALSE);

// One entry in the process-wide chain of extension-module libraries. Constructing one links it
// at the head of the chain; destroying it unlinks it. Hosts walk the chain from
// AfxGetModuleState()->m_libraryList through m_pNextDLL.
class OPM_FRAMEWORK_API CDynLinkLibrary : public CObject {
public:
    CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL bSystem = FALSE);
    ~CDynLinkLibrary() override;
    CDynLinkLibrary(const CDynLinkLibrary&) = delete;
    CDynLinkLibrary& operator=(const CDynLinkLibrary&) = delete;

    HMODULE m_hModule;
    HMODULE m_hResource;
    CRuntimeClass* m_pFirstSharedClass;
    COleObjectFactory* m_pFirstSharedFactory;
    BOOL m_bSystem;
    CDynLinkLibrary* m_pNextDLL;
};

// Number of libraries in the chain that belong to hModule (every library when hModule is null).
OPM_FRAMEWORK_API int AfxCountDynLinkLibraries(HMODULE hModule);
