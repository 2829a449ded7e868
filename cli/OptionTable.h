#pragma once
// A command's options declared once, as a table: the parser and the --help text both come
// from it. Every option takes a value, given as "--name value" or "--name=value"; "--" ends
// the options; -h and --help ask for the help text.

#include <algorithm>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/OptionValues.h"

namespace tarnvel::cli {

// The options and plain arguments of a command line, in their order.
struct ScannedArgs {
    std::vector<std::pair<std::string_view, std::string_view>> options;  // name, value
    std::vector<std::string_view> positionals;

    bool given(std::string_view name) const {
        return std::any_of(options.begin(), options.end(),
                           [&](const auto& o) { return o.first == name; });
    }
};

template <typename Options>
struct OptionSpec {
    std::string_view name;   // "--mode", "-o"
    std::string_view value;  // what the help calls its value: "MODE"
    std::string_view help;   // lines after the first are indented under it
    MaybeProblem (*apply)(std::string_view name, std::string_view value, Options& options);
};

template <typename Options>
struct CommandSpec {
    std::string_view usage;  // the help's first line, after "Usage: tarnvel-cli "
    std::string_view about;  // the paragraph under it
    std::span<const OptionSpec<Options>> options;
    std::size_t helpColumn;  // where the option descriptions begin
    std::string_view footer;
    // What the options say together, and the plain arguments: the first problem, if any.
    MaybeProblem (*finish)(Options& options, const ScannedArgs& args);
};

namespace detail {

// "-h, --help" and every option with its value, each padded to the description column.
inline void appendOptionLine(std::string& out, std::string_view left, std::string_view help,
                             std::size_t column) {
    std::string line = "  " + std::string(left);
    line.append(line.size() < column ? column - line.size() : 1, ' ');
    out += line;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = help.find('\n', start);
        out += help.substr(start, end == std::string_view::npos ? help.npos : end - start);
        out += '\n';
        if (end == std::string_view::npos) break;
        out.append(column, ' ');
        start = end + 1;
    }
}

}  // namespace detail

template <typename Options>
std::string helpText(const CommandSpec<Options>& command) {
    std::string out = "Usage: tarnvel-cli " + std::string(command.usage) + "\n\n";
    out += std::string(command.about) + "\n\n";
    for (const OptionSpec<Options>& o : command.options) {
        const std::string left = o.value.empty() ? std::string(o.name)
                                                 : std::string(o.name) + " " + std::string(o.value);
        detail::appendOptionLine(out, left, o.help, command.helpColumn);
    }
    detail::appendOptionLine(out, "-h, --help", "this text", command.helpColumn);
    if (!command.footer.empty()) out += "\n" + std::string(command.footer) + "\n";
    return out;
}

template <typename Options>
const OptionSpec<Options>* findOption(const CommandSpec<Options>& command, std::string_view name) {
    for (const OptionSpec<Options>& o : command.options)
        if (o.name == name) return &o;
    return nullptr;
}

// Splits the arguments into options and plain arguments. Unknown options, a missing value
// and an option given twice are problems; help is set when -h or --help appears.
template <typename Options>
MaybeProblem scanArgs(const CommandSpec<Options>& command, std::span<const std::string_view> args,
                      ScannedArgs& s, bool& help) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            s.positionals.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            help = true;
        } else {
            std::string_view name = arg;
            std::optional<std::string_view> value;
            if (const std::size_t eq = arg.find('=');
                arg.starts_with("--") && eq != std::string_view::npos) {
                name = arg.substr(0, eq);
                value = arg.substr(eq + 1);
            }
            if (findOption(command, name) == nullptr) return problem(name, "unknown option");
            if (!value) {
                if (i + 1 >= args.size()) return problem(name, "needs a value");
                value = args[++i];
            }
            if (s.given(name)) return problem(name, "given more than once");
            s.options.emplace_back(name, *value);
        }
    }
    return std::nullopt;
}

// Help wins over every problem of the command line (the scan stops at the first problem, so
// a --help after it is not seen).
template <typename Options>
Parsed<Options> parseCommand(const CommandSpec<Options>& command,
                             const std::vector<std::string_view>& args) {
    Parsed<Options> parsed;
    ScannedArgs s;
    const MaybeProblem scanned = scanArgs(command, std::span(args), s, parsed.help);
    if (parsed.help) return parsed;
    if (scanned) {
        parsed.problem = scanned;
        return parsed;
    }
    for (const auto& [name, value] : s.options) {
        if (MaybeProblem p = findOption(command, name)->apply(name, value, parsed.options)) {
            parsed.problem = std::move(p);
            return parsed;
        }
    }
    parsed.problem = command.finish(parsed.options, s);
    return parsed;
}

}  // namespace tarnvel::cli
