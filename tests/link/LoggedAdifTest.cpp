#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "link/LoggedAdifMessage.h"
#include "link/UdpSender.h"
#include "logbook/AdifReader.h"

using namespace tarnvel::link;

namespace {

tarnvel::logbook::QsoRecord sampleQso() {
    tarnvel::logbook::QsoRecord qso;
    qso.call = "SP9XYZ";
    qso.start = 1'700'000'000;  // 2023-11-14 22:13:20 UTC
    qso.end = qso.start + 300;
    qso.frequency2 = 14'070'150;
    qso.mode = "BPSK31";
    qso.rstSent = "599";
    qso.rstReceived = "579";
    qso.name = "Jan";
    qso.qth = "Kraków";
    return qso;
}

// A logger's listener on a free local port.
struct Listener {
    int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    int port = 0;
    Listener() {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        socklen_t size = sizeof(address);
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
        port = ntohs(address.sin_port);
    }
    ~Listener() { ::close(fd); }
    std::vector<uint8_t> receive() {
        pollfd waiting{fd, POLLIN, 0};
        if (::poll(&waiting, 1, 5000) <= 0) return {};
        std::vector<uint8_t> datagram(65536);
        const ssize_t got = ::recv(fd, datagram.data(), datagram.size(), 0);
        datagram.resize(got > 0 ? static_cast<size_t>(got) : 0);
        return datagram;
    }
};

}  // namespace

TEST(LoggedAdif, TheMessageHasWsjtxsLayout) {
    const std::vector<uint8_t> bytes = encodeLoggedAdif({"Tarnvel", "<CALL:2>AB<EOR>"});
    const std::vector<uint8_t> head{0xad, 0xbc, 0xcb, 0xda, 0, 0, 0, 2, 0, 0, 0, 12,
                                    0,    0,    0,    7,    'T', 'a', 'r', 'n', 'v', 'e', 'l'};
    ASSERT_GE(bytes.size(), head.size() + 4);
    EXPECT_TRUE(std::equal(head.begin(), head.end(), bytes.begin()));
    EXPECT_EQ(bytes[head.size() + 3], 15);  // the ADIF text's byte count, big-endian
    EXPECT_EQ(decodeLoggedAdif(bytes)->adif, "<CALL:2>AB<EOR>");
    std::vector<uint8_t> cut(bytes.begin(), bytes.end() - 1);
    EXPECT_FALSE(decodeLoggedAdif(cut));
    std::vector<uint8_t> otherType = bytes;
    otherType[11] = 5;
    EXPECT_FALSE(decodeLoggedAdif(otherType));
}

TEST(LoggedAdif, ASavedQsoReachesAUdpLoggerAsAReadableRecord) {
    Listener logger;
    UdpSender sender;
    ASSERT_TRUE(sender.open("127.0.0.1", logger.port));
    const std::string adif = loggedQsoAdif(sampleQso(), "SQ2ABC");
    ASSERT_TRUE(sender.send(encodeLoggedAdif({std::string(kLoggerClientId), adif})));
    const auto message = decodeLoggedAdif(logger.receive());
    ASSERT_TRUE(message);
    EXPECT_EQ(message->id, "Tarnvel");
    EXPECT_NE(message->adif.find("<STATION_CALLSIGN:6>SQ2ABC<EOR>"), std::string::npos);
    // What a logger reads back from it is the QSO that was saved.
    const auto records = tarnvel::logbook::readAdifRecords(message->adif);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(*records[0].field("STATION_CALLSIGN"), "SQ2ABC");
    const auto qso = tarnvel::logbook::parseAdifRecord(records[0]).record;
    ASSERT_TRUE(qso);
    EXPECT_EQ(qso->call, "SP9XYZ");
    EXPECT_EQ(qso->start, sampleQso().start);
    EXPECT_EQ(qso->frequency(), 14'070'150);
    EXPECT_EQ(qso->qth, "Kraków");
}

TEST(LoggedAdif, OnlyAddressesAreAcceptedSoNoLookupStallsTheStation) {
    UdpSender sender;
    EXPECT_TRUE(sender.open("localhost", kDefaultLoggerPort));
    EXPECT_TRUE(sender.open("::1", kDefaultLoggerPort));
    const LinkStatus named = sender.open("logger.example.org", kDefaultLoggerPort);
    EXPECT_FALSE(named);
    EXPECT_NE(named.error.find("IP address"), std::string::npos);
    EXPECT_FALSE(sender.open("127.0.0.1", 70000));
    EXPECT_FALSE(sender.send({1, 2, 3}));
}
