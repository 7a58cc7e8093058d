// The forms in which `mfglist ids` writes a device's hardware IDs.  A factory
// host turns a device into IDs its own way, so the form is chosen when the
// machine is captured and recorded in the ID file's header:
//   compact   {VEN}{DEV}{SUBSYS} and {VEN}{DEV} in upper-case hex (PCI and
//             USB), and an ACPI device's own ID (ACPI0003);
//   pnp       Windows' hardware-ID and compatible-ID strings
//             (PCI\VEN_1A2B&DEV_0001&SUBSYS_C0DE0101&REV_03, ...);
//   template  one ID per --template, its fields filled in.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "device.h"

namespace mfgtool {

enum class FormKind { compact, pnp, templates };

struct CaptureForm {
    FormKind kind = FormKind::compact;
    std::vector<std::string> templates;
};

// "compact", "pnp" or "template", as the ID file's header names it.
const char* formName(FormKind kind);

// The form of the command line: --form (default compact) or the templates,
// not both.  Throws UsageError for an unknown form, or for a template with an
// unknown field (naming it) or a '{' without its '}'.
CaptureForm captureForm(const std::optional<std::string>& form,
                        const std::vector<std::string>& templates);

// The device's IDs in `form`, most specific first, each once.  A template
// whose fields the device lacks gives nothing (a USB device has no
// {SUBSYS}); a subsystem of 0000:0000 counts as none, as on a bridge.
std::vector<std::string> idsOf(const Device& device, const CaptureForm& form);

}  // namespace mfgtool
