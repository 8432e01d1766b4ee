#pragma once
// CFileSystemHelpers: the program's file operations over Win32, each traced to the function log.
// String results point into one growable result buffer and stay valid until the next operation
// that uses it. Paths have no length limit of their own: long ones reach the system in the
// extended-length form.
//
// Note: CreateFile and DeleteFile are <windows.h> macros; every translation unit that sees this
// header sees the macros too, so the two members are named consistently everywhere.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/win_owners.h"

namespace lumora {

// Where WriteStrToFile sends its bytes.
class ByteWriter {
public:
    virtual ~ByteWriter() = default;
    virtual bool Write(const void* data, uint32_t byteCount) = 0;
};

class CFileSystemHelpers {
public:
    CFileSystemHelpers() = default;
    virtual ~CFileSystemHelpers() = default;
    CFileSystemHelpers(const CFileSystemHelpers&) = delete;
    CFileSystemHelpers& operator=(const CFileSystemHelpers&) = delete;

    // The folder itself when it ends in "\" or "/", else a copy with "\" appended.
    const wchar_t* AddSeparator(const wchar_t* folder);
    // Creates every missing folder along the path, outermost first; false when one cannot be made.
    static bool CreatePath(const wchar_t* path);
    // Creates (or truncates) folder\name for reading and writing; null on failure. Owned by the caller.
    HANDLE CreateFile(const wchar_t* folder, const wchar_t* name);
    // The folder of the module (the program when null), ending in "\"; null when unknown.
    const wchar_t* ModuleFolder(HMODULE module = nullptr);

    bool Create();
    bool Release();
    bool Copy(const wchar_t* sourceFolder, const wchar_t* targetFolder, const wchar_t* name, bool failIfExists);
    bool Copy2(const wchar_t* sourceFolder, const wchar_t* sourceName, const wchar_t* targetFolder,
               const wchar_t* targetName, bool failIfExists);
    bool Duplicate(const wchar_t* folder, const wchar_t* sourceName, const wchar_t* targetName, bool failIfExists);
    bool FileExists(const wchar_t* folder, const wchar_t* name);
    static bool Move(const wchar_t* sourcePath, const wchar_t* targetPath);
    // An existing file for reading and writing; an empty folder means the name is the path.
    HANDLE Open(const wchar_t* folder, const wchar_t* name);
    DWORD WriteFile(HANDLE file, const void* data, DWORD byteCount);
    DWORD ReadFile(HANDLE file, void* buffer, DWORD byteCount);
    // characterCount UTF-16 characters from the byte offset; null unless all of them were read.
    const wchar_t* ReadString(HANDLE file, int64_t byteOffset, uint32_t characterCount);
    // Byte position of the text in the file's UTF-16 content from startOffset on, with the file
    // pointer moved there; -1 when it does not occur.
    int64_t FindInFile(HANDLE file, const wchar_t* text, int64_t startOffset);
    // From the text found at or after the offset up to and including the next "\n".
    const wchar_t* ReadLine(HANDLE file, const wchar_t* text, int64_t offset);
    // The file's bytes, one character each.
    std::wstring& ReadFileToStr(std::wstring& result, const wchar_t* folder, const wchar_t* name);
    bool DeleteFile(const wchar_t* folder, const wchar_t* name);
    bool DeleteFolder(const wchar_t* path);
    bool CopyFolder(const wchar_t* sourcePath, const wchar_t* targetPath);
    bool MoveFolder(const wchar_t* sourcePath, const wchar_t* targetPath);
    bool RenameFolder(const wchar_t* sourcePath, const wchar_t* targetPath);
    // Starts folder\program with the arguments in the folder; the process handle belongs to the caller.
    HANDLE Exec(const wchar_t* folder, const wchar_t* program, const wchar_t* arguments, DWORD* processId);
    bool ExportResourceToFile(const wchar_t* folder, const wchar_t* name, UINT resourceId, const wchar_t* resourceType);
    const wchar_t* FindFirst(const wchar_t* folder, const wchar_t* pattern);
    const wchar_t* FindNext();
    bool WriteStrToFile(ByteWriter& writer, const std::wstring& text);
    std::optional<uint64_t> FileSize(const wchar_t* folder, const wchar_t* name);

    // Helpers shared with the settings code.
    static std::wstring Join(const wchar_t* folder, const wchar_t* name);
    // The path in the form the system accepts beyond MAX_PATH.
    static std::wstring ForSystem(const std::wstring& path);
    // The module's full file name, whatever its length; empty when unknown.
    static std::wstring ModuleFilePath(HMODULE module);

private:
    wchar_t* ReserveResult(size_t characters);
    const wchar_t* StoreResult(const std::wstring& text);
    bool ShellFolderOperation(UINT operation, const wchar_t* sourcePath, const wchar_t* targetPath);

    FindHandle m_find;
    WIN32_FIND_DATAW m_findData{};
    std::vector<wchar_t> m_result;
};

extern CFileSystemHelpers g_fileSystem;

}  // namespace lumora
