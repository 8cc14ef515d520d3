// Binding of the external scientific-routines library: libTorvik.so on Linux, Torvik.dll on
// Windows (the "library file name" below).
//
// Constructing an ExternalRoutineBinding loads that library from the directory of this module's
// own file and fills the four entry slots; destroying it releases the library. The module makes
// one binding object in its static initialisation and puts its destruction on the runtime's
// exit list (see ModuleEntry.h).
#pragma once

#include "frame/ExternalRoutines.h"
#include "frame/OsLayer.h"

namespace opm::detail {

// Module-wide data shared by every binding object (zero at load, apart from the slots' address).
struct ExternalLibraryState {
    int bindingCount;            // binding objects constructed and not yet released
    void* library;               // handle of the loaded library; null until loaded
    ExternalRoutineSlots* slots; // the entry slots this state fills
};

// The module's one state; it fills g_externalRoutines.
extern ExternalLibraryState g_externalLibrary;

class ExternalRoutineBinding {
public:
    // Load, in this order:
    //  1. increment the binding count;
    //  2. if the library is already loaded, return (it is loaded once however many objects);
    //  3. the module's directory: os.OwnModulePath() up to and including its last directory
    //     separator (LastDirectorySeparator: '/' on POSIX, '\\' on Windows); a path without one
    //     raises std::runtime_error("Unable to locate DLL directory!") and nothing is shown or
    //     loaded;
    //  4. load "<directory><library file name>" by that full path (no search path) and keep the
    //     handle; when it cannot be loaded: the fatal message "Unable to load " followed by the
    //     library file name (not the path) with the caption "DLL load failure", then exit
    //     status 1;
    //  5. resolve lesqso, stline, sci_err_code and stgssm in this order, storing each slot right
    //     after its own lookup (for sci_err_code the address of the library's int variable); at
    //     the first name that cannot be resolved: the fatal message
    //     "Unable to get proc address for <name>" with the caption "DLL Load failure", then exit
    //     status 1 (slots resolved before it stay stored, later names are not looked up).
    // Every text is OsChar text (UTF-16 on Windows); the layer makes whatever conversion its
    // lookup needs (see OsLayer.h), and a failure of it leaves this constructor.
    ExternalRoutineBinding(ExternalLibraryState& state, const OsLayer& os);

    // Release: decrement the binding count; when it reaches zero, release the library and set the
    // four slots to null. The handle keeps its (now stale) value, so a binding object made after
    // the release does not load the library again: the slots stay null and a fitting call then
    // ends the process, as it would for any call after the release.
    ~ExternalRoutineBinding();

    ExternalRoutineBinding(const ExternalRoutineBinding&) = delete;
    ExternalRoutineBinding& operator=(const ExternalRoutineBinding&) = delete;

private:
    void* ResolveOrExit(const OsChar* name) const;

    ExternalLibraryState& m_state;
    const OsLayer& m_os;
};

// The directory of the file at modulePath, with its trailing separator. A path without a
// separator raises std::runtime_error("Unable to locate DLL directory!").
OsString ModuleDirectory(const OsString& modulePath);

} // namespace opm::detail
