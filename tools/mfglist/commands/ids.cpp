// `mfglist ids`: this machine's hardware IDs (or a copied sysfs tree's) as
// an ID file of the model catalogue.  The file is grouped by device: each
// device a comment naming it, then its IDs, most specific first.  Devices
// follow each other in the order of their first IDs, so that two captures of
// the same model compare line by line; an ID that an earlier device gave
// already is not written again, so every ID stands once in the file.
#include "commands.h"

#include <algorithm>
#include <ctime>
#include <fstream>
#include <iostream>
#include <memory>
#include <set>

#include "common/errors.h"
#include "common/file_writes.h"
#include "common/options.h"
#include "ids/device_inventory.h"
#include "ids/id_file_header.h"
#include "ids/id_forms.h"
#include "ids/id_names.h"

namespace fs = std::filesystem;

namespace mfgtool {
namespace {

// `mfglist ids`: this machine's hardware IDs as an ID file of the model
// catalogue (id_file_header.h, id_forms.h).
struct IdsOptions {
    std::optional<std::string> output;
    std::optional<std::string> model;
    std::optional<std::string> form;  // compact (default) or pnp
    std::vector<std::string> templates;
    std::optional<std::string> root;     // a copied sysfs tree instead of this machine
    std::optional<std::string> idNames;  // pci.ids and usb.ids, for the devices' names
};

const char* const kIdsFooter =
    "Writes the hardware IDs of this machine as an ID file of the model catalogue: a header of\n"
    "'# key: value' comments (model, form, templates, captured, host, tool), then each device\n"
    "as a comment naming its bus, location, class and (from pci.ids and usb.ids) its vendor\n"
    "and device, followed by its IDs, most specific first.  Devices are in the order of their "
    "first IDs; an ID an earlier device gave is not\n"
    "written again.  Linux reads sysfs (PCI, USB, ACPI); Windows asks SetupAPI for every\n"
    "present device.  --root reads a sysfs tree copied from another machine (with its links).\n"
    "\n"
    "Forms: compact (default) {VEN}{DEV}{SUBSYS} and {VEN}{DEV} in upper-case hex, SUBSYS as\n"
    "Windows writes it (subsystem device, then subsystem vendor), and an ACPI device's ID;\n"
    "pnp Windows' hardware-ID and compatible-ID strings (PCI\\VEN_1A2B&DEV_0001&...);\n"
    "--template (repeatable) any other, from {VEN} {DEV} {SUBSYS} {SUBVEN} {SUBDEV} {REV}\n"
    "{CLASS}; a device without a template's fields gives no ID for it.  An entry that cannot\n"
    "be read is left out with a note on standard error.  Status 4 when no device gives an ID.\n"
    "\n"
    "Examples:\n"
    "  mfglist ids -o catalogue/ModelA.txt --model \"Model A\"\n"
    "  mfglist ids --form pnp\n"
    "  mfglist ids --template \"PCI:{VEN}-{DEV}\" --root /media/stick/capture\n"
    "  mfglist preview factory --ids-file catalogue/ModelA.txt\n";

struct CapturedDevice {
    const Device* device;
    std::vector<std::string> ids;
};

std::string utcNow() {
    const std::time_t now = std::time(nullptr);
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", std::gmtime(&now));
    return text;
}

std::string firstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    return line;
}

fs::path checkedRoot(const std::string& root) {
    std::error_code ec;
    if (!fs::exists(root, ec))
        throw UsageError("no folder " + root + "; give the folder a sysfs tree was copied to");
    if (!fs::is_directory(root, ec))
        throw UsageError(root +
                         " is not a folder; give the folder a sysfs tree was copied to "
                         "(the one that holds sys/bus)");
    return root;
}

// The file's folder must be there; a file already there is replaced only
// once the whole new text is written.
void writeIdFile(const std::string& file, const std::string& text) {
    std::error_code ec;
    const fs::path path = fs::absolute(fs::path(file), ec);
    if (fs::is_directory(path, ec))
        throw UsageError(file + " is a folder; give a file path for the ID file");
    if (!fs::is_directory(path.parent_path(), ec))
        throw UsageError("no folder " + path.parent_path().string() +
                         " for the ID file; make it first or give another -o");
    replaceFileWhole(path, text);
}

// "# PCI 0000:00:02.0, display controller 030000: Intel Corporation HD
// Graphics 530", the name where the ID databases know the device.
std::string deviceComment(const Device& device, const IdNames& names) {
    std::string comment = "# " + std::string(busName(device.bus));
    if (!device.location.empty()) comment += " " + device.location;
    if (!device.description.empty()) comment += ", " + device.description;
    if (const std::optional<std::string> name = names.deviceName(device)) comment += ": " + *name;
    return comment;
}

int runIds(const IdsOptions& options, std::ostream& out) {
    const CaptureForm form = captureForm(options.form, options.templates);
    const std::optional<fs::path> root =
        options.root ? std::optional<fs::path>(checkedRoot(*options.root)) : std::nullopt;
    const DeviceScan scan = root ? readSysfs(*root) : scanThisMachine();
    for (const std::string& note : scan.notes) std::cerr << "mfglist: note: " << note << '\n';

    std::vector<CapturedDevice> captured;
    for (const Device& device : scan.devices)
        if (std::vector<std::string> ids = idsOf(device, form); !ids.empty())
            captured.push_back({&device, std::move(ids)});
    const std::string where = root ? " under " + root->string() : "";
    if (scan.devices.empty())
        throw NoListError("found no device" + where +
                          (root ? " (its sys/bus/pci, usb and acpi folders hold none)" : ""));
    if (captured.empty())
        throw NoListError("none of the " + std::to_string(scan.devices.size()) + " devices found" +
                          where + " gives an ID in form " + formName(form.kind));
    std::stable_sort(captured.begin(), captured.end(),
                     [](const CapturedDevice& a, const CapturedDevice& b) {
                         return a.ids.front() < b.ids.front();
                     });

    IdFileHeader header;
    // With --root the machine is the copied tree's, whose name is in its
    // files if anywhere.
    header.host = root ? firstLine(*root / "etc" / "hostname") : thisMachineName();
    header.model = options.model    ? *options.model
                   : options.output ? fs::path(*options.output).stem().string()
                                    : header.host;
    header.form = formName(form.kind);
    header.templates = form.templates;
    header.captured = utcNow();
    header.tool = std::string("mfglist ") + MFGLIST_VERSION;

    const IdNames names(options.idNames);
    std::string text = formatIdFileHeader(header) + "\n";
    std::set<std::string> written;
    for (const CapturedDevice& entry : captured) {
        text += deviceComment(*entry.device, names);
        std::string lines;
        for (const std::string& id : entry.ids)
            if (written.insert(id).second) lines += id + "\n";
        text += lines.empty() ? " (its IDs are listed above)\n" : "\n" + lines;
    }
    if (!options.output) {
        out << text;
        return kExitOk;
    }
    writeIdFile(*options.output, text);
    std::cerr << "mfglist: wrote " << written.size() << " IDs of " << captured.size()
              << " devices to " << *options.output << '\n';
    return kExitOk;
}

}  // namespace

Command addIdsCommand(CLI::App& app) {
    auto options = std::make_shared<IdsOptions>();
    CLI::App* command = app.add_subcommand(
        "ids", "Write this machine's hardware IDs as an ID file of the model catalogue.");
    command->add_option("-o,--output", options->output,
                        "Write the ID file here (replaced) instead of standard output");
    command->add_option("--model", options->model,
                        "The model's name for the header (default: the file's name, else "
                        "the host name)");
    command->add_option("--form", options->form, "compact (default) or pnp");
    command
        ->add_option("--template", options->templates,
                     "Write IDs in this form instead, e.g. {VEN}{DEV}{SUBSYS}; repeat for more")
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    command->add_option("--root", options->root,
                        "Read the sysfs tree copied to this folder instead of this machine");
    addIdNamesOption(*command, options->idNames);
    command->footer(std::string("\n") + kIdsFooter + "\n" + kExitStatusHelp);
    return {command, [options](std::ostream& out) { return runIds(*options, out); }};
}

}  // namespace mfgtool
