#include "support/win32_library.h"

namespace lumora {

HMODULE LoadSystemLibrary(const wchar_t* fileName) {
    HMODULE library = ::LoadLibraryExW(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Systems without the search flags refuse it as a bad parameter: name the file in full there.
    if (library || ::GetLastError() != ERROR_INVALID_PARAMETER) return library;
    wchar_t path[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length + 1 + ::lstrlenW(fileName) + 1 > MAX_PATH) return nullptr;
    path[length] = L'\\';
    ::lstrcpyW(path + length + 1, fileName);
    return ::LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace lumora
