// probe.exe: the end-to-end tests' eyes and hands inside a Wine prefix. Each command prints
// its answer on stdout and exits 0, or prints "error: ..." on stderr and exits 1.
//
//   windows [CLASS]                 top-level and message-only windows, one JSON object a line
//   children CLASS                  the child windows of the first window of CLASS, one JSON object a line
//   texts CLASS                     the text of each visible window of CLASS (WM_GETTEXT), one JSON string a line
//   item-text CLASS ID              the text of control ID in the first window of CLASS (WM_GETTEXT), as a JSON string
//   trackbar-pos CLASS ID           the position of trackbar ID in the first window of CLASS (TBM_GETPOS)
//   edit-first-line CLASS ID        the first visible line of edit control ID in the first window of CLASS
//   wait-window CLASS MS            waits until a window of CLASS exists; prints it
//   wait-loop CLASS MS              waits until the window's owner runs its message loop; prints it
//   pixel X Y                       screen colour at (X, Y) as RRGGBB
//   wait-key VK MS                  waits until GetAsyncKeyState says the virtual key is down
//   watch-scroll-lock MS            for MS, prints "on" or "off" at start and at each change of ScrollLock
//   hold-foreground MS              shows a window of class LumoraProbeForeground and makes it the foreground;
//                                   once it is, prints {"holding": true}; until WM_CLOSE or MS, pumps its
//                                   messages; then prints whether it was deactivated, which class took the
//                                   foreground first (or null) and whether it had the foreground at the end
//   click X Y [left|right|double]   moves the mouse there and clicks
//   drag X1 Y1 X2 Y2 [ctrl|shift]   presses the left button at 1, moves to 2, releases
//   post CLASS MSG WPARAM LPARAM    PostMessageW to the first window of CLASS
//   broadcast NAME                  posts the message registered as NAME to every top-level window
//   quit CLASS [CODE]               posts WM_QUIT to the thread that owns the window of CLASS
//   regget ROOT\KEY VALUE           prints a registry value as "TYPE DATA"
//   perfdump [QUERY]                reads HKEY_PERFORMANCE_DATA (default "234 236") as the program does
//   perfquery BYTES [QUERY]         one query with a buffer of BYTES; prints "RESULT SIZE"
//   screenshot FILE.bmp             the whole screen as a 24-bit BMP

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "perf_dump.h"
#include "support/win_owners.h"
#include "probe_output.h"

namespace probe {
namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "error: %s\n", message.c_str());
    return 1;
}

long Number(const wchar_t* text) { return std::wcstol(text, nullptr, 0); }

std::string WindowJson(HWND window, bool messageOnly) {
    wchar_t className[256] = L"";
    wchar_t title[512] = L"";
    ::GetClassNameW(window, className, 256);
    ::GetWindowTextW(window, title, 512);
    RECT rect{};
    ::GetWindowRect(window, &rect);
    DWORD pid = 0;
    const DWORD tid = ::GetWindowThreadProcessId(window, &pid);
    char fields[512];
    std::snprintf(fields, sizeof(fields),
                  "\"hwnd\": %llu, \"rect\": [%ld, %ld, %ld, %ld], \"visible\": %s, \"style\": %lu, "
                  "\"exstyle\": %lu, \"pid\": %lu, \"tid\": %lu, \"messageOnly\": %s",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)), rect.left, rect.top,
                  rect.right, rect.bottom, ::IsWindowVisible(window) ? "true" : "false",
                  static_cast<unsigned long>(::GetWindowLongPtrW(window, GWL_STYLE)),
                  static_cast<unsigned long>(::GetWindowLongPtrW(window, GWL_EXSTYLE)), pid, tid,
                  messageOnly ? "true" : "false");
    return "{\"class\": " + JsonString(Utf8(className)) + ", \"title\": " + JsonString(Utf8(title)) + ", " +
           fields + "}";
}

struct Listing {
    const wchar_t* wantedClass;
    std::vector<HWND> found;
};

