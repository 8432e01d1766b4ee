#include "settings/win32_settings_platform.h"

#include <shlobj.h>

#include <algorithm>
#include <memory>

#include "support/file_system_helpers.h"
#include "support/wide_text.h"

namespace lumora {

namespace {

// Far beyond any settings file; a bigger one is not ours to rewrite.
constexpr LONGLONG kLargestSettingsFile = 64LL * 1024 * 1024;

std::wstring SystemPath(const std::u16string& path) { return CFileSystemHelpers::ForSystem(AsWide(path)); }

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 20));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written != chunk) return false;
        bytes.remove_prefix(chunk);
    }
    return true;
}

// A new, empty file beside the target, unique to this process; empty when none can be made.
std::wstring CreateSiblingTemporary(const std::u16string& target, FileHandle& file) {
    for (uint32_t attempt = 0; attempt < 16; ++attempt) {
        const std::wstring candidate = SystemPath(SaveTemporaryPath(target, ::GetCurrentProcessId(), attempt));
        file.reset(::CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
        if (file) return candidate;
        if (::GetLastError() != ERROR_FILE_EXISTS && ::GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    return std::wstring();
}

bool ShellFolder(int csidl, std::u16string& folder) {
    // The shell's contract for this call is a buffer of MAX_PATH characters.
    wchar_t buffer[MAX_PATH] = L"";
    if (!::SHGetSpecialFolderPathW(nullptr, buffer, csidl, TRUE)) return false;
    folder = ToUtf16(buffer);
    return !folder.empty();
}

}  // namespace

bool Win32SettingsFileAccess::ReadWhole(const std::u16string& path, bool createIfMissing, std::string& bytes) {
    const std::wstring target = SystemPath(path);
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    const DWORD disposition = (createIfMissing && attributes == INVALID_FILE_ATTRIBUTES) ? OPEN_ALWAYS : OPEN_EXISTING;
    FileHandle file(::CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > kLargestSettingsFile) return false;
    bytes.clear();
    bytes.reserve(static_cast<size_t>(size.QuadPart));
    char chunk[65536];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), chunk, sizeof(chunk), &read, nullptr)) return false;
        if (read == 0) return true;
        bytes.append(chunk, read);
        if (static_cast<LONGLONG>(bytes.size()) > kLargestSettingsFile) return false;
    }
}

bool Win32SettingsFileAccess::ReplaceWhole(const std::u16string& path, std::string_view bytes) {
    const std::wstring target = SystemPath(path);
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    // Wine lets a read-only file be replaced; Windows would refuse, and so do we.
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
        return false;
    }
    FileHandle file;
    const std::wstring temporary = CreateSiblingTemporary(path, file);
    if (temporary.empty()) return false;
    const bool written = WriteAll(file.get(), bytes) && ::FlushFileBuffers(file.get());
    file.reset();
    // The old file is only ever replaced by a complete new one, in one step.
    if (written &&
        ::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    ::DeleteFileW(temporary.c_str());
    return false;
}

void Win32SettingsFileAccess::RemoveSaveTemporaries(const std::u16string& path) {
    const std::u16string folder = path.substr(0, path.find_last_of(u"\\/") + 1);
    WIN32_FIND_DATAW found{};
    // The pattern only narrows the search (it also matches short names); each name is checked.
    FindHandle search(::FindFirstFileW(SystemPath(path + u".*.tmp").c_str(), &found));
    if (!search) return;
    do {
        const std::u16string candidate = folder + ToUtf16(found.cFileName);
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsSaveTemporaryPath(path, candidate)) {
            ::DeleteFileW(SystemPath(candidate).c_str());
        }
    } while (::FindNextFileW(search.get(), &found));
}

void Win32CaseMapping::Lower(std::u16string& text) const {
    if (text.empty()) return;
    // CharLowerBuffW takes a length, so embedded nulls and long names are lowered whole.
    for (size_t done = 0; done < text.size();) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - done, 0x7FFFFFFF));
        ::CharLowerBuffW(reinterpret_cast<wchar_t*>(text.data() + done), chunk);
        done += chunk;
    }
}

bool Win32SettingsFolders::LocalAppData(std::u16string& folder) { return ShellFolder(CSIDL_LOCAL_APPDATA, folder); }

bool Win32SettingsFolders::Documents(std::u16string& folder) {
    return ShellFolder(CSIDL_PERSONAL | CSIDL_FLAG_CREATE, folder);
}

std::u16string Win32SettingsFolders::ModuleFolder() {
    return ToUtf16(g_fileSystem.ModuleFolder(::GetModuleHandleW(nullptr)));
}

bool Win32SettingsFolders::CreatePath(const std::u16string& path) {
    return CFileSystemHelpers::CreatePath(AsWide(path));
}

void GdiLampBrushes::Rebuild(uint32_t colorRead, uint32_t colorWrite, uint32_t colorOff) {
    m_read.reset(::CreateSolidBrush(colorRead));
    m_write.reset(::CreateSolidBrush(colorWrite));
    m_off.reset(::CreateSolidBrush(colorOff));
    ++m_generation;
}

SettingsFileAccess& SettingsFiles() {
    static auto* const files = new Win32SettingsFileAccess;
    return *files;
}

const CaseMapping& SettingsCaseMapping() {
    static auto* const mapping = new Win32CaseMapping;
    return *mapping;
}

SettingsFolders& SettingsFolderLookup() {
    static auto* const folders = new Win32SettingsFolders;
    return *folders;
}

void InstallLampBrushes() {
    if (!LampBrushesOfSettings()) g_settings.AttachBrushes(std::make_unique<GdiLampBrushes>());
}

const GdiLampBrushes* LampBrushesOfSettings() { return static_cast<const GdiLampBrushes*>(g_settings.Brushes()); }

}  // namespace lumora
