#pragma once
// Runs a callable when the scope ends, for clean-up that has no owner class of its own.

#include <utility>

namespace lumora {

template <typename Callable>
class ScopeExit {
public:
    explicit ScopeExit(Callable callable) : m_callable(std::move(callable)) {}
    ~ScopeExit() {
        if (m_active) m_callable();
    }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    void dismiss() noexcept { m_active = false; }

private:
    Callable m_callable;
    bool m_active = true;
};

}  // namespace lumora
