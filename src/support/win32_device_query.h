#pragma once
// Questions to a device driver whose answer is one fixed structure.

#include <windows.h>

namespace lumora {

// True only when the driver filled the whole answer: a shorter one holds nothing to go by.
template <typename Answer>
bool QueryDevice(HANDLE device, DWORD controlCode, Answer& answer) {
    DWORD returned = 0;
    return ::DeviceIoControl(device, controlCode, nullptr, 0, &answer, sizeof(answer), &returned, nullptr) &&
           returned >= sizeof(answer);
}

}  // namespace lumora
