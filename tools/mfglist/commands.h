// The two commands of the host.  Each returns the exit status, or throws one
// of the errors of errors.h.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace mfgtool {

struct PreviewOptions {
    std::string folder;
    bool cdrom = false;
    std::optional<std::string> group;
    bool callFactory = false;
    std::string kind = "driver";  // driver, software, all-software
    std::vector<std::string> ids;
    std::optional<std::string> idsFile;
    std::optional<std::string> windows;  // xp, vista, vista64
    std::optional<std::string> output;
    bool trace = false;
    bool json = false;
    std::optional<std::string> library;
};

struct HostOptions {
    std::string commandLine;
    int drive = 0;
    int kind = 0;
    std::vector<std::string> ids;
    std::optional<std::string> idsFile;
    bool allSoftware = false;
    std::string output;
    std::optional<std::string> drives;
    std::optional<std::string> winver;
    std::optional<std::string> library;
};

int runPreview(const PreviewOptions& options, std::ostream& out);
int runHost(const HostOptions& options);

}  // namespace mfgtool
