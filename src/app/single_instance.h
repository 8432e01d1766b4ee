#pragma once

#include "support/win_owners.h"

namespace lumora {

// The named auto-reset event that keeps one instance per logon session. A second instance
// sets it to bring the first one's options window forward, then leaves.
class SingleInstanceGuard {
public:
    SingleInstanceGuard() noexcept;

    // True when another instance of this logon session already owns the event.
    bool AnotherInstanceRuns() const noexcept { return m_anotherInstance; }
    // Wakes the running instance; call only when AnotherInstanceRuns().
    void SignalRunningInstance() const noexcept;
    // The event to wait on, or null when it could not be created.
    HANDLE Event() const noexcept { return m_event.get(); }

private:
    KernelHandle m_event;
    bool m_anotherInstance = false;
};

}  // namespace lumora
