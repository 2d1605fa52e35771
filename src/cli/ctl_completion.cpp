#include "cli/ctl_completion.h"

#include <CLI/CLI.hpp>
#include <set>
#include <vector>

namespace velmor::cli {

namespace {

// Positionals and option values named so take file names.
bool TakesFiles(const CLI::Option& option) {
    static const std::set<std::string> kFileNames = {"FILE", "DOC", "A", "B"};
    return kFileNames.count(option.get_type_name()) > 0 ||
           (option.get_lnames().empty() && option.get_snames().empty() &&
            kFileNames.count(option.get_name()) > 0);
}

std::string Names(const CLI::Option& option) {
    std::string names;
    for (const std::string& name : option.get_lnames()) names += " --" + name;
    for (const std::string& name : option.get_snames()) names += " -" + name;
    return names;
}

std::string Join(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) text += (text.empty() ? "" : " ") + word;
    return text;
}

// One case of the level table: the commands and options of `app`, reached by the
// command words of `path`, and whether its positionals are file names.
void AddLevel(const CLI::App& app, const std::string& path, std::string& levels,
              std::string& valueOptions, std::string& fileOptions) {
    std::vector<std::string> commands;
    for (const CLI::App* sub : app.get_subcommands({})) commands.push_back(sub->get_name());
    std::string options;
    bool filePositionals = false;
    for (const CLI::Option* option : app.get_options()) {
        if (option->get_group().empty()) continue;  // hidden
        if (option->nonpositional()) {
            options += Names(*option);
            const std::string names = Names(*option);
            if (option->get_expected_min() > 0) {
                valueOptions += names;
                if (TakesFiles(*option)) fileOptions += names;
            }
        } else if (TakesFiles(*option)) {
            filePositionals = true;
        }
    }
    levels += "        \"" + path + "\") commands=\"" + Join(commands) + "\"; options=\"" +
              (options.empty() ? options : options.substr(1)) +
              "\"; files=" + (filePositionals ? "1" : "0") + " ;;\n";
    for (const CLI::App* sub : app.get_subcommands({}))
        AddLevel(*sub, path + "/" + sub->get_name(), levels, valueOptions, fileOptions);
}

}  // namespace

std::string BashCompletion(const CLI::App& app) {
    std::string levels;
    std::string valueOptions;
    std::string fileOptions;
    AddLevel(app, "", levels, valueOptions, fileOptions);
    const std::string name = app.get_name();
    const std::string function = "_" + name;
    return "# bash completion for " + name + ", made by " + name +
           " --bash-completion from its own command declarations\n" + function +
           "_level() {\n    case \"$1\" in\n" + levels +
           "        *) commands=\"\"; options=\"\"; files=1 ;;\n    esac\n}\n\n" + function +
           "() {\n"
           "    local cur=\"${COMP_WORDS[COMP_CWORD]}\" prev=\"${COMP_WORDS[COMP_CWORD-1]}\"\n"
           "    local path=\"\" commands options files i word global\n"
           "    " +
           function +
           "_level \"\"\n"
           "    global=\"$options\"\n"
           "    # The command words so far make the path; option values are skipped.\n"
           "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
           "        word=\"${COMP_WORDS[i]}\"\n"
           "        case \" " +
           valueOptions.substr(valueOptions.empty() ? 0 : 1) +
           " \" in *\" $word \"*) ((i++)); continue ;; esac\n"
           "        case \" $commands \" in *\" $word \"*) path=\"$path/$word\"; " +
           function +
           "_level \"$path\" ;; esac\n"
           "    done\n"
           "    case \"$prev\" in\n"
           "        --device) COMPREPLY=($(compgen -W \"all 0 1 2 3\" -- \"$cur\")); return ;;\n"
           "        --board-type) COMPREPLY=($(compgen -W \"0 1 2\" -- \"$cur\")); return ;;\n"
           "    esac\n"
           "    case \" " +
           fileOptions.substr(fileOptions.empty() ? 0 : 1) +
           " \" in *\" $prev \"*) COMPREPLY=($(compgen -f -- \"$cur\")); return ;; esac\n"
           "    case \" " +
           valueOptions.substr(valueOptions.empty() ? 0 : 1) +
           " \" in *\" $prev \"*) COMPREPLY=(); return ;; esac\n"
           "    if [[ \"$cur\" == -* ]]; then\n"
           "        COMPREPLY=($(compgen -W \"$options $global\" -- \"$cur\"))\n"
           "    elif [[ -n \"$commands\" ]]; then\n"
           "        COMPREPLY=($(compgen -W \"$commands\" -- \"$cur\"))\n"
           "    elif [[ \"$files\" == 1 ]]; then\n"
           "        COMPREPLY=($(compgen -f -- \"$cur\"))\n"
           "    fi\n"
           "}\n"
           "complete -o filenames -F " +
           function + " " + name + "\n";
}

}  // namespace velmor::cli