bool ClassMatches(HWND window, const wchar_t* wantedClass) {
    if (!wantedClass) return true;
    wchar_t className[256] = L"";
    ::GetClassNameW(window, className, 256);
    return ::lstrcmpiW(className, wantedClass) == 0;
}

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM context) {
    auto* listing = reinterpret_cast<Listing*>(context);
    if (ClassMatches(window, listing->wantedClass)) listing->found.push_back(window);
    return TRUE;
}

// Top-level windows first, then message-only ones (EnumWindows does not see those).
std::vector<std::pair<HWND, bool>> FindWindows(const wchar_t* wantedClass) {
    Listing listing{wantedClass, {}};
    ::EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&listing));
    std::vector<std::pair<HWND, bool>> windows;
    for (HWND window : listing.found) windows.emplace_back(window, false);
    for (HWND window = nullptr; (window = ::FindWindowExW(HWND_MESSAGE, window, wantedClass, nullptr)) != nullptr;) {
        windows.emplace_back(window, true);
    }
    return windows;
}

HWND FirstWindow(const wchar_t* wantedClass) {
    const auto windows = FindWindows(wantedClass);
    return windows.empty() ? nullptr : windows.front().first;
}

int ListWindows(const wchar_t* wantedClass) {
    for (const auto& [window, messageOnly] : FindWindows(wantedClass)) PrintLine(WindowJson(window, messageOnly));
    return 0;
}

BOOL CALLBACK PrintChild(HWND window, LPARAM) {
    PrintLine(WindowJson(window, false));
    return TRUE;
}

int ListChildren(const wchar_t* parentClass) {
    HWND parent = FirstWindow(parentClass);
    if (!parent) return Fail("no window of that class");
    ::EnumChildWindows(parent, PrintChild, 0);
    return 0;
}

// GetWindowTextW gives another process's window its caption only; a tooltip keeps the text it
// shows elsewhere and hands it out through WM_GETTEXT, which the system carries across processes.
int ListTexts(const wchar_t* wantedClass) {
    for (const auto& [window, messageOnly] : FindWindows(wantedClass)) {
        if (messageOnly || !::IsWindowVisible(window)) continue;
        wchar_t text[4096] = L"";
        DWORD_PTR copied = 0;
        if (!::SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                                   &copied)) {
            continue;
        }
        PrintLine(JsonString(Utf8(text, static_cast<int>(copied))));
    }
    return 0;
}

struct ItemSearch {
    int id;
    HWND found;
};

BOOL CALLBACK FindItem(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<ItemSearch*>(context);
    if (::GetDlgCtrlID(window) != search->id) return TRUE;
    search->found = window;
    return FALSE;
}

