// The module's own exit list: functions registered during the module's static initialisation and
// run, last registered first, when the module is detached.
#pragma once

namespace opm::detail {

class ExitList {
public:
    using Function = void (*)(void* argument);

    constexpr ExitList() = default;

    // Appends function(argument). Returns false, registering nothing, when the list is full.
    bool Register(Function function, void* argument) {
        if (m_count == kCapacity) {
            return false;
        }
        m_entries[m_count] = Entry{function, argument};
        ++m_count;
        return true;
    }

    // Runs the registered functions in reverse order of registration, removing each before it
    // runs, so the list is empty afterwards and a second run does nothing.
    void RunInReverse() {
        while (m_count > 0) {
            --m_count;
            const Entry entry = m_entries[m_count];
            entry.function(entry.argument);
        }
    }

    int Size() const { return m_count; }

private:
    // The module registers one function (the release of the external library); a few spare
    // places cost nothing.
    static constexpr int kCapacity = 4;

    struct Entry {
        Function function;
        void* argument;
    };

    Entry m_entries[kCapacity]{};
    int m_count = 0;
};

} // namespace opm::detail
