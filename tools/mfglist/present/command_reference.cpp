#include "command_reference.h"

#include <sstream>

namespace mfgtool {
namespace {

bool shown(const CLI::Option* option) {
    return !option->get_group().empty() && option->get_name() != "--help";
}

// A value's name as --help shows it, from the option's type: a flag has none.
std::string valueName(const CLI::Option* option) {
    if (option->get_expected_max() == 0 || option->get_type_size_max() == 0) return "";
    const std::string name = option->get_type_name();
    return name.empty() ? "VALUE" : name;
}

// roff: a backslash is \e, a hyphen \-, and a line may not open with a
// control character.
std::string roff(const std::string& text) {
    std::string out;
    bool lineStart = true;
    for (const char c : text) {
        if (lineStart && (c == '.' || c == '\'')) out += "\\&";
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
        lineStart = c == '\n';
    }
    return out;
}

// Text inside single quotes of a shell.
std::string quoted(const std::string& text) {
    std::string out = "'";
    for (const char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

std::string bashScript(const std::vector<CommandReference>& commands) {
    std::ostringstream out;
    out << "# bash completion for mfglist (made by 'mfglist completions bash')\n"
           "_mfglist() {\n"
           "    local cur=${COMP_WORDS[COMP_CWORD]} words\n"
           "    if [ \"$COMP_CWORD\" -eq 1 ]; then\n"
           "        words='--help --version";
    for (const CommandReference& command : commands) out << ' ' << command.name;
    out << "'\n"
           "    else\n"
           "        case ${COMP_WORDS[1]} in\n";
    for (const CommandReference& command : commands) {
        out << "        " << command.name << ") words='--help";
        for (const OptionReference& option : command.options)
            for (const std::string& name : option.names) out << ' ' << name;
        out << "' ;;\n";
    }
    out << "        *) words= ;;\n"
           "        esac\n"
           "        if [[ $cur != -* ]]; then\n"
           "            mapfile -t COMPREPLY < <(compgen -f -- \"$cur\")\n"
           "            return\n"
           "        fi\n"
           "    fi\n"
           "    mapfile -t COMPREPLY < <(compgen -W \"$words\" -- \"$cur\")\n"
           "}\n"
           "complete -o filenames -F _mfglist mfglist\n";
    return out.str();
}

// zsh's _arguments option text: "[", "]" and ":" in a description are
// escaped, as is a quote for the single quotes around it.
std::string zshText(const std::string& text) {
    std::string out;
    for (const char c : firstLine(text)) {
        if (c == '[' || c == ']' || c == ':' || c == '\\') out += '\\';
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out;
}

std::string zshScript(const std::vector<CommandReference>& commands) {
    std::ostringstream out;
    out << "#compdef mfglist\n"
           "# zsh completion for mfglist (made by 'mfglist completions zsh')\n"
           "_mfglist() {\n"
           "    local -a commands\n"
           "    commands=(\n";
    for (const CommandReference& command : commands)
        out << "        '" << command.name << ":" << zshText(command.summary) << "'\n";
    out << "    )\n"
           "    if (( CURRENT == 2 )); then\n"
           "        _describe -t commands 'mfglist command' commands\n"
           "        return\n"
           "    fi\n"
           "    case $words[2] in\n";
    for (const CommandReference& command : commands) {
        out << "    " << command.name << ")\n        _arguments";
        for (const OptionReference& option : command.options)
            for (const std::string& name : option.names)
                out << " \\\n            '" << name << "[" << zshText(option.help) << "]"
                    << (option.value.empty() ? "" : ":" + option.value + ":_files") << "'";
        out << " \\\n            '*:file:_files' ;;\n";
    }
    out << "    esac\n"
           "}\n"
           "_mfglist \"$@\"\n";
    return out.str();
}

std::string fishScript(const std::vector<CommandReference>& commands) {
    std::ostringstream out;
    out << "# fish completion for mfglist (made by 'mfglist completions fish')\n"
           "complete -c mfglist -f\n";
    for (const CommandReference& command : commands)
        out << "complete -c mfglist -n __fish_use_subcommand -a " << command.name << " -d "
            << quoted(firstLine(command.summary)) << '\n';
    for (const CommandReference& command : commands) {
        const std::string when = quoted("__fish_seen_subcommand_from " + command.name);
        out << "complete -c mfglist -n " << when << " -F\n";
        for (const OptionReference& option : command.options)
            for (const std::string& name : option.names) {
                out << "complete -c mfglist -n " << when
                    << (name.rfind("--", 0) == 0 ? " -l " + name.substr(2)
                                                 : " -s " + name.substr(1));
                if (!option.value.empty()) out << " -r";
                out << " -d " << quoted(firstLine(option.help)) << '\n';
            }
    }
    return out.str();
}

}  // namespace

std::vector<CommandReference> commandReference(const CLI::App& app) {
    std::vector<CommandReference> commands;
    for (const CLI::App* sub : app.get_subcommands({})) {
        if (sub->get_group().empty()) continue;
        CommandReference command{
            sub->get_name(), sub->get_description(), sub->get_footer(), {}, {}};
        for (const CLI::Option* option : sub->get_options()) {
            if (!option->nonpositional()) {
                command.positionals.push_back(option->get_name(true));
                continue;
            }
            if (!shown(option)) continue;
            OptionReference entry;
            for (const std::string& name : option->get_snames()) entry.names.push_back("-" + name);
            for (const std::string& name : option->get_lnames()) entry.names.push_back("--" + name);
            entry.value = valueName(option);
            entry.help = option->get_description();
            command.options.push_back(entry);
        }
        commands.push_back(command);
    }
    return commands;
}

std::string manPage(const CLI::App& app, const std::string& version,
                    const std::string& exitStatus) {
    std::ostringstream out;
    out << ".TH MFGLIST 1 \"\" \"mfglist " << roff(version) << "\" \"User Commands\"\n"
        << ".SH NAME\nmfglist \\- " << roff(app.get_description()) << '\n'
        << ".SH SYNOPSIS\n.B mfglist\n.I command\n[\\fIoptions\\fR]\n"
        << ".br\n.B mfglist \\-\\-version\n"
        << ".SH DESCRIPTION\n"
        << "The command-line host of the install-list library: it loads the library and calls it "
           "the way the factory host does, and previews, explains, checks and compares the install "
           "lists of a folder of process files.\n"
        << ".SH COMMANDS\n";
    for (const CommandReference& command : commandReference(app)) {
        out << ".SS \"mfglist " << command.name;
        for (const std::string& positional : command.positionals) out << ' ' << roff(positional);
        out << " [options]\"\n" << roff(command.summary) << '\n';
        for (const OptionReference& option : command.options) {
            out << ".TP\n";
            for (std::size_t i = 0; i < option.names.size(); ++i)
                out << (i ? ", " : "") << "\\fB" << roff(option.names[i]) << "\\fR";
            if (!option.value.empty()) out << " \\fI" << roff(option.value) << "\\fR";
            out << '\n' << roff(option.help) << '\n';
        }
        if (!command.footer.empty()) out << ".PP\n.nf\n" << roff(command.footer) << "\n.fi\n";
    }
    out << ".SH \"EXIT STATUS\"\n.nf\n"
        << roff(exitStatus) << "\n.fi\n"
        << ".SH \"SEE ALSO\"\nThe README and docs/ in /usr/share/doc/mfglist.\n";
    return out.str();
}

std::string completionScript(const CLI::App& app, const std::string& shell) {
    const std::vector<CommandReference> commands = commandReference(app);
    if (shell == "bash") return bashScript(commands);
    if (shell == "zsh") return zshScript(commands);
    if (shell == "fish") return fishScript(commands);
    return "";
}

}  // namespace mfgtool