// A control of the window or of a page inside it: the options window's pages sit in its tab control.
HWND ItemOf(const wchar_t* wantedClass, int id) {
    HWND window = FirstWindow(wantedClass);
    if (!window) return nullptr;
    if (HWND item = ::GetDlgItem(window, id)) return item;
    ItemSearch search{id, nullptr};
    ::EnumChildWindows(window, FindItem, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

int ItemText(const wchar_t* wantedClass, int id) {
    HWND item = ItemOf(wantedClass, id);
    if (!item) return Fail("no such control");
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(item, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) {
        return Fail("the control did not answer");
    }
    std::vector<wchar_t> text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(item, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                               2000, &copied)) {
        return Fail("the control did not answer");
    }
    PrintLine(JsonString(Utf8(text.data(), static_cast<int>(copied))));
    return 0;
}

int TrackbarPos(const wchar_t* wantedClass, int id) {
    HWND item = ItemOf(wantedClass, id);
    if (!item) return Fail("no such control");
    // TBM_GETPOS (WM_USER): its answer is a plain number, so it crosses processes as it is.
    DWORD_PTR position = 0;
    if (!::SendMessageTimeoutW(item, WM_USER, 0, 0, SMTO_ABORTIFHUNG, 2000, &position)) {
        return Fail("the control did not answer");
    }
    PrintLine(std::to_string(static_cast<long>(position)));
    return 0;
}

int EditFirstLine(const wchar_t* wantedClass, int id) {
    HWND item = ItemOf(wantedClass, id);
    if (!item) return Fail("no such control");
    DWORD_PTR line = 0;
    if (!::SendMessageTimeoutW(item, EM_GETFIRSTVISIBLELINE, 0, 0, SMTO_ABORTIFHUNG, 2000, &line)) {
        return Fail("the control did not answer");
    }
    PrintLine(std::to_string(line));
    return 0;
}

int WaitWindow(const wchar_t* wantedClass, long timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    for (;;) {
        const auto windows = FindWindows(wantedClass);
        if (!windows.empty()) {
            PrintLine(WindowJson(windows.front().first, windows.front().second));
            return 0;
        }
        if (::GetTickCount64() >= deadline) return Fail("no window of that class in time");
        ::Sleep(50);
    }
}

struct Answer {
    bool done = false;
    LRESULT result = 0;
};

VOID CALLBACK KeepAnswer(HWND, UINT, ULONG_PTR context, LRESULT result) {
    auto* answer = reinterpret_cast<Answer*>(context);
    answer->done = true;
    answer->result = result;
}

// Only the owner's message loop dispatches a posted message: a program still starting, even one
// that waits for the answer to a message it sent, delivers sent messages alone. So the icon posted
// here, new in this process and so unlike any posted before, comes back from WM_GETICON only once
// the loop has run, and with it everything the program does before its loop.
int WaitLoop(const wchar_t* wantedClass, long timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    std::vector<std::pair<HWND, bool>> windows;
    while ((windows = FindWindows(wantedClass)).empty()) {
        if (::GetTickCount64() >= deadline) return Fail("no window of that class in time");
        ::Sleep(50);
    }
    const auto [window, messageOnly] = windows.front();
    const lumora::CreatedIconHandle marker(::CopyIcon(::LoadIconW(nullptr, IDI_APPLICATION)));
    const auto markerValue = reinterpret_cast<LRESULT>(marker.get());
    if (!marker || !::PostMessageW(window, WM_SETICON, ICON_SMALL, markerValue)) return Fail("cannot post the icon");
    for (;;) {
        Answer answer;
        if (!::SendMessageCallbackW(window, WM_GETICON, ICON_SMALL, 0, KeepAnswer, reinterpret_cast<ULONG_PTR>(&answer))) {
            return Fail("the window went away");
        }
        while (!answer.done) {
            if (::GetTickCount64() >= deadline) return Fail("its message loop did not run in time");
            // The loop sleeps until a posted message or a timer comes, not a sent message: wake it.
            ::PostMessageW(window, WM_NULL, 0, 0);
            MSG message;
            ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // delivers the answer
            ::Sleep(20);
        }
        if (answer.result == markerValue) {
            PrintLine(WindowJson(window, messageOnly));
            return 0;
        }
    }
}

int Pixel(int x, int y) {
    lumora::WindowDC screen(nullptr);
    const COLORREF colour = ::GetPixel(screen.get(), x, y);
    if (colour == CLR_INVALID) return Fail("pixel outside the screen");
    char text[16];
    std::snprintf(text, sizeof(text), "%02X%02X%02X", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    PrintLine(text);
    return 0;
}

// The asynchronous key state is the desktop's: once this process sees the key down, so does
// the program under test.
int WaitKey(int key, long timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    while (::GetAsyncKeyState(key) >= 0) {
        if (::GetTickCount64() >= deadline) return Fail("the key is not down in time");
        ::Sleep(20);
    }
    return 0;
}

// A thread under Wine learns the key state that others changed only at the key's next change
// after its queue exists, so the state is followed for a while rather than read once.
int WatchScrollLock(long durationMs) {
    const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(durationMs);
    MSG message;
    ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // makes the queue
    int shown = -1;
    while (::GetTickCount64() < deadline) {
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
        const int on = ::GetKeyState(VK_SCROLL) & 1;
        if (on != shown) PrintLine(on ? "on" : "off");
        shown = on;
        ::Sleep(5);
    }
    return 0;
}

constexpr wchar_t kHolderClass[] = L"LumoraProbeForeground";
bool g_holderCloseAsked = false;
bool g_holderDeactivated = false;

LRESULT CALLBACK HolderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        g_holderCloseAsked = true;
        return 0;
    }
    if (message == WM_ACTIVATE && LOWORD(wParam) == WA_INACTIVE) g_holderDeactivated = true;
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void PumpMessages() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
}

