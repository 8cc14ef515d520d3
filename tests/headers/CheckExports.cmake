# Checks the dynamic symbol table of a shared library against the exported API.
#
#   cmake -DLIBRARY=<path to .so or .dll> [-DREQUIRED=<name>] [-DOBJDUMP=<objdump>]
#         -P CheckExports.cmake
#
# Every defined dynamic symbol (nm -D --defined-only, demangled with c++filt) must match one of
# the patterns below; each one that does not is listed and the script fails. With OBJDUMP (a
# Windows DLL) the symbols are the names of the DLL's export table (objdump -p). REQUIRED names a
# symbol that must be present, so that an empty or unreadable table cannot pass.

if(NOT LIBRARY OR NOT EXISTS "${LIBRARY}")
    message(FATAL_ERROR "CheckExports: no library at '${LIBRARY}'")
endif()

# The exported classes of both libraries: the library's families and the framework's C* classes
# (CObject, CArray<...>, CArchive, the exceptions, CDynLinkLibrary).
set(api_classes "(Matrix|Polynomial|Splines|DoubleArray|C[A-Z][A-Za-z]*(<[^>]*>)?)")

set(allowed
    # Members of the exported classes.
    "^${api_classes}::"
    # Their virtual tables and type information.
    "^(vtable|typeinfo|typeinfo name|VTT|construction vtable) for ${api_classes}$"
    # The exported namespaces of free functions.
    "^(Statistics|Equation|LeastSquares)::"
    # The modern interface (namespace opm, its classes' tables) and the C interface (opm_*).
    "^opm::"
    "^(vtable|typeinfo|typeinfo name) for opm::"
    "^opm_[a-z0-9_]+$"
    # The framework's free functions.
    "^Afx[A-Za-z]+\\("
    # Symbols the linker defines in every shared object.
    "^(_init|_fini|_edata|_end|__bss_start)$")

# Weak (W, V) and unique (u) copies of standard-library template instantiations: every shared
# object that uses such a template carries one with the standard library's own visibility.
# They are not this library's code; strong (T, D, B) std symbols are still reported.
# The test is made on the entity's own qualified name: template arguments, the parameter list
# and a leading return type removed.
set(allowed_weak "^(std|__gnu_cxx)::")
function(qualified_name name out)
    set(previous "")
    while(NOT name STREQUAL previous)
        set(previous "${name}")
        string(REGEX REPLACE "<[^<>]*>" "" name "${name}")
    endwhile()
    string(REGEX REPLACE "\\(.*$" "" name "${name}")
    string(REGEX REPLACE "^.* " "" name "${name}")
    set(${out} "${name}" PARENT_SCOPE)
endfunction()

if(OBJDUMP)
    # The export table's names ("<tab>[ <ordinal>] <name>" lines), made to read like nm's lines
    # for defined text symbols.
    execute_process(COMMAND ${OBJDUMP} -p "${LIBRARY}"
                    COMMAND c++filt
                    OUTPUT_VARIABLE dump RESULT_VARIABLE status ERROR_VARIABLE errors)
    string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n(\t\\[[^\n]*\n)*" table "${dump}")
    string(REGEX REPLACE "\t\\[ *[0-9]+\\] " "0 T " table "${table}")
else()
    execute_process(COMMAND nm -D --defined-only "${LIBRARY}"
                    COMMAND c++filt
                    OUTPUT_VARIABLE table RESULT_VARIABLE status ERROR_VARIABLE errors)
endif()
if(NOT status EQUAL 0)
    message(FATAL_ERROR "CheckExports: reading the symbols of ${LIBRARY} failed: ${errors}")
endif()

# Square brackets (as in "[abi:cxx11]") would bind list elements together: replace them first.
string(REPLACE "[" "{" table "${table}")
string(REPLACE "]" "}" table "${table}")
string(REPLACE ";" "," table "${table}")
string(REPLACE "\n" ";" lines "${table}")
set(outside)
set(found_required FALSE)
foreach(line IN LISTS lines)
    if(NOT line MATCHES "^[0-9a-fA-F]* ([A-Za-z]) (.+)$")
        continue()
    endif()
    set(kind "${CMAKE_MATCH_1}")
    set(name "${CMAKE_MATCH_2}")
    if(REQUIRED AND name MATCHES "^${REQUIRED}")
        set(found_required TRUE)
    endif()
    set(ok FALSE)
    foreach(pattern IN LISTS allowed)
        if(name MATCHES "${pattern}")
            set(ok TRUE)
            break()
        endif()
    endforeach()
    # Internal helpers are never part of the API, whatever pattern they match.
    if(name MATCHES "opm::detail::")
        set(ok FALSE)
    endif()
    if(NOT ok AND kind MATCHES "^[WVu]$")
        qualified_name("${name}" entity)
        if(entity MATCHES "${allowed_weak}")
            set(ok TRUE)
        endif()
    endif()
    if(NOT ok)
        list(APPEND outside "${kind} ${name}")
    endif()
endforeach()

list(LENGTH outside count)
foreach(symbol IN LISTS outside)
    message("outside the exported API: ${symbol}")
endforeach()
if(count GREATER 0)
    message("${count} symbols outside the exported API in ${LIBRARY}")
    message(FATAL_ERROR "export check failed")
endif()
if(REQUIRED AND NOT found_required)
    message(FATAL_ERROR "${LIBRARY}: required symbol ${REQUIRED} not exported")
endif()
message(STATUS "${LIBRARY}: exported symbols are all part of the API")
