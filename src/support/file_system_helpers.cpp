#include "support/file_system_helpers.h"

#include <shellapi.h>

#include <algorithm>

#include "support/trace_log.h"
#include "support/wide_text.h"

namespace lumora {

CFileSystemHelpers g_fileSystem;

namespace {

// Traces "entering"/"exiting" around one operation; Exec leaves without the exit trace on failure.
class LoggedCall {
public:
    explicit LoggedCall(const char16_t* name) : m_name(name) { g_log.LogEnter(m_name); }
    ~LoggedCall() {
        if (m_active) g_log.LogExit(m_name);
    }
    LoggedCall(const LoggedCall&) = delete;
    LoggedCall& operator=(const LoggedCall&) = delete;
    void Failed() const { g_log.LogFailed(m_name); }
    void SkipExit() { m_active = false; }

private:
    const char16_t* m_name;
    bool m_active = true;
};

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Characters at the start of a path that name no folder of their own: a drive, a UNC share,
// and the extended-length prefix in front of either.
size_t RootLength(const std::wstring& path) {
    size_t start = 0;
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) {
        start = 8;
    } else if (path.rfind(L"\\\\?\\", 0) == 0) {
        start = 4;
    } else if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        start = 2;
    } else {
        return path.size() >= 3 && path[1] == L':' ? 2 : 0;
    }
    if (start == 4) return path.size() >= start + 2 && path[start + 1] == L':' ? start + 2 : start;
    // \\server\share: both components belong to the root.
    size_t end = start;
    for (int component = 0; component < 2 && end < path.size(); ++component) {
        while (end < path.size() && !IsSeparator(path[end])) ++end;
        if (component == 0 && end < path.size()) ++end;
    }
    return end;
}

bool IsDirectory(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(CFileSystemHelpers::ForSystem(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool ReadWholeFile(HANDLE file, std::string& bytes) {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size) || size.QuadPart < 0) return false;
    LARGE_INTEGER start{};
    if (!::SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return false;
    bytes.clear();
    char chunk[65536];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file, chunk, sizeof(chunk), &read, nullptr)) return false;
        if (read == 0) return true;
        bytes.append(chunk, read);
    }
}

}  // namespace

std::wstring CFileSystemHelpers::Join(const wchar_t* folder, const wchar_t* name) {
    std::wstring path = folder ? folder : L"";
    if (path.empty() || !IsSeparator(path.back())) path += L'\\';
    return path + (name ? name : L"");
}

