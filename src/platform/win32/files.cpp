// Files on Windows: thin calls into KERNEL32 with the paths as given.
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/platform.h"
#include "platform/win32/file_calls.h"

namespace mfg::platform {

namespace win32 {

namespace {
HANDLE WINAPI systemCreateFile(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                               DWORD disposition, DWORD flags, HANDLE model) {
    return CreateFileA(name, access, share, sa, disposition, flags, model);
}
UINT WINAPI systemGetTempFileName(LPCSTR folder, LPCSTR prefix, UINT unique, LPSTR name) {
    return GetTempFileNameA(folder, prefix, unique, name);
}
BOOL WINAPI systemReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD got, LPOVERLAPPED o) {
    return ReadFile(file, buffer, size, got, o);
}
BOOL WINAPI systemWriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD put, LPOVERLAPPED o) {
    return WriteFile(file, buffer, size, put, o);
}
BOOL WINAPI systemFlushFileBuffers(HANDLE file) { return FlushFileBuffers(file); }
BOOL WINAPI systemMoveFileEx(LPCSTR from, LPCSTR to, DWORD flags) {
    return MoveFileExA(from, to, flags);
}
BOOL WINAPI systemCloseHandle(HANDLE file) { return CloseHandle(file); }
DWORD WINAPI systemGetFileAttributes(LPCSTR name) { return GetFileAttributesA(name); }
HANDLE WINAPI systemFindFirstFile(LPCSTR name, LPWIN32_FIND_DATAA data) {
    return FindFirstFileA(name, data);
}
BOOL WINAPI systemDeleteFile(LPCSTR name) { return DeleteFileA(name); }
}  // namespace

const FileCalls systemFileCalls = {systemCreateFile,  systemGetTempFileName,   systemReadFile,
                                   systemWriteFile,   systemFlushFileBuffers,  systemMoveFileEx,
                                   systemCloseHandle, systemGetFileAttributes, systemFindFirstFile,
                                   systemDeleteFile};
FileCalls fileCalls = systemFileCalls;

}  // namespace win32

