// `mfglist completions SHELL` and the hidden `mfglist man-page`: the
// parser's own table as a shell's completions and as the man page, which
// the build writes and the packages install.
#include "commands.h"

#include <memory>

#include "common/errors.h"
#include "present/command_reference.h"

namespace mfgtool {

Command addCompletionsCommand(CLI::App& app) {
    auto shell = std::make_shared<std::string>();
    CLI::App* command = app.add_subcommand(
        "completions", "Print the shell completions of mfglist: bash, zsh or fish.");
    command->add_option("SHELL", *shell, "bash, zsh or fish")->required();
    command->footer(
        "\nExamples:\n"
        "  mfglist completions bash > ~/.local/share/bash-completion/completions/mfglist\n"
        "  mfglist completions fish > ~/.config/fish/completions/mfglist.fish\n");
    const CLI::App* root = &app;
    return {command, [shell, root](std::ostream& out) {
                const std::string script = completionScript(*root, *shell);
                if (script.empty())
                    throw UsageError("no completions for the shell " + *shell +
                                     "; give bash, zsh or fish");
                out << script;
                return kExitOk;
            }};
}

Command addManPageCommand(CLI::App& app) {
    CLI::App* command = app.add_subcommand("man-page", "");
    command->group("");  // for the build, which writes mfglist.1
    const CLI::App* root = &app;
    return {command, [root](std::ostream& out) {
                out << manPage(*root, MFGLIST_VERSION, kExitStatusHelp);
                return kExitOk;
            }};
}

}  // namespace mfgtool
