// tarnvel-cli link against a station's link server run in this test: the tool is a separate
// process, the server is pumped here while it runs.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <sstream>

#include "CliSpawn.h"
#include "link/LinkServer.h"
#include "../link/LinkTestSupport.h"

namespace {

using tarnvel::link::LinkItem;

struct CliLink : ::testing::Test {
    testing_link::TempFolder folder;
    std::string socket = (folder.path / "link").string();
    testing_link::FakeStation station;
    tarnvel::link::LinkServer server{station};
    pid_t pid = -1;

    void SetUp() override {
        station[LinkItem::Ptt] = "1";
        station[LinkItem::Notes] = "tnx\tfb";
        ASSERT_TRUE(server.start(socket));
    }

    void start(std::vector<std::string> args) {
        args.push_back("--socket=" + socket);
        pid = tarnvel::testing::spawnCli(args, folder.path / "out", folder.path / "err");
        ASSERT_GT(pid, 0);
    }
    // Serves the tool until it has exited (or until `until` holds, for a watch); its status.
    int serve(const std::function<bool()>& until = {}) {
        int status = 0;
        for (int round = 0; round < 2000; ++round) {
            server.service();
            if (until && until()) return -1;
            if (::waitpid(pid, &status, WNOHANG) == pid)
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
            ::usleep(5000);
        }
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        return -2;
    }
    std::string out() const { return text(folder.path / "out"); }
    long outLines() const {
        const std::string o = out();
        return std::count(o.begin(), o.end(), '\n');
    }
    std::string err() const { return text(folder.path / "err"); }
    static std::string text(const std::filesystem::path& path) {
        std::ifstream in(path);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

}  // namespace

TEST_F(CliLink, GetPrintsTheValueAndSetWritesALogBarField) {
    start({"link", "get", "CAT", "Ptt"});
    EXPECT_EQ(serve(), 0);
    EXPECT_EQ(out(), "1\n");
    start({"link", "get", "QSO", "Notes"});
    EXPECT_EQ(serve(), 0);
    EXPECT_EQ(out(), "tnx\\tfb\n");
    start({"link", "set", "QSO", "Name", "Jan"});
    EXPECT_EQ(serve(), 0) << err();
    EXPECT_EQ(station[LinkItem::Name], "Jan");
    start({"link", "set", "CAT", "Ptt", "0"});
    EXPECT_EQ(serve(), 1);
    EXPECT_NE(err().find("Ptt is not writable"), std::string::npos) << err();
    EXPECT_EQ(station[LinkItem::Ptt], "1");
}

TEST_F(CliLink, WatchPrintsEveryChangeUntilTheStationEnds) {
    start({"link", "watch", "CAT", "Ptt", "QSO", "Call"});
    // Both advises are in place once the tool has printed their current values.
    EXPECT_EQ(serve([&] { return outLines() == 2; }), -1);
    station[LinkItem::Ptt] = "0";
    server.announceGroups(tarnvel::link::kGroupPtt);
    station[LinkItem::Call] = "SP9XYZ";
    server.announceGroups(tarnvel::link::kGroupQso);
    EXPECT_EQ(serve([&] { return outLines() == 4; }), -1);
    server.stop();
    EXPECT_EQ(serve(), 0);
    EXPECT_EQ(out(), "CAT Ptt 1\nQSO Call \nCAT Ptt 0\nQSO Call SP9XYZ\n");
}

TEST_F(CliLink, NoStationAndBadCommandLinesAreNamed) {
    server.stop();
    start({"link", "get", "CAT", "Ptt"});
    EXPECT_EQ(serve(), 1);
    EXPECT_NE(err().find("No Tarnvel is running"), std::string::npos) << err();
    start({"link", "get", "CAT"});
    EXPECT_EQ(serve(), 2);
    EXPECT_NE(err().find("expected 'get TOPIC ITEM'"), std::string::npos) << err();
    start({"link", "watch", "CAT", "Ptt", "QSO"});
    EXPECT_EQ(serve(), 2);
}
