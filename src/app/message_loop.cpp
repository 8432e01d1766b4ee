#include "app/message_loop.h"

namespace lumora {
namespace {

// Dispatches everything queued; true and the quit code when WM_QUIT was met.
bool DrainQueue(HACCEL accelerators, WPARAM& quitCode) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quitCode = msg.wParam;
            return true;
        }
        // The command goes to the top-level window: a key typed in an options page reaches the
        // page's control, which would drop the About command that the frame handles.
        if (accelerators && msg.hwnd && ::TranslateAcceleratorW(::GetAncestor(msg.hwnd, GA_ROOT), accelerators, &msg)) {
            continue;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return false;
}

}  // namespace

WPARAM RunMessageLoop(HANDLE instanceEvent, HACCEL accelerators, InstanceEventHandler onInstanceEvent) {
    WPARAM quitCode = 0;
    for (;;) {
        if (DrainQueue(accelerators, quitCode)) return quitCode;
        if (!instanceEvent) {
            ::WaitMessage();
            continue;
        }
        // Sent messages and QS_ALLPOSTMESSAGE are outside this mask on purpose: sent messages
        // are delivered inside PeekMessageW anyway.
        const DWORD woken = ::MsgWaitForMultipleObjects(1, &instanceEvent, FALSE, INFINITE, QS_ALLEVENTS);
        if (woken == WAIT_OBJECT_0 + 1) continue;
        if (woken == WAIT_OBJECT_0) {
            if (onInstanceEvent) onInstanceEvent();
            continue;
        }
        // A failed wait would otherwise repeat at once; fall back to waiting on the queue.
        ::WaitMessage();
    }
}

}  // namespace lumora