// Another program's window, in which the user types while the program under test runs: a
// deactivation may be brief, so the messages are watched as well as the foreground.
int HoldForeground(long timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = HolderProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kHolderClass;
    if (!::RegisterClassW(&windowClass)) return Fail("cannot register the window class");
    // Clear of the lamps and the tray in the top-left corner, whose pixels the tests read.
    HWND window = ::CreateWindowExW(0, kHolderClass, L"probe holds the foreground", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                    200, 200, 200, 120, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!window) return Fail("cannot create the window");
    ::SetForegroundWindow(window);
    while (::GetForegroundWindow() != window) {
        if (::GetTickCount64() >= deadline) return Fail("the window never became the foreground");
        PumpMessages();
        ::Sleep(10);
    }
    g_holderDeactivated = false;  // only a loss after the window held the foreground counts
    PrintLine("{\"holding\": true}");
    std::string lostTo;
    while (!g_holderCloseAsked && ::GetTickCount64() < deadline) {
        PumpMessages();
        HWND foreground = ::GetForegroundWindow();
        if (foreground != window && lostTo.empty()) {
            wchar_t className[256] = L"(none)";
            if (foreground) ::GetClassNameW(foreground, className, 256);
            lostTo = Utf8(className);
        }
        ::Sleep(10);
    }
    const bool atEnd = ::GetForegroundWindow() == window;
    const bool deactivated = g_holderDeactivated;  // before its own end deactivates the window
    ::DestroyWindow(window);
    PrintLine(std::string("{\"deactivated\": ") + (deactivated ? "true" : "false") +
              ", \"lostTo\": " + (lostTo.empty() ? "null" : JsonString(lostTo)) +
              ", \"foregroundAtEnd\": " + (atEnd ? "true" : "false") + "}");
    return 0;
}

void SendMouse(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    ::SendInput(1, &input, sizeof(input));
    ::Sleep(30);
}

void SendKey(WORD key, bool down) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    ::SendInput(1, &input, sizeof(input));
    ::Sleep(30);
}

int Click(int x, int y, const wchar_t* how) {
    ::SetCursorPos(x, y);
    ::Sleep(50);
    const bool right = how && ::lstrcmpiW(how, L"right") == 0;
    const int times = how && ::lstrcmpiW(how, L"double") == 0 ? 2 : 1;
    for (int i = 0; i < times; ++i) {
        SendMouse(right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN);
        SendMouse(right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP);
    }
    return 0;
}

int Drag(int x1, int y1, int x2, int y2, const wchar_t* modifier) {
    WORD key = 0;
    if (modifier && ::lstrcmpiW(modifier, L"ctrl") == 0) key = VK_CONTROL;
    if (modifier && ::lstrcmpiW(modifier, L"shift") == 0) key = VK_SHIFT;
    ::SetCursorPos(x1, y1);
    ::Sleep(50);
    if (key) SendKey(key, true);
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    // Several steps, as a hand would move, so that the window sees WM_MOUSEMOVE on its way.
    for (int step = 1; step <= 8; ++step) {
        ::SetCursorPos(x1 + (x2 - x1) * step / 8, y1 + (y2 - y1) * step / 8);
        SendMouse(MOUSEEVENTF_MOVE);
    }
    SendMouse(MOUSEEVENTF_LEFTUP);
    if (key) SendKey(key, false);
    return 0;
}

int Post(const wchar_t* wantedClass, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = FirstWindow(wantedClass);
    if (!window) return Fail("no window of that class");
    return ::PostMessageW(window, message, wParam, lParam) ? 0 : Fail("PostMessageW failed");
}

int Broadcast(const wchar_t* name) {
    const UINT message = ::RegisterWindowMessageW(name);
    if (!message) return Fail("RegisterWindowMessageW failed");
    return ::PostMessageW(HWND_BROADCAST, message, 0, 0) ? 0 : Fail("PostMessageW failed");
}