namespace {

using win32::fileCalls;

std::string str(std::string_view text) { return std::string(text); }

bool isReadOnlyFile(const std::string& path) {
    const DWORD attributes = fileCalls.getFileAttributes(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
           !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool writeAll(HANDLE file, std::string_view content) {
    const char* data = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        const DWORD chunk = left > 0x10000000 ? 0x10000000 : static_cast<DWORD>(left);
        DWORD written = 0;
        if (!fileCalls.writeFile(file, data, chunk, &written, nullptr) || written == 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return ".";
    return path.substr(0, slash + 1);
}

std::string lastErrorText(const char* what) {
    return std::string(what) + " (error " + std::to_string(GetLastError()) + ")";
}

std::string errorCodeText(DWORD code) { return "error " + std::to_string(code); }

void setError(std::string* error, const std::string& text) {
    if (error) *error = text;
}

// Opens a file to read; only a plain disk file is taken (not a pipe, a
// console or a device), and never a folder.
HANDLE openDiskFile(const std::string& path, std::string* error) {
    const HANDLE file = fileCalls.createFile(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        setError(error, errorCodeText(GetLastError()));
        return file;
    }
    if (GetFileType(file) != FILE_TYPE_DISK) {
        setError(error, "not a regular file");
        fileCalls.closeHandle(file);
        return INVALID_HANDLE_VALUE;
    }
    return file;
}

class Win32InputFile final : public InputFile {
public:
    explicit Win32InputFile(HANDLE file) : file_(file) {}
    ~Win32InputFile() override { fileCalls.closeHandle(file_); }
    bool read(void* buffer, std::size_t size, std::size_t& got) override {
        DWORD n = 0;
        const BOOL ok = fileCalls.readFile(file_, buffer, static_cast<DWORD>(size), &n, nullptr);
        got = n;
        if (!ok) error_ = errorCodeText(GetLastError());
        return ok != FALSE;
    }
    bool seek(std::uint64_t offset) override {
        LONG high = static_cast<LONG>(offset >> 32);
        const DWORD low =
            SetFilePointer(file_, static_cast<LONG>(offset & 0xFFFFFFFFu), &high, FILE_BEGIN);
        const DWORD code = GetLastError();
        if (low == INVALID_SET_FILE_POINTER && code != NO_ERROR) {
            error_ = errorCodeText(code);
            return false;
        }
        return true;
    }
    std::string lastError() const override { return error_; }

private:
    HANDLE file_;
    std::string error_;
};

class Win32RewritableFile final : public RewritableFile {
public:
    explicit Win32RewritableFile(HANDLE file) : file_(file) {}
    ~Win32RewritableFile() override { fileCalls.closeHandle(file_); }
    bool rewrite(std::string_view content) override {
        if (SetFilePointer(file_, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return false;
        const bool written = writeAll(file_, content);
        return SetEndOfFile(file_) != FALSE && written;
    }

private:
    HANDLE file_;
};

}  // namespace

bool pathExists(std::string_view path) {
    WIN32_FIND_DATAA data;
    const HANDLE find = fileCalls.findFirstFile(str(path).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    return true;
}

bool readWholeFile(std::string_view path, std::string& content, std::string* error) {
    content.clear();
    const HANDLE file = openDiskFile(str(path), error);
    if (file == INVALID_HANDLE_VALUE) return false;
    char buffer[65536];
    bool ok = true;
    for (;;) {
        DWORD n = 0;
        if (!fileCalls.readFile(file, buffer, sizeof buffer, &n, nullptr)) {
            ok = false;
            setError(error, errorCodeText(GetLastError()));
        }
        if (!ok || n == 0) break;
        content.append(buffer, n);
    }
    fileCalls.closeHandle(file);
    return ok;
}

// The file that `path` names once a symbolic link is followed, for a list
// file kept elsewhere behind a link: MoveFileExA would put the new list in
// the link's place and leave the file it leads to old.  Links to files came
// with Vista, and so did the call that names where a link leads; it is
// looked up, not imported, so the library still loads on XP.  A reparse
// point that cannot be followed is refused, never replaced.
bool followLink(std::string& path, std::string* error) {
    const DWORD attributes = fileCalls.getFileAttributes(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return true;
    using FinalPathName = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD, DWORD);
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    const auto finalPathName = kernel ? reinterpret_cast<FinalPathName>(reinterpret_cast<void*>(
                                            GetProcAddress(kernel, "GetFinalPathNameByHandleA")))
                                      : nullptr;
    const HANDLE file =
        finalPathName ? fileCalls.createFile(
                            path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)
                      : INVALID_HANDLE_VALUE;
    char target[MAX_PATH + 8];
    DWORD size = 0;
    if (file != INVALID_HANDLE_VALUE) {
        size = finalPathName(file, target, sizeof target, 0);  // normalized, with its drive
        fileCalls.closeHandle(file);
    }
    if (size == 0 || size >= sizeof target) {
        if (error) *error = "the symbolic link cannot be followed";
        return false;
    }
    path.assign(target, size);
    if (path.rfind("\\\\?\\UNC\\", 0) == 0)
        path = "\\\\" + path.substr(8);
    else if (path.rfind("\\\\?\\", 0) == 0)
        path = path.substr(4);
    return true;
}

bool replaceFileAtomically(std::string_view path, std::string_view head, std::string_view tail,
                           std::string* error) {
    std::string target = str(path);
    auto fail = [&](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    if (!followLink(target, error)) return false;
    const DWORD attributes = fileCalls.getFileAttributes(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) return fail("a folder of that name exists");
        if (attributes & FILE_ATTRIBUTE_READONLY) return fail("the file is read-only");
    }
    const std::string folder = folderOf(target);
    const DWORD folderAttributes = fileCalls.getFileAttributes(folder.c_str());
    if (folderAttributes == INVALID_FILE_ATTRIBUTES ||
        !(folderAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return fail("the folder does not exist");

    // A short unique name in the same folder (mfgXXXX.tmp, created empty): a
    // name beside the target's own would pass MAX_PATH for a long target.
    char tempName[MAX_PATH];
    if (!fileCalls.getTempFileName(folder.c_str(), "mfg", 0, tempName))
        return fail(lastErrorText("cannot create the new file"));
    const std::string temp = tempName;
    const HANDLE file = fileCalls.createFile(temp.c_str(), GENERIC_WRITE, 0, nullptr,
                                             TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const std::string why = lastErrorText("cannot create the new file");
        fileCalls.deleteFile(temp.c_str());
        return fail(why);
    }
    bool ok = writeAll(file, head) && writeAll(file, tail) && fileCalls.flushFileBuffers(file);
    std::string why = ok ? std::string() : lastErrorText("cannot write the new file");
    fileCalls.closeHandle(file);
    if (ok && !fileCalls.moveFileEx(temp.c_str(), target.c_str(),
                                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ok = false;
        why = lastErrorText("cannot replace the file");
    }
    if (!ok) {
        fileCalls.deleteFile(temp.c_str());
        return fail(why);
    }
    return true;
}

bool deleteFile(std::string_view path) { return fileCalls.deleteFile(str(path).c_str()) != FALSE; }

bool appendText(std::string_view path, std::string_view text) {
    FILE* file = std::fopen(str(path).c_str(), "a");
    if (!file) return false;
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
    return true;
}

std::unique_ptr<InputFile> openForReading(std::string_view path, std::string* error) {
    const HANDLE file = openDiskFile(str(path), error);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32InputFile>(file);
}

std::unique_ptr<RewritableFile> createForRewriting(std::string_view path) {
    const std::string target = str(path);
    if (isReadOnlyFile(target)) return nullptr;
    // Held open for a whole walk, so it must not lock others out: no DELETE
    // access of ours, and every kind of sharing for theirs.
    const HANDLE file =
        fileCalls.createFile(target.c_str(), GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32RewritableFile>(file);
}

}  // namespace mfg::platform
