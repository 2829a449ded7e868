#pragma once
// The station on its data link: what other programs of the user read (station data, the QSO in
// progress, the band and push-to-talk) and the log bar fields they may write, and the saved
// QSOs sent to a UDP logger. The station calls the announce functions where its data changes.

#include <string>
#include <string_view>

#include "link/LinkServer.h"
#include "link/LinkStation.h"
#include "link/UdpSender.h"
#include "logbook/QsoRecord.h"

namespace tarnvel::app {

class Station;

class StationLink final : private link::LinkStation {
  public:
    explicit StationLink(Station& station);
    StationLink(const StationLink&) = delete;
    StationLink& operator=(const StationLink&) = delete;

    // Opens the socket (socketPath empty: the user's default place) and the UDP logger when
    // the "Logger" settings ask for it. A link that cannot open leaves the station working;
    // problem() says why.
    void start(const std::string& socketPath = {});
    // "StartTarnvel" and every item to the clients, once the sound devices are open.
    void announceStart();
    void stop();
    bool running() const { return server_.running(); }
    const std::string& problem() const { return problem_; }
    const std::string& socketPath() const { return server_.path(); }

    // For the owner's event loop: readable when a client waits; service() never blocks.
    int pollFd() const { return server_.pollFd(); }
    void service() { server_.service(); }

    void announceGroups(unsigned mask) { server_.announceGroups(mask); }
    // The command for the logging program: published and always announced.
    void setCommand(std::string_view command);
    const std::string& command() const { return command_; }
    // A QSO went into the log: a UDP logger gets it too.
    void qsoSaved(const logbook::QsoRecord& record);
    const std::string& loggerProblem() const { return loggerProblem_; }
    // The "Logger" settings changed: the UDP logger is reopened, or closed, at once.
    void restartLogger();

    // What a client would read, for tests and the status of the link.
    std::string value(link::LinkItem item) const { return linkValue(item); }

  private:
    std::string linkValue(link::LinkItem item) const override;
    void linkPoked(link::LinkItem item, const std::string& value) override;
    std::string toUtf8(std::string_view stationText) const;
    std::string fromUtf8(std::string_view utf8) const;
    std::string qsoStart(const char* format) const;

    Station& station_;
    link::LinkServer server_;
    link::UdpSender logger_;
    std::string command_;
    std::string problem_;
    std::string loggerProblem_;
};

}  // namespace tarnvel::app
