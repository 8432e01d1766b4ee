// settings_check.exe WORKFOLDER: checks CFileSystemHelpers, the settings file access and
// CRegistryKey against the real Win32 API. Prints one line per failed check and a summary;
// exits 0 only when every check passed.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "settings/registry_key.h"
#include "settings/win32_settings_platform.h"
#include "support/file_system_helpers.h"
#include "support/trace_log.h"
#include "support/wide_text.h"

namespace {

using namespace lumora;

int g_checks = 0;
int g_failures = 0;

void Check(bool passed, const char* what, const std::wstring& detail = std::wstring()) {
    ++g_checks;
    if (passed) return;
    ++g_failures;
    std::printf("FAILED: %s %ls\n", what, detail.c_str());
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(CFileSystemHelpers::ForSystem(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
    FileHandle file(::CreateFileW(CFileSystemHelpers::ForSystem(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

std::string ReadWholeFile(const std::wstring& path) {
    std::string bytes;
    Win32SettingsFileAccess access;
    access.ReadWhole(ToUtf16(path.c_str()), false, bytes);
    return bytes;
}

std::vector<std::wstring> FolderListing(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    FindHandle search(::FindFirstFileW((folder + L"\\*").c_str(), &found));
    if (!search) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (::FindNextFileW(search.get(), &found));
    return names;
}

// Captures what the function log would write.
std::u16string g_logged;

void AttachLog() {
    g_log.SetDestination(u"C:\\log", u"log.txt", [](std::u16string_view text) { g_logged += text; });
}

void CheckAddSeparator(CFileSystemHelpers& helpers) {
    const wchar_t* withBackslash = L"C:\\a\\";
    const wchar_t* withSlash = L"C:/a/";
    Check(helpers.AddSeparator(withBackslash) == withBackslash, "AddSeparator keeps a folder ending in \\");
    Check(helpers.AddSeparator(withSlash) == withSlash, "AddSeparator keeps a folder ending in /");
    Check(std::wstring(helpers.AddSeparator(L"C:\\a")) == L"C:\\a\\", "AddSeparator appends one \\");
    Check(std::wstring(helpers.AddSeparator(L"")) == L"\\", "AddSeparator of nothing");
}

void CheckCreatePath(const std::wstring& root) {
    g_logged.clear();
    const std::wstring three = root + L"\\one\\two\\three";
    Check(CFileSystemHelpers::CreatePath(three.c_str()), "CreatePath of three new levels");
    Check(IsFolder(root + L"\\one") && IsFolder(root + L"\\one\\two") && IsFolder(three), "all three levels exist");
    Check(g_logged == u"entering CFileSystemHelpers::CreatePath\nexiting CFileSystemHelpers::CreatePath\n",
          "CreatePath trace", AsWide(g_logged));
    Check(CFileSystemHelpers::CreatePath(three.c_str()), "CreatePath of an existing folder");
    Check(CFileSystemHelpers::CreatePath((root + L"/slash/ed/").c_str()) && IsFolder(root + L"\\slash\\ed"),
          "CreatePath with forward slashes and a trailing separator");

    // A file blocking the second level: the first level is made, the walk stops there.
    const std::wstring blocked = root + L"\\first";
    CFileSystemHelpers::CreatePath(blocked.c_str());
    WriteWholeFile(blocked + L"\\second", "a file");
    Check(!CFileSystemHelpers::CreatePath((blocked + L"\\second\\third").c_str()), "CreatePath through a file fails");
    Check(!IsFolder(blocked + L"\\second\\third"), "nothing is created beyond the failure");
    Check(!CFileSystemHelpers::CreatePath((blocked + L"\\second").c_str()), "a file is not a created folder");
    const std::wstring fresh = root + L"\\order";
    WriteWholeFile(root + L"\\order-blocker", "");
    Check(!CFileSystemHelpers::CreatePath((root + L"\\order-blocker\\x\\y").c_str()) &&
              !IsFolder(root + L"\\order-blocker\\x"),
          "the outer level is tried first");

    // Far beyond MAX_PATH: thirty levels of twenty characters.
    std::wstring deep = root;
    for (int level = 0; level < 30; ++level) deep += L"\\level-" + std::to_wstring(100000 + level) + L"-abcdef";
    Check(deep.size() > 600, "the long path is long");
    Check(CFileSystemHelpers::CreatePath(deep.c_str()), "CreatePath of a 600-character path");
    Check(IsFolder(deep), "the deepest level exists");
    CFileSystemHelpers helpers;
    FileHandle inside(helpers.CreateFile(deep.c_str(), L"deep.txt"));
    Check(static_cast<bool>(inside), "CreateFile at the end of a long path");
    inside.reset();
    Check(helpers.FileExists(deep.c_str(), L"deep.txt"), "FileExists at the end of a long path");
    Check(helpers.DeleteFile(deep.c_str(), L"deep.txt"), "DeleteFile at the end of a long path");
    Check(!CFileSystemHelpers::CreatePath((root + L"\\bad|name\\x").c_str()), "an invalid name gives false");
}

void CheckFiles(CFileSystemHelpers& helpers, const std::wstring& root) {
    const std::wstring folder = root + L"\\files";
    CFileSystemHelpers::CreatePath(folder.c_str());
    const std::wstring path = folder + L"\\data.bin";
    WriteWholeFile(path, "some old content");
    FileHandle created(helpers.CreateFile(folder.c_str(), L"data.bin"));
    Check(static_cast<bool>(created), "CreateFile over an existing file");
    Check(helpers.FileSize(folder.c_str(), L"data.bin") == 0u, "CreateFile truncates");
    Check(helpers.CreateFile((root + L"\\missing-folder").c_str(), L"x") == nullptr, "CreateFile in a missing folder");

    const std::wstring text = L"first line\nsecond line\nthird";
    Check(helpers.WriteFile(created.get(), text.data(), static_cast<DWORD>(text.size() * 2)) == text.size() * 2,
          "WriteFile returns the bytes written");
    Check(helpers.WriteFile(INVALID_HANDLE_VALUE, "x", 1) == 0xFFFFFFFF, "WriteFile failure");
    created.reset();
    Check(helpers.FileSize(folder.c_str(), L"data.bin") == text.size() * 2, "FileSize");
    Check(!helpers.FileSize(folder.c_str(), L"nothing.bin").has_value(), "FileSize of a missing file");

    FileHandle opened(helpers.Open(L"", path.c_str()));
    Check(static_cast<bool>(opened), "Open with the path as name");
    Check(helpers.Open(folder.c_str(), L"nothing.bin") == nullptr, "Open of a missing file");
    wchar_t buffer[4] = {};
    Check(helpers.ReadFile(opened.get(), buffer, 6) == 6 && std::wstring(buffer, 3) == L"fir", "ReadFile");
    const wchar_t* second = helpers.ReadString(opened.get(), 11 * 2, 6);
    Check(second && std::wstring(second) == L"second", "ReadString reads characters at a byte offset");
    Check(helpers.ReadString(opened.get(), 2 * 24, 100) == nullptr, "ReadString beyond the end");
    Check(helpers.FindInFile(opened.get(), L"line", 0) == 6 * 2, "FindInFile from the start");
    Check(helpers.FindInFile(opened.get(), L"line", 7 * 2) == 18 * 2, "FindInFile from an offset");
    Check(helpers.FindInFile(opened.get(), L"absent", 0) == -1, "FindInFile without a match");
    const wchar_t* line = helpers.ReadLine(opened.get(), L"second", 0);
    Check(line && std::wstring(line) == L"second line\n", "ReadLine", line ? line : L"(null)");
    Check(helpers.ReadLine(opened.get(), L"third", 0) == nullptr, "ReadLine without a line end");
    opened.reset();

    WriteWholeFile(folder + L"\\latin.txt", "caf\xE9\r\n");
    std::wstring read;
    Check(helpers.ReadFileToStr(read, folder.c_str(), L"latin.txt") == L"caf\u00e9\r\n", "ReadFileToStr", read);

    Check(helpers.Copy(folder.c_str(), root.c_str(), L"latin.txt", true), "Copy");
    Check(!helpers.Copy(folder.c_str(), root.c_str(), L"latin.txt", true), "Copy refuses to overwrite");
    Check(helpers.Copy2(folder.c_str(), L"latin.txt", root.c_str(), L"other.txt", false), "Copy2");
    Check(ReadWholeFile(root + L"\\other.txt") == "caf\xE9\r\n", "Copy2 copies the bytes");
    g_logged.clear();
    Check(helpers.Duplicate(folder.c_str(), L"latin.txt", L"twin.txt", true), "Duplicate");
    Check(!helpers.Duplicate(folder.c_str(), L"ghost.txt", L"ghost2.txt", false), "Duplicate of a missing file");
    Check(g_logged.find(u"Following file not found: " + ToUtf16((folder + L"\\ghost.txt").c_str()) + u"\n") !=
                  std::u16string::npos &&
              g_logged.find(u"CFileSystemHelpers::Duplicate copy error00000002\n") != std::u16string::npos,
          "Duplicate traces", AsWide(g_logged));
    Check(CFileSystemHelpers::Move((folder + L"\\twin.txt").c_str(), (root + L"\\moved.txt").c_str()) &&
              helpers.FileExists(root.c_str(), L"moved.txt") && !helpers.FileExists(folder.c_str(), L"twin.txt"),
          "Move");
    Check(helpers.DeleteFile(root.c_str(), L"moved.txt") && !helpers.FileExists(root.c_str(), L"moved.txt"),
          "DeleteFile");
    Check(!helpers.DeleteFile(root.c_str(), L"moved.txt"), "DeleteFile of a missing file");

    std::vector<std::wstring> found;
    for (const wchar_t* name = helpers.FindFirst(folder.c_str(), L"*.txt"); name; name = helpers.FindNext()) {
        found.push_back(name);
    }
    Check(found.size() == 1 && found[0] == L"latin.txt", "FindFirst and FindNext");
    Check(helpers.FindFirst(folder.c_str(), L"*.none") == nullptr && helpers.FindNext() == nullptr,
          "FindFirst without a match");

    class FileWriter final : public ByteWriter {
    public:
        explicit FileWriter(HANDLE file) : m_file(file) {}
        bool Write(const void* data, uint32_t byteCount) override {
            DWORD written = 0;
            return ::WriteFile(m_file, data, byteCount, &written, nullptr) && written == byteCount;
        }

    private:
        HANDLE m_file;
    };
    FileHandle strings(helpers.CreateFile(folder.c_str(), L"strings.bin"));
    FileWriter writer(strings.get());
    Check(helpers.WriteStrToFile(writer, L"ab"), "WriteStrToFile");
    strings.reset();
    Check(ReadWholeFile(folder + L"\\strings.bin") == std::string("\x02\0\0\0a\0b\0", 8), "WriteStrToFile layout");

    Check(helpers.ExportResourceToFile(folder.c_str(), L"resource.bin", 301, MAKEINTRESOURCEW(10)),
          "ExportResourceToFile");
    Check(ReadWholeFile(folder + L"\\resource.bin").rfind("exported resource bytes", 0) == 0, "exported bytes");
    Check(!helpers.ExportResourceToFile(folder.c_str(), L"none.bin", 999, MAKEINTRESOURCEW(10)),
          "ExportResourceToFile of a missing resource");
}

void CheckFolderOperations(CFileSystemHelpers& helpers, const std::wstring& root) {
    const std::wstring source = root + L"\\tree";
    CFileSystemHelpers::CreatePath((source + L"\\sub").c_str());
    WriteWholeFile(source + L"\\sub\\leaf.txt", "leaf");
    Check(helpers.CopyFolder((source + L"\\").c_str(), (root + L"\\tree-copy").c_str()), "CopyFolder");
    Check(ReadWholeFile(root + L"\\tree-copy\\sub\\leaf.txt") == "leaf", "CopyFolder copies the tree");
    Check(helpers.RenameFolder((root + L"\\tree-copy").c_str(), (root + L"\\tree-renamed").c_str()) &&
              IsFolder(root + L"\\tree-renamed\\sub"),
          "RenameFolder");
    Check(helpers.MoveFolder((root + L"\\tree-renamed").c_str(), (source + L"\\moved").c_str()) &&
              IsFolder(source + L"\\moved\\sub") && !IsFolder(root + L"\\tree-renamed"),
          "MoveFolder");
    Check(helpers.DeleteFolder(source.c_str()) && !IsFolder(source), "DeleteFolder");
    Check(!helpers.DeleteFolder(L"C:\\"), "a path of 3 characters is refused");
    Check(!helpers.DeleteFolder(std::wstring(1100, L'x').c_str()), "a path of 1100 characters is refused");
}

void CheckModuleAndExec(CFileSystemHelpers& helpers) {
    wchar_t own[4096] = L"";
    ::GetModuleFileNameW(nullptr, own, 4096);
    std::wstring expected = own;
    expected.erase(expected.rfind(L'\\') + 1);
    const wchar_t* folder = helpers.ModuleFolder();
    Check(folder && std::wstring(folder) == expected, "ModuleFolder", folder ? folder : L"(null)");
    Check(CFileSystemHelpers::ModuleFilePath(nullptr) == own, "ModuleFilePath");

    wchar_t system[MAX_PATH] = L"";
    ::GetSystemDirectoryW(system, MAX_PATH);
    DWORD processId = 0;
    KernelHandle process(helpers.Exec(system, L"cmd.exe", L"/c exit 7", &processId));
    Check(static_cast<bool>(process) && processId != 0, "Exec starts the program");
    DWORD exitCode = 0;
    if (process && ::WaitForSingleObject(process.get(), 20000) == WAIT_OBJECT_0) ::GetExitCodeProcess(process.get(), &exitCode);
    Check(exitCode == 7, "Exec passes the arguments");
    Check(helpers.Exec(system, L"no-such-program.exe", L"", nullptr) == nullptr, "Exec of a missing program");
}

void CheckSettingsFileAccess(const std::wstring& root) {
    Win32SettingsFileAccess access;
    const std::wstring folder = root + L"\\settings";
    CFileSystemHelpers::CreatePath(folder.c_str());
    const std::u16string path = ToUtf16((folder + L"\\settings.ini").c_str());
    std::string bytes = "stale";
    Check(!access.ReadWhole(path, false, bytes), "a missing file is not read");
    Check(access.ReadWhole(path, true, bytes) && bytes.empty(), "a missing file is created empty");
    Check(access.ReplaceWhole(path, "[A]\r\nk=1\r\n") && ReadWholeFile(AsWide(path)) == "[A]\r\nk=1\r\n",
          "ReplaceWhole writes the file");
    Check(FolderListing(folder) == std::vector<std::wstring>{L"settings.ini"}, "no temporary file stays");

    ::SetFileAttributesW(AsWide(path), FILE_ATTRIBUTE_READONLY);
    Check(!access.ReplaceWhole(path, "new"), "a read-only file is not replaced");
    Check(ReadWholeFile(AsWide(path)) == "[A]\r\nk=1\r\n", "the read-only file is unchanged");
    Check(access.ReadWhole(path, true, bytes) && bytes == "[A]\r\nk=1\r\n", "a read-only file is still read");
    ::SetFileAttributesW(AsWide(path), FILE_ATTRIBUTE_NORMAL);

    {
        // Held open by another program without sharing: the replacement must fail cleanly.
        FileHandle locked(::CreateFileW(AsWide(path), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        Check(!access.ReplaceWhole(path, "new"), "a locked file is not replaced");
    }
    Check(ReadWholeFile(AsWide(path)) == "[A]\r\nk=1\r\n", "the locked file is unchanged");
    Check(FolderListing(folder) == std::vector<std::wstring>{L"settings.ini"}, "the temporary file is removed");

    const std::u16string folderInTheWay = ToUtf16((folder + L"\\dir.ini").c_str());
    CFileSystemHelpers::CreatePath(AsWide(folderInTheWay));
    Check(!access.ReadWhole(folderInTheWay, true, bytes), "a folder is not read as a file");
    Check(!access.ReplaceWhole(folderInTheWay, "x") && IsFolder(AsWide(folderInTheWay)), "a folder is not replaced");

    std::wstring deep = folder;
    for (int level = 0; level < 20; ++level) deep += L"\\deep-settings-folder-" + std::to_wstring(level);
    CFileSystemHelpers::CreatePath(deep.c_str());
    const std::u16string longPath = ToUtf16((deep + L"\\settings.ini").c_str());
    const std::string big(3 * 1024 * 1024, 'x');
    Check(access.ReplaceWhole(longPath, big) && access.ReadWhole(longPath, false, bytes) && bytes == big,
          "a long path and a large file");

    // Leftovers of saves killed half-way go; every other file, and a folder of such a name, stays.
    const std::wstring leftovers = folder + L"\\leftovers";
    CFileSystemHelpers::CreatePath((leftovers + L"\\settings.ini.7-7.tmp").c_str());
    for (const wchar_t* name : {L"settings.ini", L"settings.ini.1234-5.tmp", L"settings.ini.99-15.tmp",
                                L"settings.ini.bak", L"notes.tmp", L"settings.ini.1-2.tmp.bak", L"settings.ini.x-1.tmp",
                                L"other.ini.1-2.tmp"}) {
        WriteWholeFile(leftovers + L"\\" + name, "x");
    }
    access.RemoveSaveTemporaries(ToUtf16((leftovers + L"\\settings.ini").c_str()));
    std::vector<std::wstring> left = FolderListing(leftovers);
    std::sort(left.begin(), left.end());
    Check(left == std::vector<std::wstring>{L"notes.tmp", L"other.ini.1-2.tmp", L"settings.ini",
                                            L"settings.ini.1-2.tmp.bak", L"settings.ini.7-7.tmp", L"settings.ini.bak",
                                            L"settings.ini.x-1.tmp"},
          "only the leftovers of interrupted saves are removed");

    Win32CaseMapping lower;
    std::u16string mixed = u"GENERAL \u00c9t\u00c9 Appearance";
    lower.Lower(mixed);
    Check(mixed == u"general \u00e9t\u00e9 appearance", "CharLowerW mapping");
}

void CheckRegistryKey() {
    const wchar_t* testKey = L"Software\\LumoraSettingsCheck";
    HKEY created = nullptr;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, testKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created, nullptr);
    RegistryKeyHandle cleanup(created);

    CRegistryKey key;
    Check(key.Get() == nullptr && key.LastError() == ERROR_SUCCESS, "a new CRegistryKey holds nothing");
    Check(!key.SetString(L"v", L"x"), "SetString without a key fails");
    Check(key.Open(HKEY_CURRENT_USER, testKey) && key.LastError() == ERROR_SUCCESS, "Open");
    const HKEY held = key.Get();
    Check(!key.Open(HKEY_CURRENT_USER, L"Software\\LumoraSettingsCheck\\Missing"), "Open of a missing key");
    Check(key.LastError() == ERROR_FILE_NOT_FOUND, "the failure is kept as last error");
    Check(key.Get() == held, "a failed Open keeps the key held before");
    Check(key.SetString(L"command", L"\"C:\\Program Files\\x.exe\" s"), "SetString");
    wchar_t data[64] = L"";
    DWORD size = sizeof(data);
    DWORD type = 0;
    ::RegQueryValueExW(created, L"command", nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    Check(type == REG_SZ && size == (26 + 1) * 2 && std::wstring(data) == L"\"C:\\Program Files\\x.exe\" s",
          "the value is REG_SZ with its terminating null", data);
    Check(key.SetString(L"empty", L""), "SetString of empty text");
    size = sizeof(data);
    ::RegQueryValueExW(created, L"empty", nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    Check(type == REG_SZ && size == 2, "empty text stores its null");
    ::RegDeleteKeyW(HKEY_CURRENT_USER, testKey);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::printf("usage: settings_check WORKFOLDER\n");
        return 2;
    }
    const std::wstring root = argv[1];
    CFileSystemHelpers::CreatePath(root.c_str());
    AttachLog();
    CFileSystemHelpers helpers;
    Check(helpers.Create() && helpers.Release(), "Create and Release");
    Check(g_logged.find(u"entering CFileSystemHelpers::Create()\nexiting CFileSystemHelpers::Create()\n") == 0,
          "Create trace", AsWide(g_logged));
    CheckAddSeparator(helpers);
    CheckCreatePath(root);
    CheckFiles(helpers, root);
    CheckFolderOperations(helpers, root);
    CheckModuleAndExec(helpers);
    CheckSettingsFileAccess(root);
    CheckRegistryKey();
    std::printf("%d checks, %d failed\n", g_checks, g_failures);
    return g_failures == 0 ? 0 : 1;
}
