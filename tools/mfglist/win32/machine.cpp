#include "run/machine.h"

#include <windows.h>

#include <system_error>

#include "common/errors.h"
#include "library_imports.h"
#include "run/library.h"
#include "scratch/scratch_machine.h"

namespace fs = std::filesystem;

namespace mfgtool {
namespace {

std::string lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The system directory the library is told, as the Linux build's scratch
// machine tells it: previews of one folder then read the same on every
// machine, whatever drive or spelling its Windows has (Wine says
// "C:\windows").  The temporary section file goes to this drive's root.
constexpr char kPreviewSystemDirectory[] = "C:\\WINDOWS\\system32";

class Win32Machine : public LibraryMachine {
public:
    explicit Win32Machine(const fs::path& scratch) : scratch_(scratch) {
        const mfg::scratch::DriveFolders made = mfg::scratch::makeDriveFolders(scratch, "CD");
        if (made.error)
            throw RunError("cannot make the scratch folder " + made.failed.string() + ": " +
                           made.error.message());
        redirect_.files = {
            {"c:\\vreldebug.flg", fixedFile('C', "vrelDebug.flg").string()},
            {"d:\\ombrix_drvinst.log", fixedFile('D', "ombrix_drvinst.log").string()},
            {"d:\\temp.ini", fixedFile('D', "temp.ini").string()},
            {"c:\\temp.ini", fixedFile('C', "Temp.ini").string()},
        };
        redirect_.systemDirectory = kPreviewSystemDirectory;
    }

    std::string reach(const fs::path& folder, char) override {
        std::error_code ec;
        fs::path absolute = fs::absolute(folder, ec);
        if (ec) absolute = folder;
        std::string path = absolute.make_preferred().string();
        if (path.empty() || path.back() != '\\') path += '\\';
        return path;
    }

    fs::path fixedFile(char drive, const std::string& name) const override {
        return mfg::scratch::driveFolder(scratch_, drive == 'D' ? 'D' : 'C') / name;
    }

    std::optional<fs::path> nativePath(const std::string& path) const override {
        const auto found = redirect_.files.find(lower(path));
        if (found != redirect_.files.end()) return fs::path(found->second);
        return fs::path(path);
    }

    Windows settleWindows(std::optional<Windows> wanted) override {
        OSVERSIONINFOEXA info{};
        info.dwOSVersionInfoSize = sizeof(info);
        const bool known = GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info)) != 0;
        // The library's own rule: only 6.0 on an NT workstation is Vista.
        const bool vista = known && info.dwPlatformId == VER_PLATFORM_WIN32_NT &&
                           info.wProductType == VER_NT_WORKSTATION && info.dwMajorVersion == 6 &&
                           info.dwMinorVersion == 0;
        if (!wanted) return vista ? Windows::vista : Windows::xp;
        redirect_.version = *wanted == Windows::vista ? std::make_pair(DWORD{6}, DWORD{0})
                                                      : std::make_pair(DWORD{5}, DWORD{1});
        notes_.push_back(std::string("the library is told it runs on Windows ") +
                         windowsName(*wanted) + " (" + (*wanted == Windows::vista ? "6.0" : "5.1") +
                         "); this machine reports " + std::to_string(info.dwMajorVersion) + "." +
                         std::to_string(info.dwMinorVersion));
        return *wanted;
    }

    void publish(const DynamicModule& library) override {
        redirectLibraryImports(static_cast<HMODULE>(library.handle()), redirect_);
    }

    std::vector<std::string> notes() const override { return notes_; }

private:
    fs::path scratch_;
    ImportRedirect redirect_;
    std::vector<std::string> notes_;
};

}  // namespace

std::unique_ptr<LibraryMachine> makeLibraryMachine(const fs::path& scratch) {
    return std::make_unique<Win32Machine>(scratch);
}

void applyHostMachine(const std::optional<std::string>& drives,
                      const std::optional<std::string>& winver) {
    if (drives)
        throw UsageError(
            "--drives is for the Linux build; on Windows the library sees the real drives");
    if (winver)
        throw UsageError(
            "--winver is for the Linux build; on Windows the library reads the real version");
}

void traceIntoSideFiles(const DynamicModule& library, const fs::path& flag, const fs::path& log) {
    ImportRedirect redirect;
    redirect.files = {{"c:\\vreldebug.flg", flag.string()},
                      {"d:\\ombrix_drvinst.log", log.string()}};
    redirect.quietDebugger = true;
    redirectLibraryImports(static_cast<HMODULE>(library.handle()), redirect);
}

std::optional<fs::path> hostNativePath(const std::string& path, std::string& why) {
    if (path.size() >= 2 && path[1] == ':') {
        const std::string root = path.substr(0, 2) + "\\";
        if (GetDriveTypeA(root.c_str()) == DRIVE_NO_ROOT_DIR) {
            why = "drive " + path.substr(0, 2) + " does not exist on this machine";
            return std::nullopt;
        }
    }
    return fs::path(path);
}

}  // namespace mfgtool
