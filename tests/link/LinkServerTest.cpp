#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include "LinkTestSupport.h"
#include "link/LinkClient.h"
#include "link/LinkPath.h"

using namespace tarnvel::link;
using testing_link::FakeStation;
using testing_link::RawClient;
using testing_link::TempFolder;

namespace {

struct LinkServerTest : ::testing::Test {
    TempFolder folder;
    std::string path = (folder.path / "run" / "link").string();
    FakeStation station;
    LinkServer server{station};

    void SetUp() override {
        station[LinkItem::Ptt] = "0";
        station[LinkItem::Call] = "SP9XYZ";
        ASSERT_TRUE(server.start(path)) << server.path();
    }
};

}  // namespace

TEST_F(LinkServerTest, RequestsAnswerTheStationsCurrentValue) {
    RawClient client(server, path);
    ASSERT_TRUE(client.connected());
    station[LinkItem::Ptt] = "1";
    EXPECT_EQ(client.ask("REQUEST CAT Ptt"), "VALUE CAT Ptt 1");
    EXPECT_EQ(client.ask("REQUEST cat ptt"), "VALUE CAT Ptt 1");
    EXPECT_EQ(client.ask("REQUEST CAT TopicItemList"),
              "VALUE CAT TopicItemList Khz\\tPtt\\tTopicItemList\\tFormats");
    EXPECT_EQ(client.ask("REQUEST System Topics"), "VALUE System Topics System\\tInfo\\tQSO\\tCAT");
    EXPECT_EQ(client.ask("REQUEST QSO Formats"), "VALUE QSO Formats TEXT");
    EXPECT_EQ(client.ask("REQUEST QSO Band"), "ERROR unknown item Band");
    EXPECT_EQ(client.ask("REQUEST Rig Khz"), "ERROR unknown topic Rig");
    EXPECT_EQ(client.ask("HELLO"), "ERROR unknown command");
    // The socket and its folder are the user's alone.
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat((folder.path / "run").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(LinkServerTest, PokesReachTheLogBarFieldsOnlyAndAdviseOthers) {
    RawClient logger(server, path);
    RawClient watcher(server, path);
    EXPECT_EQ(watcher.ask("ADVISE QSO Name"), "VALUE QSO Name ");
    EXPECT_EQ(logger.ask("POKE QSO Name Jan"), "OK");
    EXPECT_EQ(station[LinkItem::Name], "Jan");
    EXPECT_EQ(watcher.line(), "CHANGED QSO Name Jan");
    // What would key the transmitter, retune the radio or change the operator's data is refused.
    EXPECT_EQ(logger.ask("POKE CAT Ptt 1"), "ERROR Ptt is not writable");
    EXPECT_EQ(logger.ask("POKE CAT Khz 14070"), "ERROR Khz is not writable");
    EXPECT_EQ(logger.ask("POKE QSO Command Save"), "ERROR Command is not writable");
    EXPECT_EQ(logger.ask("POKE Info MyCall N0CALL"), "ERROR MyCall is not writable");
    EXPECT_EQ(logger.ask("POKE QSO Qth a;b"), "ERROR ';' is not allowed in a log field");
    EXPECT_EQ(logger.ask("POKE QSO Qth a\\nb"), "ERROR control characters are not allowed");
    EXPECT_EQ(logger.ask("POKE System Topics x"), "ERROR the System topic can only be requested");
    ASSERT_EQ(station.pokes.size(), 1u);
    EXPECT_EQ(station[LinkItem::Ptt], "0");
}

TEST_F(LinkServerTest, CommandsAreAlwaysAnnouncedUnchangedValuesNever) {
    RawClient client(server, path);
    EXPECT_EQ(client.ask("ADVISE QSO Command"), "VALUE QSO Command ");
    EXPECT_EQ(client.ask("ADVISE QSO Call"), "VALUE QSO Call SP9XYZ");
    station[LinkItem::Command] = "Save";
    server.announce(LinkItem::Command, true);
    server.announce(LinkItem::Command, true);
    EXPECT_EQ(client.line(), "CHANGED QSO Command Save");
    EXPECT_EQ(client.line(), "CHANGED QSO Command Save");
    server.announceGroups(kGroupQso);  // the call goes out once: nobody has it yet
    EXPECT_EQ(client.line(), "CHANGED QSO Call SP9XYZ");
    server.announceGroups(kGroupQso);
    // Nothing more was sent: the next line is the answer to this request.
    EXPECT_EQ(client.ask("REQUEST CAT Ptt"), "VALUE CAT Ptt 0");
    EXPECT_EQ(client.ask("UNADVISE QSO Call"), "OK");
    station[LinkItem::Call] = "DL1ABC";
    server.announce(LinkItem::Call, false);
    EXPECT_EQ(client.ask("REQUEST CAT Ptt"), "VALUE CAT Ptt 0");
}

TEST_F(LinkServerTest, AClientThatStopsReadingIsDroppedNotBuffered) {
    LinkServer small(station, 64 * 1024);
    const std::string smallPath = (folder.path / "small").string();
    ASSERT_TRUE(small.start(smallPath));
    RawClient sleeper(small, smallPath);
    RawClient reader(small, smallPath);
    EXPECT_EQ(sleeper.ask("ADVISE QSO Command"), "VALUE QSO Command ");
    int rounds = 0;
    station[LinkItem::Command] = std::string(1000, 'x');
    while (small.clientCount() == 2 && rounds++ < 10000) small.announce(LinkItem::Command, true);
    EXPECT_EQ(small.clientCount(), 1u);
    EXPECT_EQ(small.droppedClients(), 1);
    EXPECT_EQ(reader.ask("REQUEST CAT Ptt"), "VALUE CAT Ptt 0");
    // An endless line is not gathered either.
    reader.send(std::string(kMaxLineLength + 10, 'A'));
    EXPECT_EQ(reader.line(), "ERROR line too long");
    EXPECT_FALSE(reader.line());
    EXPECT_TRUE(reader.closed());
}

TEST_F(LinkServerTest, OneStationPerSocketAndAStaleSocketIsReplaced) {
    FakeStation other;
    LinkServer second(other);
    const LinkStatus refused = second.start(path);
    EXPECT_FALSE(refused);
    EXPECT_NE(refused.error.find("Another Tarnvel"), std::string::npos);
    {
        RawClient client(server, path);
        server.stop();
        EXPECT_EQ(client.line(), "EVENT ExitTarnvel");
    }
    EXPECT_FALSE(std::filesystem::exists(path));
    // A socket file left by a station that was killed does not block the next one.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
    EXPECT_TRUE(second.start(path));
}

TEST_F(LinkServerTest, AnotherUserCannotConnect) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
    // The folder must let the other user reach the socket for the credentials check to be
    // what refuses it.
    ::chmod((folder.path / "run").c_str(), 0755);
    ::chmod(folder.path.c_str(), 0755);
    ::chmod(path.c_str(), 0666);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
        LinkClient client;
        if (!client.connect(path)) ::_exit(4);
        const auto reply = client.call({LinkVerb::Request, "CAT", "Ptt", ""}, 2000);
        ::_exit(reply ? 1 : 0);
    }
    int status = 0;
    for (int round = 0; round < 400 && ::waitpid(child, &status, WNOHANG) == 0; ++round) {
        server.service();
        ::usleep(5000);
    }
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(server.refusedPeers(), 1);
    EXPECT_EQ(server.clientCount(), 0u);
}

TEST(LinkPath, ComesFromTheRuntimeFolderAndRefusesAnotherUsersFolder) {
    TempFolder folder;
    ::setenv("XDG_RUNTIME_DIR", folder.path.c_str(), 1);
    EXPECT_EQ(defaultLinkPath().path, (folder.path / "tarnvel" / "link").string());
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_TRUE(defaultLinkPath().path.empty());
    EXPECT_FALSE(defaultLinkPath().error.empty());
    const std::string open = (folder.path / "open").string();
    ::mkdir(open.c_str(), 0777);
    ::chmod(open.c_str(), 0777);
    EXPECT_EQ(prepareLinkFolder(open + "/link"), "");
    struct stat st {};
    ::stat(open.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(open.c_str(), 65534, 65534), 0);
        EXPECT_NE(prepareLinkFolder(open + "/link").find("another user"), std::string::npos);
    }
}
