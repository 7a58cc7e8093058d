#include <windows.h>

#include "run/library.h"

namespace mfgtool {
namespace {

class Win32Module : public DynamicModule {
public:
    explicit Win32Module(HMODULE handle) : handle_(handle) {}
    ~Win32Module() override { FreeLibrary(handle_); }
    Win32Module(const Win32Module&) = delete;
    Win32Module& operator=(const Win32Module&) = delete;

    Symbol symbol(const char* name) const override {
        return reinterpret_cast<Symbol>(GetProcAddress(handle_, name));
    }

    void* handle() const override { return handle_; }

private:
    HMODULE handle_;
};

std::string systemMessage(DWORD code) {
    char* text = nullptr;
    const DWORD n = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = n && text ? std::string(text, n) : std::string();
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    return "error " + std::to_string(code) + (message.empty() ? "" : " (" + message + ")");
}

}  // namespace

std::unique_ptr<DynamicModule> DynamicModule::open(const std::filesystem::path& file,
                                                   std::string& error) {
    // No message box for a broken file: the host reports it on one line.
    const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE handle = LoadLibraryA(std::filesystem::path(file).make_preferred().string().c_str());
    const DWORD code = GetLastError();
    SetErrorMode(oldMode);
    if (!handle) {
        error = systemMessage(code);
        return nullptr;
    }
    return std::make_unique<Win32Module>(handle);
}

std::string libraryFileName() { return "mfglist.dll"; }

}  // namespace mfgtool
