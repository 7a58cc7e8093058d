#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "tool_support.h"

namespace mfgtest {
namespace {

// The quoting that the C run-time's argument parser undoes: backslashes
// double only where they come before a quote.
std::string quote(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

HANDLE openInherited(const fs::path& file, bool write) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreateFileA(file.string().c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

int spawnAndWait(const fs::path& program, const std::vector<std::string>& args,
                 const fs::path& input, const fs::path& output, const fs::path& error) {
    const std::string application = fs::path(program).make_preferred().string();
    std::string commandLine = quote(application);
    for (const std::string& arg : args) commandLine += " " + quote(arg);
    PROCESS_INFORMATION process{};
    // Under a busy Wine server a start now and then fails for a moment (the
    // suite has seen it once in many runs): a few tries tell that apart
    // from a program that cannot start, whose reason is then printed.
    DWORD reason = 0;
    for (int attempt = 0; attempt < 4; ++attempt) {
        if (attempt > 0) Sleep(250);
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = openInherited(input, false);
        startup.hStdOutput = openInherited(output, true);
        startup.hStdError = openInherited(error, true);
        const BOOL started = CreateProcessA(application.c_str(), commandLine.data(), nullptr,
                                            nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
        reason = started ? 0 : GetLastError();
        CloseHandle(startup.hStdInput);
        CloseHandle(startup.hStdOutput);
        CloseHandle(startup.hStdError);
        if (started) break;
        std::fprintf(stderr, "spawn: cannot start %s (error %lu), try %d of 4\n",
                     commandLine.c_str(), static_cast<unsigned long>(reason), attempt + 1);
    }
    if (reason != 0) return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(status);
}

void setEnvironment(const std::string& name, const std::optional<std::string>& value) {
    SetEnvironmentVariableA(name.c_str(), value ? value->c_str() : nullptr);
    _putenv((name + "=" + (value ? *value : std::string())).c_str());
}

std::optional<std::string> environment(const std::string& name) {
    const DWORD size = GetEnvironmentVariableA(name.c_str(), nullptr, 0);
    if (size == 0) return std::nullopt;
    std::string value(size, '\0');
    value.resize(GetEnvironmentVariableA(name.c_str(), value.data(), size));
    return value;
}

unsigned processId() { return static_cast<unsigned>(GetCurrentProcessId()); }

}  // namespace mfgtest
