#pragma once

#include <windows.h>

namespace lumora {

// Runs the program's message loop until WM_QUIT and returns that message's wParam.
// While the queue is empty it sleeps on the queue and on `instanceEvent`; each time the
// event is set, `onInstanceEvent` runs. Without an event (it could not be created) the loop
// waits on the queue alone, so it cannot spin on a failing wait.
using InstanceEventHandler = void (*)();
WPARAM RunMessageLoop(HANDLE instanceEvent, HACCEL accelerators, InstanceEventHandler onInstanceEvent);

}  // namespace lumora