int Quit(const wchar_t* wantedClass, WPARAM code) {
    HWND window = FirstWindow(wantedClass);
    if (!window) return Fail("no window of that class");
    const DWORD thread = ::GetWindowThreadProcessId(window, nullptr);
    return ::PostThreadMessageW(thread, WM_QUIT, code, 0) ? 0 : Fail("PostThreadMessageW failed");
}

int RegGet(const wchar_t* path, const wchar_t* valueName) {
    struct Root {
        const wchar_t* name;
        HKEY key;
    };
    const Root roots[] = {{L"HKCU\\", HKEY_CURRENT_USER}, {L"HKLM\\", HKEY_LOCAL_MACHINE}};
    for (const Root& root : roots) {
        const size_t prefix = std::wcslen(root.name);
        if (::CompareStringOrdinal(path, static_cast<int>(prefix), root.name, static_cast<int>(prefix), TRUE) != CSTR_EQUAL) {
            continue;
        }
        lumora::RegistryKeyHandle key;
        if (::RegOpenKeyExW(root.key, path + prefix, 0, KEY_READ, key.receive()) != ERROR_SUCCESS) {
            return Fail("no such key");
        }
        DWORD type = 0;
        DWORD size = 0;
        LONG result = ::RegQueryValueExW(key.get(), valueName, nullptr, &type, nullptr, &size);
        std::vector<BYTE> data(size + 2, 0);
        if (result == ERROR_SUCCESS) {
            result = ::RegQueryValueExW(key.get(), valueName, nullptr, &type, data.data(), &size);
        }
        if (result != ERROR_SUCCESS) return Fail("no such value");
        if (type == REG_SZ || type == REG_EXPAND_SZ) {
            const auto* text = reinterpret_cast<const wchar_t*>(data.data());
            int length = static_cast<int>(size / 2);
            while (length > 0 && text[length - 1] == L'\0') --length;  // stored with or without its NUL
            PrintLine("REG_SZ " + Utf8(text, length));
        } else if (type == REG_DWORD && size == 4) {
            DWORD value;
            std::memcpy(&value, data.data(), 4);
            PrintLine("REG_DWORD " + std::to_string(value));
        } else {
            std::string hex = "REG_BINARY ";
            char byte[4];
            for (DWORD i = 0; i < size; ++i) {
                std::snprintf(byte, sizeof(byte), "%02x", data[i]);
                hex += byte;
            }
            PrintLine(hex);
        }
        return 0;
    }
    return Fail("the key must start with HKCU\\ or HKLM\\");
}

int PerfDump(const wchar_t* query) {
    std::vector<uint8_t> block(65536);
    for (;;) {
        DWORD size = static_cast<DWORD>(block.size());
        const LONG result = ::RegQueryValueExW(HKEY_PERFORMANCE_DATA, query, nullptr, nullptr, block.data(), &size);
        if (result == ERROR_MORE_DATA) {
            if (block.size() >= (64u << 20)) return Fail("ERROR_MORE_DATA up to 64 MiB");
            block.resize(block.size() + 65536);
            continue;
        }
        ::RegCloseKey(HKEY_PERFORMANCE_DATA);
        if (result != ERROR_SUCCESS) return Fail("RegQueryValueExW answered " + std::to_string(result));
        block.resize(size);
        std::string text = DumpPerfBlock(block);
        std::fwrite(text.data(), 1, text.size(), stdout);
        return 0;
    }
}

int PerfQuery(DWORD bytes, const wchar_t* query) {
    std::vector<uint8_t> block(bytes);
    DWORD size = bytes;
    const LONG result = ::RegQueryValueExW(HKEY_PERFORMANCE_DATA, query, nullptr, nullptr, block.data(), &size);
    ::RegCloseKey(HKEY_PERFORMANCE_DATA);
    PrintLine(std::to_string(result) + " " + std::to_string(size));
    return 0;
}

