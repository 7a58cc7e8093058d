// mfglist: the command-line host of the install-list library.  It loads the
// library at run time and calls its exports as the factory host does, either
// from a folder of process files (`preview`) or with the exact arguments of
// one factory call (`host`), and compares two lists (`diff`).  `explain` and
// `lint` run the library's core linked in, to tell why each section is
// listed or not and to check process files; `ids` captures a machine's
// hardware IDs; `matrix` and `impact` run every model of a catalogue;
// `completions` prints the shell completions made from this parser.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <exception>
#include <iostream>
#include <sstream>
#include <vector>

#include "commands/commands.h"
#include "common/errors.h"
#include "common/options.h"
#include "common/stop_signals.h"
#include "common/system.h"
#include "present/json_contract.h"

namespace {

using namespace mfgtool;

bool wantsJson(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == "--json") return true;
    return false;
}

// One failure, told the way the caller asked: a line on standard error, or
// a JSON document on standard output.
int fail(bool json, const std::string& command, int status, const std::string& message) {
    waitForAnyStop();
    if (json)
        writeStdout(jsonError(command, status, message)
                        .dump(2, ' ', false, Json::error_handler_t::replace) +
                    "\n");
    else
        std::cerr << "mfglist: " << message << '\n';
    return status;
}

// The commands people use, in the table's order, each shown as `shown`
// makes it: "preview, explain, ... or impact".  Lines are broken after a
// comma before they pass 96 columns.
std::string commandNames(const std::vector<Command>& commands, const std::string& conjunction,
                         std::string (*shown)(const std::string&)) {
    std::vector<std::string> names;
    for (const Command& each : commands)
        if (!each.parser->get_group().empty()) names.push_back(shown(each.parser->get_name()));
    std::string text;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text += i + 1 == names.size() ? " " + conjunction + " " : ",";
        if (i > 0 && i + 1 < names.size())
            text += text.size() - lineStart + names[i].size() > 96 ? "\n" : " ";
        if (text.size() && text.back() == '\n') lineStart = text.size();
        text += names[i];
    }
    return text;
}

std::string plainName(const std::string& name) { return name; }
std::string helpCall(const std::string& name) { return "'mfglist " + name + " --help'"; }

}  // namespace

int main(int argc, char** argv) {
    handleStopSignals();
    CLI::App app{"Runs the install-list library the way the factory host does.", "mfglist"};
    app.require_subcommand(1);
    // Values here are paths, which on Windows may start with '/': never options.
    app.allow_windows_style_options(false);
    app.set_version_flag("--version", std::string("mfglist ") + MFGLIST_VERSION,
                         "Print the version and exit");
    // One row per command, in the order --help lists them; each command's
    // file adds its options and help.
    const std::vector<Command> commands = {
        addPreviewCommand(app),     addExplainCommand(app), addHostCommand(app),
        addDiffCommand(app),        addLintCommand(app),    addIdsCommand(app),
        addMatrixCommand(app),      addImpactCommand(app),  addCompletionsCommand(app),
        addModelWorkerCommand(app), addManPageCommand(app),
    };
    app.footer("\nSee " + commandNames(commands, "and", helpCall) + ".\n" + kExitStatusHelp);

    const bool json = wantsJson(argc, argv);
    const std::string first = argc > 1 ? argv[1] : "";
    const bool known = std::any_of(commands.begin(), commands.end(),
                                   [&](const Command& c) { return c.parser->get_name() == first; });
    const std::string command = known ? first : "mfglist";
    if (argc < 2)
        return fail(json, command, kExitBadUse,
                    "choose a command, " + commandNames(commands, "or", plainName) +
                        "; see 'mfglist --help'");
    if (!first.empty() && first[0] != '-' && command == "mfglist")
        return fail(json, command, kExitBadUse,
                    "unknown command " + first + "; choose " +
                        commandNames(commands, "or", plainName) + ", see 'mfglist --help'");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) return app.exit(e);
        const std::string help = command == "mfglist" ? "mfglist" : "mfglist " + command;
        return fail(json, command, kExitBadUse,
                    parseErrorMessage(e) + "; see '" + help + " --help'");
    }

    std::ostringstream out;
    int status = kExitOk;
    try {
        for (const Command& each : commands)
            if (each.parser->parsed()) status = each.run(out);
    } catch (const UsageError& e) {
        return fail(json, command, kExitBadUse, e.what());
    } catch (const LibraryError& e) {
        return fail(json, command, kExitLibraryProblem, e.what());
    } catch (const NoListError& e) {
        return fail(json, command, kExitNoList, e.what());
    } catch (const FailedRunError& e) {
        return fail(json, command, kExitListRunFailed, e.what());
    } catch (const IncompleteError& e) {
        return fail(json, command, kExitIncomplete, e.what());
    } catch (const RunError& e) {
        return fail(json, command, kExitRunFailed, e.what());
    } catch (const std::exception& e) {
        return fail(json, command, kExitRunFailed, e.what());
    }
    waitForAnyStop();
    writeStdout(out.str());
    return status;
}
