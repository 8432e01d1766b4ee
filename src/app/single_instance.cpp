#include "app/single_instance.h"

namespace lumora {

SingleInstanceGuard::SingleInstanceGuard() noexcept {
    m_event.reset(::CreateEventW(nullptr, FALSE, FALSE, L"Local\\LumoraIndicatorEvent"));
    m_anotherInstance = m_event && ::GetLastError() == ERROR_ALREADY_EXISTS;
}

void SingleInstanceGuard::SignalRunningInstance() const noexcept {
    ::SetEvent(m_event.get());
}

}  // namespace lumora