int Screenshot(const wchar_t* file) {
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    lumora::WindowDC screen(nullptr);
    lumora::MemoryDC memory(screen.get());
    lumora::BitmapHandle bitmap(::CreateCompatibleBitmap(screen.get(), width, height));
    {
        lumora::SelectObjectGuard selected(memory.get(), bitmap.get());
        ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), 0, 0, SRCCOPY);
    }

    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::vector<BYTE> pixels(static_cast<size_t>(stride) * static_cast<size_t>(height));
    ::GetDIBits(memory.get(), bitmap.get(), 0, static_cast<UINT>(height), pixels.data(),
                reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);

    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof(header) + sizeof(info);
    header.bfSize = header.bfOffBits + static_cast<DWORD>(pixels.size());
    FILE* out = ::_wfopen(file, L"wb");
    if (!out) return Fail("cannot write the screenshot");
    std::fwrite(&header, sizeof(header), 1, out);
    std::fwrite(&info, sizeof(info), 1, out);
    std::fwrite(pixels.data(), 1, pixels.size(), out);
    std::fclose(out);
    return 0;
}

int Usage() { return Fail("usage: see the comment at the top of probe.cpp"); }

}  // namespace
}  // namespace probe

int wmain(int argc, wchar_t** argv) {
    using namespace probe;
    if (argc < 2) return Usage();
    const std::wstring command = argv[1];
    auto arg = [&](int i) -> const wchar_t* { return i < argc ? argv[i] : nullptr; };

    if (command == L"windows") return ListWindows(arg(2));
    if (command == L"children" && argc >= 3) return ListChildren(argv[2]);
    if (command == L"texts" && argc >= 3) return ListTexts(argv[2]);
    if (command == L"item-text" && argc >= 4) return ItemText(argv[2], static_cast<int>(Number(argv[3])));
    if (command == L"trackbar-pos" && argc >= 4) return TrackbarPos(argv[2], static_cast<int>(Number(argv[3])));
    if (command == L"edit-first-line" && argc >= 4) return EditFirstLine(argv[2], static_cast<int>(Number(argv[3])));
    if (command == L"wait-window" && argc >= 4) return WaitWindow(argv[2], Number(argv[3]));
    if (command == L"wait-loop" && argc >= 4) return WaitLoop(argv[2], Number(argv[3]));
    if (command == L"pixel" && argc >= 4) return Pixel(static_cast<int>(Number(argv[2])), static_cast<int>(Number(argv[3])));
    if (command == L"wait-key" && argc >= 4) return WaitKey(static_cast<int>(Number(argv[2])), Number(argv[3]));
    if (command == L"watch-scroll-lock" && argc >= 3) return WatchScrollLock(Number(argv[2]));
    if (command == L"hold-foreground" && argc >= 3) return HoldForeground(Number(argv[2]));
    if (command == L"click" && argc >= 4) {
        return Click(static_cast<int>(Number(argv[2])), static_cast<int>(Number(argv[3])), arg(4));
    }
    if (command == L"drag" && argc >= 6) {
        return Drag(static_cast<int>(Number(argv[2])), static_cast<int>(Number(argv[3])),
                    static_cast<int>(Number(argv[4])), static_cast<int>(Number(argv[5])), arg(6));
    }
    if (command == L"post" && argc >= 6) {
        return Post(argv[2], static_cast<UINT>(Number(argv[3])), static_cast<WPARAM>(Number(argv[4])),
                    static_cast<LPARAM>(Number(argv[5])));
    }
    if (command == L"broadcast" && argc >= 3) return Broadcast(argv[2]);
    if (command == L"quit" && argc >= 3) return Quit(argv[2], arg(3) ? static_cast<WPARAM>(Number(argv[3])) : 0);
    if (command == L"regget" && argc >= 4) return RegGet(argv[2], argv[3]);
    if (command == L"perfdump") return PerfDump(arg(2) ? arg(2) : L"234 236");
    if (command == L"perfquery" && argc >= 3) {
        return PerfQuery(static_cast<DWORD>(Number(argv[2])), arg(3) ? arg(3) : L"234 236");
    }
    if (command == L"screenshot" && argc >= 3) return Screenshot(argv[2]);
    return Usage();
}
