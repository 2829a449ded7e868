// tarnvel-cli log on small logs and ADIF files written here: the summary lines, the exit
// statuses, a fresh install without a log, and what the log holds afterwards.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "logbook/LogFile.h"
#include "logbook/LogLine.h"
#include "support/WavBytes.h"
#include "tests/cli/CliSpawn.h"

namespace tarnvel::cli {
namespace {

using testing::ScratchFolder;

using testing::CliRun;
using testing::readText;

void writeText(const std::filesystem::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary | std::ios::trunc) << text;
}

// The tool with its data folder in `data` (a fresh user's, unless the test puts a log there).
CliRun runCli(const std::vector<std::string>& args, const std::filesystem::path& data) {
    return testing::runCli(args, {{"XDG_DATA_HOME", data.string()}});
}

// Three QSOs of which one has no date (it goes to ERR.ADI), written newest first; MY_NAME
// before NAME must not be taken for the other station's name.
constexpr const char* kAdif =
    "Exported by a logger\n<ADIF_VER:5>3.1.0<EOH>\n"
    "<CALL:5>DL1AA<QSO_DATE:8>20041026<TIME_ON:4>1240<FREQ:9>14.074150<MODE:3>FT8"
    "<MY_NAME:3>Bob<NAME:4>Hans<eor>\n"
    "<CALL:6>SP9ABC<QSO_DATE:8>20041026<TIME_ON:4>1234<BAND:3>20m<MODE:4>BPSK<EOR>\n"
    "<CALL:4>G3XX<TIME_ON:4>1236<FREQ:6>14.071<EOR>\n";

class CliLog : public ::testing::Test {
  protected:
    std::filesystem::path file(const std::string& name) const { return folder.path() / name; }
    std::vector<std::string> logLines(const std::filesystem::path& log) {
        return logbook::splitLines(readText(log));
    }
    ScratchFolder folder;
    ScratchFolder data;  // $XDG_DATA_HOME
};

TEST_F(CliLog, FreshInstallImportsIntoANewLogInTheDataFolder) {
    writeText(file("in.adi"), kAdif);
    const CliRun run = runCli({"log", "import", file("in.adi").string()}, data.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "imported 2, duplicates 0, errors 1\n");
    const auto log = data.path() / "tarnvel" / "Tarnvel.log";
    const auto lines = logLines(log);
    ASSERT_EQ(lines.size(), 2u);
    // Sorted by start whatever the file's order.
    EXPECT_EQ(logbook::parseLogLine(lines[0])->call, "SP9ABC");
    const auto dl = logbook::parseLogLine(lines[1]);
    EXPECT_EQ(dl->name, "Hans");
    EXPECT_EQ(dl->frequency2, 14074150);
    EXPECT_NE(readText(data.path() / "tarnvel" / "ERR.ADI").find("G3XX"), std::string::npos);

    // Again: everything is there already.
    const CliRun again = runCli({"log", "import", file("in.adi").string()}, data.path());
    EXPECT_EQ(again.out, "imported 0, duplicates 2, errors 1\n");
    EXPECT_EQ(logLines(log).size(), 2u);
}

TEST_F(CliLog, ExportImportsBackUnchangedAndAFreshInstallExportsNothing) {
    const CliRun empty = runCli({"log", "export", "-o", file("none.adi").string()}, data.path());
    EXPECT_EQ(empty.status, 0) << empty.err;
    EXPECT_EQ(empty.out, "exported 0\n");
    EXPECT_FALSE(std::filesystem::exists(data.path() / "tarnvel" / "Tarnvel.log"));

    writeText(file("in.adi"), kAdif);
    const std::string log = file("my.log").string();
    ASSERT_EQ(runCli({"log", "import", file("in.adi").string(), "--log", log}, data.path()).status,
              0);
    const std::string before = readText(log);
    const CliRun exported =
        runCli({"log", "--log", log, "export", "-o", file("out.adi").string()}, data.path());
    EXPECT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(exported.out, "exported 2\n");
    EXPECT_NE(readText(file("out.adi")).find("<FREQ:9>14.074150"), std::string::npos);
    const CliRun back =
        runCli({"log", "import", file("out.adi").string(), "--log", log}, data.path());
    EXPECT_EQ(back.out, "imported 0, duplicates 2, errors 0\n");
    EXPECT_EQ(readText(log), before);
}

TEST_F(CliLog, MergeAddsTheOtherLogsNewQsosInTimeOrder) {
    const std::string mine = "0;SP9ABC;20041026123400;;;;0;14070000;;BPSK;;;;;Jan;;;;;\n";
    const std::string other = "0;DL1AA;20041026120000;;;;0;14070000;;BPSK;;;;;;;;;;\n" + mine;
    writeText(file("my.log"), mine);
    writeText(file("other.log"), other);
    const CliRun run =
        runCli({"log", "merge", file("other.log").string(), "--log", file("my.log").string()},
               data.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "merged 1, duplicates 1\n");
    const auto lines = logLines(file("my.log"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(logbook::parseLogLine(lines[0])->call, "DL1AA");
    EXPECT_EQ(lines[1] + "\n", mine);
}

TEST_F(CliLog, SearchPrintsTheMatchesInTheLogWindowsColumns) {
    writeText(file("my.log"),
              "0;SP9ABC;20041026123400;;;;0;14070000;;BPSK;599;579;;;Jan;Krakow;;;;\n"
              "0;DL1AA;20041026124000;;;;0;14074150;;FT8;;;;;Hans;;met sp9abc;;;\n"
              "0;G3XX;20041026125000;;;;0;7070000;;BPSK;;;;;;;;;;\n");
    const std::string log = file("my.log").string();
    const CliRun run = runCli({"log", "search", "sp9abc", "--log", log}, data.path());
    EXPECT_EQ(run.status, 0) << run.err;
    const auto lines = logbook::splitLines(run.out);
    ASSERT_EQ(lines.size(), 2u) << run.out;
    EXPECT_NE(lines[0].find("14070.000  BPSK  SP9ABC  599"), std::string::npos) << run.out;
    EXPECT_NE(lines[1].find("14074.150  FT8   DL1AA "), std::string::npos) << run.out;
    EXPECT_NE(lines[1].find("met sp9abc"), std::string::npos);
    // The columns line up: the calls begin at the same place.
    EXPECT_EQ(lines[0].find("SP9ABC"), lines[1].find("DL1AA"));

    EXPECT_EQ(
        logbook::splitLines(runCli({"log", "search", "/", "--log", log}, data.path()).out).size(),
        3u);
    const CliRun none = runCli({"log", "search", "nobody"}, data.path());
    EXPECT_EQ(none.status, 0) << none.err;
    EXPECT_EQ(none.out, "");
}

TEST_F(CliLog, ExitStatusesTellBadCommandLinesUnreadableInputAndFailedWork) {
    const auto refused = [&](const std::vector<std::string>& args, const std::string& subject) {
        const CliRun run = runCli(args, data.path());
        EXPECT_EQ(run.status, 2) << subject << ": " << run.err;
        EXPECT_TRUE(run.out.empty()) << subject;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_NE(run.err.find(subject), std::string::npos) << run.err;
    };
    refused({"log"}, "no action");
    refused({"log", "sort"}, "sort");
    refused({"log", "import"}, "import");
    refused({"log", "export"}, "-o");
    refused({"log", "search", "x", "-o", "y"}, "-o");
    refused({"log", "import", "a.adi", "b.adi"}, "b.adi");
    refused({"log", "import", file("missing.adi").string()}, "missing.adi");
    refused({"log", "merge", file("missing.log").string()}, "missing.log");
    // The log itself is never the export's output.
    writeText(file("my.log"), "0;SP9ABC;20041026123400;;;;0;14070000;;BPSK;;;;;;;;;;\n");
    refused({"log", "export", "-o", file("my.log").string(), "--log", file("my.log").string()},
            "my.log");
    EXPECT_EQ(logLines(file("my.log")).size(), 1u);

    // A log that cannot be written (its folder is a file): the work could not be done.
    writeText(file("in.adi"), kAdif);
    writeText(file("plain"), "");
    const CliRun failed = runCli(
        {"log", "import", file("in.adi").string(), "--log", file("plain").string() + "/x.log"},
        data.path());
    EXPECT_EQ(failed.status, 1) << failed.err;
    EXPECT_TRUE(failed.out.empty());
    EXPECT_TRUE(runCli({"log", "--help"}, data.path()).out.starts_with("Usage: tarnvel-cli log"));
}

}  // namespace
}  // namespace tarnvel::cli
