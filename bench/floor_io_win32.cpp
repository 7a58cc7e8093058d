#include <windows.h>

#include "floor_io.h"

namespace bench::floor_io {
namespace {

void writeAll(HANDLE file, std::string_view content) {
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
}

class Win32Rewritable final : public Rewritable {
public:
    explicit Win32Rewritable(HANDLE file) : file_(file) {}
    ~Win32Rewritable() override { CloseHandle(file_); }
    void rewrite(std::string_view content) override {
        SetFilePointer(file_, 0, nullptr, FILE_BEGIN);
        writeAll(file_, content);
        SetEndOfFile(file_);
    }

private:
    HANDLE file_;
};

}  // namespace

bool readAll(const std::string& path, std::string& content) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    content.clear();
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        content.append(buffer, got);
    CloseHandle(file);
    return true;
}

std::unique_ptr<Rewritable> createRewritable(const std::string& path) {
    const HANDLE file =
        CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32Rewritable>(file);
}

// The trace's own check is a directory search for the flag file.
bool flagPresent(const std::string& path) {
    WIN32_FIND_DATAA data;
    const HANDLE find = FindFirstFileA(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    return true;
}

void debuggerOutput(const char* text) { OutputDebugStringA(text); }

bool commitFile(const std::string& path, std::string_view content) {
    const std::string temp = path + ".floor";
    const HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    writeAll(file, content);
    FlushFileBuffers(file);
    CloseHandle(file);
    return MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool removeFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

}  // namespace bench::floor_io
