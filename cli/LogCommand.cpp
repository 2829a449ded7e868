#include "cli/LogCommand.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

#include "app/UserFolders.h"
#include "cli/Commands.h"
#include "cli/OptionTable.h"
#include "cli/TextCodec.h"
#include "cli/UserFilesLock.h"
#include "logbook/LogExchange.h"
#include "logbook/QsoText.h"

namespace tarnvel::cli {
namespace {

enum class LogAction { Import, Export, Merge, Search };

struct LogOptions {
    LogAction action = LogAction::Search;
    std::string argument;  // the ADIF file, the other log or the search text
    std::string output;    // export: the ADIF file written
    std::string logPath;   // empty: the user's log in the data folder
};

constexpr std::array<std::pair<std::string_view, LogAction>, 4> kActions{{
    {"import", LogAction::Import},
    {"export", LogAction::Export},
    {"merge", LogAction::Merge},
    {"search", LogAction::Search},
}};

using LogSpec = OptionSpec<LogOptions>;
constexpr std::array<LogSpec, 2> kLogOptions{{
    {"--log", "FILE",
     "the log to work on (default: Tarnvel.log in the data folder,\n"
     "$XDG_DATA_HOME/tarnvel or ~/.local/share/tarnvel)",
     [](std::string_view name, std::string_view value, LogOptions& o) {
         return parseFileName(name, value, o.logPath);
     }},
    {"-o", "OUT.adi", "export: the ADIF file to write (replaced when it exists)",
     [](std::string_view name, std::string_view value, LogOptions& o) {
         return parseFileName(name, value, o.output);
     }},
}};

MaybeProblem finishLog(LogOptions& o, const ScannedArgs& args) {
    const auto& p = args.positionals;
    if (p.empty()) return problem("log", "no action given (import, export, merge or search)");
    const auto action = std::find_if(kActions.begin(), kActions.end(),
                                     [&](const auto& a) { return a.first == p[0]; });
    if (action == kActions.end())
        return problem(p[0], "unknown action (import, export, merge or search)");
    o.action = action->second;
    if (o.action == LogAction::Export) {
        if (p.size() > 1) return problem(p[1], "unexpected argument (export writes to -o OUT.adi)");
        if (o.output.empty()) return problem("-o", "is required: the ADIF file to write");
        return std::nullopt;
    }
    if (args.given("-o")) return problem("-o", "only export writes a file");
    static constexpr std::array<const char*, 4> kWanted{"the ADIF file to import", "",
                                                        "the log to merge", "the text to look for"};
    const char* wanted = kWanted[static_cast<size_t>(o.action)];
    if (p.size() < 2) return problem(p[0], std::string("needs ") + wanted);
    if (p.size() > 2) return problem(p[2], "unexpected argument");
    if (p[1].empty()) return problem(p[0], std::string("needs ") + wanted + ", not an empty one");
    o.argument = std::string(p[1]);
    return std::nullopt;
}

constexpr CommandSpec<LogOptions> kLog{
    "log import FILE.adi | export -o OUT.adi | merge OTHER.log | search TEXT [--log FILE]",
    "Works on the log of QSOs. import adds the QSOs of an ADIF file in time order\n"
    "(records it cannot read go to ERR.ADI beside the log); export writes the whole\n"
    "log as ADIF; merge adds another log in the same line format; search prints the\n"
    "QSOs whose line holds TEXT (\"/\" prints them all) in the log window's columns.\n"
    "A QSO already in the log (same start and call) is not added twice; the previous\n"
    "log is kept as Tarnvel.log.bak.",
    kLogOptions,
    18,
    "Prints one line: \"imported N, duplicates D, errors E\", \"exported N\" or\n"
    "\"merged N, duplicates D\"; search prints the matching QSOs.",
    finishLog};

int fail(int status, const std::string& subject, const std::string& message) {
    reportProblem(Problem{subject, message});
    return status;
}

// The file named on the command line that cannot be read (import, merge) or written
// (export): bad input. The log or the files beside it (ERR.ADI): the work could not be done.
int failureStatus(logbook::ExchangeFailure failure, logbook::ExchangeFailure named) {
    return failure == named ? kExitBadInput : kExitFailure;
}

bool validUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        const size_t n = c < 0x80         ? 1
                         : (c >> 5) == 6  ? 2
                         : (c >> 4) == 14 ? 3
                         : (c >> 3) == 30 ? 4
                                          : 0;
        if (n == 0 || i + n > text.size()) return false;
        for (size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += n;
    }
    return true;
}

// A field as the terminal shows it: a UTF-8 log as it is, an 8-bit one as Latin-1.
std::string shown(const std::string& field) {
    return validUtf8(field) ? field : toUtf8(field);
}

size_t shownWidth(const std::string& utf8) {
    return static_cast<size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// The QSOs in the log window's nine columns, each as wide as its widest text.
std::string searchTable(const std::vector<logbook::QsoRecord>& records) {
    std::vector<std::array<std::string, 9>> rows;
    std::array<size_t, 9> widths{};
    for (const logbook::QsoRecord& r : records) {
        std::array<std::string, 9> row = logbook::logWindowColumns(r);
        for (size_t c = 0; c < row.size(); ++c) {
            row[c] = shown(row[c]);
            widths[c] = std::max(widths[c], shownWidth(row[c]));
        }
        rows.push_back(std::move(row));
    }
    std::string out;
    for (const auto& row : rows) {
        std::string line;
        for (size_t c = 0; c < row.size(); ++c) {
            line += row[c];
            if (c + 1 < row.size()) line.append(widths[c] - shownWidth(row[c]) + 2, ' ');
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out += line + '\n';
    }
    return out;
}

std::string summary(const char* format, size_t a, size_t b = 0, size_t c = 0) {
    char text[128];
    std::snprintf(text, sizeof text, format, a, b, c);
    return std::string(text) + "\n";
}

int runImport(const logbook::LogFile& log, const LogOptions& o) {
    const logbook::ImportResult r = logbook::importAdif(log, o.argument);
    if (!r.status)
        return fail(failureStatus(r.failure, logbook::ExchangeFailure::Input),
                    r.failure == logbook::ExchangeFailure::Input ? o.argument : log.path(),
                    r.status.error);
    return writeStandardOutput(
        summary("imported %zu, duplicates %zu, errors %zu", r.imported, r.duplicates, r.errors));
}

int runExport(const logbook::LogFile& log, const LogOptions& o) {
    if (auto place = checkOutputPlace(o.output)) return fail(kExitBadInput, o.output, *place);
    const logbook::ExportResult r = logbook::exportAdif(log, o.output);
    if (!r.status)
        return fail(failureStatus(r.failure, logbook::ExchangeFailure::Output),
                    r.failure == logbook::ExchangeFailure::Log ? log.path() : o.output,
                    r.status.error);
    return writeStandardOutput(summary("exported %zu", r.exported));
}

int runMerge(const logbook::LogFile& log, const LogOptions& o) {
    const logbook::MergeResult r = logbook::mergeLog(log, o.argument);
    if (!r.status)
        return fail(failureStatus(r.failure, logbook::ExchangeFailure::Input),
                    r.failure == logbook::ExchangeFailure::Input ? o.argument : log.path(),
                    r.status.error);
    return writeStandardOutput(summary("merged %zu, duplicates %zu", r.merged, r.duplicates));
}

int runSearch(const logbook::LogFile& log, const LogOptions& o) {
    const logbook::SearchList found = log.searchAll(o.argument);
    if (!found.status) return fail(kExitFailure, log.path(), found.status.error);
    return writeStandardOutput(searchTable(found.records));
}

// The user's log; the data folder is made on a fresh install, where the log is empty.
std::optional<std::string> userLog(bool writes) {
    const std::string folder = app::defaultDataFolder();
    if (writes) {
        const app::FolderResult made = app::createFolders(folder);
        if (!made.ok) {
            reportProblem({folder, made.error});
            return std::nullopt;
        }
    }
    return folder + "/" + logbook::kLogFileName;
}

}  // namespace

int runLog(const std::vector<std::string_view>& args) {
    const Parsed<LogOptions> parsed = parseCommand(kLog, args);
    if (parsed.help) return writeStandardOutput(helpText(kLog));
    if (parsed.problem) {
        reportProblem(*parsed.problem);
        return kExitBadInput;
    }
    const LogOptions& o = parsed.options;
    std::string path = o.logPath;
    // The user's own log is not rewritten while the desktop program has it open.
    std::optional<app::InstanceLock> lock;
    if (path.empty()) {
        const bool writes = o.action == LogAction::Import || o.action == LogAction::Merge;
        const auto user = userLog(writes);
        if (!user) return kExitFailure;
        if (writes && !(lock = lockUserFiles())) return kExitFailure;
        path = *user;
    }
    const logbook::LogFile log(path);
    switch (o.action) {
        case LogAction::Import:
            return runImport(log, o);
        case LogAction::Export:
            return runExport(log, o);
        case LogAction::Merge:
            return runMerge(log, o);
        case LogAction::Search:
            break;
    }
    return runSearch(log, o);
}

}  // namespace tarnvel::cli