std::wstring CFileSystemHelpers::ForSystem(const std::wstring& path) {
    // Below the shortest limit (CreateDirectoryW's MAX_PATH - 12) the plain form works everywhere.
    if (path.size() < MAX_PATH - 12 || path.rfind(L"\\\\?\\", 0) == 0) return path;
    const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::wstring full(needed, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return path;
    full.resize(length);
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    if (full.size() >= 2 && full[1] == L':') return L"\\\\?\\" + full;
    return path;
}

std::wstring CFileSystemHelpers::ModuleFilePath(HMODULE module) {
    // GetModuleFileNameW cuts silently at the buffer's end, so grow until the name fits.
    for (DWORD capacity = MAX_PATH; capacity <= 65536; capacity *= 2) {
        std::wstring buffer(capacity, L'\0');
        const DWORD length = ::GetModuleFileNameW(module, buffer.data(), capacity);
        if (length == 0) return std::wstring();
        if (length < capacity) {
            buffer.resize(length);
            return buffer;
        }
    }
    return std::wstring();
}

wchar_t* CFileSystemHelpers::ReserveResult(size_t characters) {
    if (m_result.size() < characters + 1) m_result.resize(characters + 1);
    return m_result.data();
}

const wchar_t* CFileSystemHelpers::StoreResult(const std::wstring& text) {
    wchar_t* buffer = ReserveResult(text.size());
    std::copy(text.begin(), text.end(), buffer);
    buffer[text.size()] = L'\0';
    return buffer;
}

const wchar_t* CFileSystemHelpers::AddSeparator(const wchar_t* folder) {
    const std::wstring text = folder ? folder : L"";
    if (!text.empty() && IsSeparator(text.back())) return folder;
    return StoreResult(text + L'\\');
}

bool CFileSystemHelpers::CreatePath(const wchar_t* path) {
    LoggedCall call(u"CFileSystemHelpers::CreatePath");
    const std::wstring full = path ? path : L"";
    const size_t root = RootLength(full);
    for (size_t i = root; i <= full.size(); ++i) {
        if (i < full.size() && !IsSeparator(full[i])) continue;
        // Nothing beyond the root yet, or a doubled or trailing separator: no new folder here.
        if (i == root || IsSeparator(full[i - 1])) continue;
        const std::wstring prefix = full.substr(0, i);
        if (::CreateDirectoryW(ForSystem(prefix).c_str(), nullptr)) continue;
        // A file of that name is in the way as surely as any other failure.
        if (::GetLastError() != ERROR_ALREADY_EXISTS || !IsDirectory(prefix)) return false;
    }
    return !full.empty();
}

HANDLE CFileSystemHelpers::CreateFile(const wchar_t* folder, const wchar_t* name) {
    LoggedCall call(u"CFileSystemHelpers::CreateFile");
    const HANDLE file = ::CreateFileW(ForSystem(Join(folder, name)).c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

const wchar_t* CFileSystemHelpers::ModuleFolder(HMODULE module) {
    const std::wstring path = ModuleFilePath(module ? module : ::GetModuleHandleW(nullptr));
    const size_t last = path.rfind(L'\\');
    if (last == std::wstring::npos) return nullptr;
    return StoreResult(path.substr(0, last + 1));
}

bool CFileSystemHelpers::Create() {
    LoggedCall call(u"CFileSystemHelpers::Create()");
    return true;
}

bool CFileSystemHelpers::Release() {
    LoggedCall call(u"CFileSystemHelpers::Release()");
    return true;
}

bool CFileSystemHelpers::Copy(const wchar_t* sourceFolder, const wchar_t* targetFolder, const wchar_t* name,
                              bool failIfExists) {
    LoggedCall call(u"CFileSystemHelpers::Copy");
    return ::CopyFileW(ForSystem(Join(sourceFolder, name)).c_str(), ForSystem(Join(targetFolder, name)).c_str(),
                       failIfExists) != FALSE;
}

bool CFileSystemHelpers::Copy2(const wchar_t* sourceFolder, const wchar_t* sourceName, const wchar_t* targetFolder,
                               const wchar_t* targetName, bool failIfExists) {
    LoggedCall call(u"CFileSystemHelpers::Copy2");
    return ::CopyFileW(ForSystem(Join(sourceFolder, sourceName)).c_str(),
                       ForSystem(Join(targetFolder, targetName)).c_str(), failIfExists) != FALSE;
}

bool CFileSystemHelpers::Duplicate(const wchar_t* folder, const wchar_t* sourceName, const wchar_t* targetName,
                                   bool failIfExists) {
    LoggedCall call(u"CFileSystemHelpers::Duplicate");
    const std::wstring source = Join(folder, sourceName);
    if (!FileExists(folder, sourceName)) {
        g_log.LogText(u"Following file not found: " + ToUtf16(source.c_str()) + u"\n");
    }
    if (::CopyFileW(ForSystem(source).c_str(), ForSystem(Join(folder, targetName)).c_str(), failIfExists)) return true;
    const DWORD error = ::GetLastError();
    g_log.LogText(u"CFileSystemHelpers::Duplicate copy error");
    g_log.LogValue(error);
    return false;
}

bool CFileSystemHelpers::FileExists(const wchar_t* folder, const wchar_t* name) {
    return ::GetFileAttributesW(ForSystem(Join(folder, name)).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CFileSystemHelpers::Move(const wchar_t* sourcePath, const wchar_t* targetPath) {
    return ::MoveFileExW(ForSystem(sourcePath ? sourcePath : L"").c_str(),
                         ForSystem(targetPath ? targetPath : L"").c_str(),
                         MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH) != FALSE;
}

HANDLE CFileSystemHelpers::Open(const wchar_t* folder, const wchar_t* name) {
    const std::wstring path = (folder && *folder) ? Join(folder, name) : std::wstring(name ? name : L"");
    const HANDLE file = ::CreateFileW(ForSystem(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

DWORD CFileSystemHelpers::WriteFile(HANDLE file, const void* data, DWORD byteCount) {
    LoggedCall call(u"CFileSystemHelpers::WriteFile");
    DWORD written = 0;
    const DWORD result = ::WriteFile(file, data, byteCount, &written, nullptr) ? written : 0xFFFFFFFF;
    g_log.LogValue(result);
    return result;
}

DWORD CFileSystemHelpers::ReadFile(HANDLE file, void* buffer, DWORD byteCount) {
    LoggedCall call(u"CFileSystemHelpers::ReadFile");
    DWORD read = 0;
    const DWORD result = ::ReadFile(file, buffer, byteCount, &read, nullptr) ? read : 0xFFFFFFFF;
    g_log.LogValue(result);
    return result;
}

const wchar_t* CFileSystemHelpers::ReadString(HANDLE file, int64_t byteOffset, uint32_t characterCount) {
    LoggedCall call(u"CFileSystemHelpers::ReadString");
    // Counted in characters, so that every character of the result was read from the file.
    const uint64_t byteCount = uint64_t{characterCount} * sizeof(wchar_t);
    wchar_t* buffer = ReserveResult(characterCount);
    LARGE_INTEGER offset{};
    offset.QuadPart = byteOffset;
    if (byteCount <= 0xFFFFFFFEu && ::SetFilePointerEx(file, offset, nullptr, FILE_BEGIN) &&
        ReadFile(file, buffer, static_cast<DWORD>(byteCount)) == byteCount) {
        buffer[characterCount] = L'\0';
        return buffer;
    }
    call.Failed();
    return nullptr;
}

int64_t CFileSystemHelpers::FindInFile(HANDLE file, const wchar_t* text, int64_t startOffset) {
    LoggedCall call(u"CFileSystemHelpers::FindInFile");
    std::string bytes;
    const std::wstring wanted = text ? text : L"";
    if (startOffset >= 0 && !wanted.empty() && ReadWholeFile(file, bytes) &&
        static_cast<uint64_t>(startOffset) < bytes.size()) {
        const size_t characters = (bytes.size() - static_cast<size_t>(startOffset)) / sizeof(wchar_t);
        std::wstring content(characters, L'\0');
        std::copy_n(bytes.data() + startOffset, characters * sizeof(wchar_t), reinterpret_cast<char*>(content.data()));
        const size_t index = content.find(wanted);
        if (index != std::wstring::npos) {
            LARGE_INTEGER position{};
            position.QuadPart = startOffset + static_cast<int64_t>(index * sizeof(wchar_t));
            ::SetFilePointerEx(file, position, nullptr, FILE_BEGIN);
            return position.QuadPart;
        }
    }
    call.Failed();
    return -1;
}

const wchar_t* CFileSystemHelpers::ReadLine(HANDLE file, const wchar_t* text, int64_t offset) {
    const int64_t begin = FindInFile(file, text, offset);
    if (begin < 0) return nullptr;
    const int64_t lineFeed = FindInFile(file, L"\n", begin);
    if (lineFeed <= begin) return nullptr;
    const int64_t characters = (lineFeed - begin) / static_cast<int64_t>(sizeof(wchar_t)) + 1;
    if (characters > 0xFFFFFFFF) return nullptr;
    return ReadString(file, begin, static_cast<uint32_t>(characters));
}

std::wstring& CFileSystemHelpers::ReadFileToStr(std::wstring& result, const wchar_t* folder, const wchar_t* name) {
    LoggedCall call(u"CFileSystemHelpers::ReadFileToStr");
    result.clear();
    FileHandle file(::CreateFileW(ForSystem(Join(folder, name)).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    std::string bytes;
    if (file && ReadWholeFile(file.get(), bytes)) {
        result.reserve(bytes.size());
        for (char byte : bytes) result.push_back(static_cast<wchar_t>(static_cast<unsigned char>(byte)));
    }
    return result;
}

bool CFileSystemHelpers::DeleteFile(const wchar_t* folder, const wchar_t* name) {
    LoggedCall call(u"CFileSystemHelpers::DeleteFile");
    return ::DeleteFileW(ForSystem(Join(folder, name)).c_str()) != FALSE;
}

bool CFileSystemHelpers::ShellFolderOperation(UINT operation, const wchar_t* sourcePath, const wchar_t* targetPath) {
    // SHFileOperationW takes double-terminated lists and knows nothing of the extended form.
    auto asList = [](const wchar_t* path, std::wstring& list) {
        list = path ? path : L"";
        if (list.size() < 4 || list.size() > 1022) return false;
        if (IsSeparator(list.back())) list.pop_back();
        list.push_back(L'\0');
        return true;
    };
    std::wstring from;
    std::wstring to;
    if (!asList(sourcePath, from)) return false;
    if (operation != FO_DELETE && !asList(targetPath, to)) return false;
    SHFILEOPSTRUCTW request{};
    request.hwnd = ::GetDesktopWindow();
    request.wFunc = operation;
    request.pFrom = from.c_str();
    request.pTo = operation == FO_DELETE ? nullptr : to.c_str();
    request.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    if (operation != FO_DELETE) request.fFlags |= FOF_NOCONFIRMMKDIR;
    // The shell's own answer counts: a folder that was not touched is not reported as done.
    return ::SHFileOperationW(&request) == 0 && !request.fAnyOperationsAborted;
}

bool CFileSystemHelpers::DeleteFolder(const wchar_t* path) { return ShellFolderOperation(FO_DELETE, path, nullptr); }

bool CFileSystemHelpers::CopyFolder(const wchar_t* sourcePath, const wchar_t* targetPath) {
    return ShellFolderOperation(FO_COPY, sourcePath, targetPath);
}

bool CFileSystemHelpers::MoveFolder(const wchar_t* sourcePath, const wchar_t* targetPath) {
    return ShellFolderOperation(FO_MOVE, sourcePath, targetPath);
}

bool CFileSystemHelpers::RenameFolder(const wchar_t* sourcePath, const wchar_t* targetPath) {
    return ShellFolderOperation(FO_RENAME, sourcePath, targetPath);
}

HANDLE CFileSystemHelpers::Exec(const wchar_t* folder, const wchar_t* program, const wchar_t* arguments,
                                DWORD* processId) {
    LoggedCall call(u"CFileSystemHelpers::Exec");
    const std::wstring application = Join(folder, program);
    // Quoted, so that a program path with blanks stays one argument for the started program.
    std::wstring commandLine = L"\"" + application + L"\" " + (arguments ? arguments : L"");
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                          nullptr, (folder && *folder) ? folder : nullptr, &startup, &process)) {
        call.SkipExit();
        return nullptr;
    }
    ::CloseHandle(process.hThread);
    if (processId) *processId = process.dwProcessId;
    return process.hProcess;
}

bool CFileSystemHelpers::ExportResourceToFile(const wchar_t* folder, const wchar_t* name, UINT resourceId,
                                              const wchar_t* resourceType) {
    LoggedCall call(u"CFileSystemHelpers::ExportResourceToFile");
    const HMODULE module = ::GetModuleHandleW(nullptr);
    const HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(resourceId), resourceType);
    if (!resource) return false;
    const DWORD size = ::SizeofResource(module, resource);
    const HGLOBAL loaded = ::LoadResource(module, resource);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes) return false;
    FileHandle file(CreateFile(folder, name));
    if (!file) return false;
    return WriteFile(file.get(), bytes, size) == size;
}

const wchar_t* CFileSystemHelpers::FindFirst(const wchar_t* folder, const wchar_t* pattern) {
    LoggedCall call(u"CFileSystemHelpers::FindFirst");
    m_find.reset(::FindFirstFileW(ForSystem(Join(folder, pattern)).c_str(), &m_findData));
    return m_find ? m_findData.cFileName : nullptr;
}

const wchar_t* CFileSystemHelpers::FindNext() {
    LoggedCall call(u"CFileSystemHelpers::FindNext");
    if (!m_find || !::FindNextFileW(m_find.get(), &m_findData)) return nullptr;
    return m_findData.cFileName;
}

bool CFileSystemHelpers::WriteStrToFile(ByteWriter& writer, const std::wstring& text) {
    LoggedCall call(u"CFileSystemHelpers::WriteStrToFile");
    if (text.size() > 0x7FFFFFFF / sizeof(wchar_t)) return false;
    const uint32_t count = static_cast<uint32_t>(text.size());
    if (!writer.Write(&count, sizeof(count))) return false;
    return count == 0 || writer.Write(text.data(), count * static_cast<uint32_t>(sizeof(wchar_t)));
}

std::optional<uint64_t> CFileSystemHelpers::FileSize(const wchar_t* folder, const wchar_t* name) {
    FileHandle file(Open(folder, name));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size)) return std::nullopt;
    return static_cast<uint64_t>(size.QuadPart);
}

}  // namespace lumora
