#pragma once
// Functions that later Windows versions added, looked up at run time in the system's own copy of
// their DLL, so that the program still starts on the versions without them.

#include <windows.h>

namespace lumora {

// Only the system's own copy: the default search order also looks in the program's folder and
// the current directory, where anyone could leave a DLL of that name. Null when the system has
// no such DLL. The caller owns the module.
HMODULE LoadSystemLibrary(const wchar_t* fileName);

// The module's export of that name as a function pointer, null when it (or the module) is missing.
template <typename Function>
Function Export(HMODULE module, const char* name) {
    if (!module) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

}  // namespace lumora
