// The station on its data link: what a logger reads, what it may write, and the saved QSO
// sent to a UDP logger.

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>

#include "app/StationLink.h"
#include "app/StationLog.h"
#include "link/LinkTestSupport.h"
#include "link/LoggedAdifMessage.h"
#include "tests/app/StationFixture.h"

namespace tarnvel::app::testing {
namespace {

using link::LinkItem;
using logbook::QsoField;

class StationLinkTest : public StationFixture {
  protected:
    std::string socketPath() const { return folder.file("link"); }
    // A station whose link listens before it starts, as the front ends do it.
    Station& startLinked() {
        store->writeString("Station", "Call", "SP9XYZ");
        store->writeString("Station", "Name", "Ala");
        station = std::make_unique<Station>(*store, card, host, clock);
        station->link().start(socketPath());
        EXPECT_TRUE(station->link().running()) << station->link().problem();
        return *station;
    }
    testing_link::RawClient client() {
        return testing_link::RawClient([this] { station->link().service(); }, socketPath());
    }
};

TEST_F(StationLinkTest, ALoggerReadsTheStationAndWritesTheOtherStationsFields) {
    Station& s = startLinked();
    auto logger = client();
    s.start();
    EXPECT_EQ(logger.line(), "EVENT StartTarnvel");
    EXPECT_EQ(logger.ask("REQUEST Info MyCall"), "VALUE Info MyCall SP9XYZ");
    EXPECT_EQ(logger.ask("REQUEST CAT Ptt"), "VALUE CAT Ptt 0");
    EXPECT_EQ(logger.ask("REQUEST CAT Khz"), "VALUE CAT Khz 14070.0");  // the 20 m page
    EXPECT_EQ(logger.ask("REQUEST QSO Mode"), "VALUE QSO Mode BPSK");
    EXPECT_EQ(logger.ask("ADVISE Info MyName"), "VALUE Info MyName Ala");
    EXPECT_EQ(logger.ask("POKE QSO Name Jan"), "OK");
    EXPECT_EQ(s.logbook().qso().field(QsoField::Name), "Jan");
    EXPECT_TRUE(s.logbook().qso().hasUnsavedChanges());
    EXPECT_EQ(logger.ask("REQUEST QSO Changed"), "VALUE QSO Changed Yes");
    EXPECT_EQ(logger.ask("POKE CAT Ptt 1"), "ERROR Ptt is not writable");
    EXPECT_EQ(s.state(), OperatingState::Receiving);
    StationData data = s.stationData();
    data.name = "Ola";
    s.setStationData(data);
    EXPECT_EQ(logger.line(), "CHANGED Info MyName Ola");
    s.shutdown();
    EXPECT_EQ(logger.line(), "EVENT ExitTarnvel");
    EXPECT_FALSE(std::filesystem::exists(socketPath()));
}

TEST_F(StationLinkTest, TextsCrossTheLinkInUtf8WhateverTheSetOnTheAir) {
    Station& s = startLinked();
    s.setCharacterSet(modem::CharacterSet::Windows1250);
    auto logger = client();
    EXPECT_EQ(logger.ask("POKE QSO Qth Łódź"), "OK");
    EXPECT_EQ(s.logbook().qso().field(QsoField::Qth), "\xA3\xF3\x64\x9F");
    EXPECT_EQ(logger.ask("REQUEST QSO Qth"), "VALUE QSO Qth Łódź");
}

TEST_F(StationLinkTest, ASavedQsoReachesTheUdpLogger) {
    const int listener = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    socklen_t size = sizeof(address);
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
    store->writeInt("Logger", "UdpEnabled", 1);
    store->writeInt("Logger", "UdpPort", ntohs(address.sin_port));
    Station& s = startLinked();
    logbook::QsoRecord qso;
    qso.call = "DL1ABC";
    qso.start = 1'700'000'000;
    qso.frequency2 = 14'070'000;
    qso.mode = "BPSK31";
    s.link().qsoSaved(qso);
    pollfd waiting{listener, POLLIN, 0};
    ASSERT_EQ(::poll(&waiting, 1, 5000), 1);
    std::vector<uint8_t> datagram(65536);
    datagram.resize(static_cast<size_t>(::recv(listener, datagram.data(), datagram.size(), 0)));
    ::close(listener);
    const auto message = link::decodeLoggedAdif(datagram);
    ASSERT_TRUE(message);
    EXPECT_NE(message->adif.find("<CALL:6>DL1ABC"), std::string::npos);
    EXPECT_NE(message->adif.find("<STATION_CALLSIGN:6>SP9XYZ"), std::string::npos);
    EXPECT_TRUE(s.link().loggerProblem().empty());
}

}  // namespace
}  // namespace tarnvel::app::testing
