#pragma once
// Rig control through Hamlib on a thread of its own, so the station never waits for a rig.
//
// The station queues commands (`setPtt`, `setFrequency`, `readFrequency`) and returns at
// once; the rig thread carries them out in order and posts the outcome as events, which the
// station takes with `nextEvent` when `wakeFd()` turns readable (or after `waitForEvent`).
//
// A rig that stops answering (a time-out or a broken link, such as a killed rigctld) is
// reported once with a Lost event; the rig is closed and later commands are dropped until
// the next `start`. `stop` releases PTT if it was keyed, then closes the rig; it waits at most
// for one exchange with the rig to time out.

#include <atomic>
#include <condition_variable>
#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "radio/RigSettings.h"

namespace tarnvel::radio {

enum class RigEventKind : uint8_t {
    Opened,         // the rig answers
    OpenFailed,     // it could not be opened: `message`
    PttSet,         // PTT is now `ptt`
    FrequencySet,   // the rig was set to `hz`
    Frequency,      // the rig's frequency is `hz`
    CommandFailed,  // the rig declined one command: `message`
    Lost,           // the rig stopped answering: `message`; nothing more until restarted
};

struct RigEvent {
    RigEventKind kind = RigEventKind::Opened;
    bool ptt = false;
    uint64_t hz = 0;
    std::string message;
};

class RigControl {
  public:
    RigControl();
    ~RigControl();
    RigControl(const RigControl&) = delete;
    RigControl& operator=(const RigControl&) = delete;

    // Starts the rig thread and opens the rig there (stopping a running one first).
    void start(const RigSettings& settings);
    // Releases PTT, closes the rig and ends the thread; the events already posted stay.
    void stop();
    bool running() const { return thread_.joinable(); }

    void setPtt(bool on);
    // A newer frequency replaces one still waiting; so does a second read request.
    void setFrequency(uint64_t hz);
    void readFrequency();

    std::optional<RigEvent> nextEvent();
    // True when an event is waiting, after at most `timeout`.
    bool waitForEvent(std::chrono::milliseconds timeout);
    int wakeFd() const { return wakeFd_; }

  private:
    enum class CommandKind : uint8_t { SetPtt, SetFrequency, ReadFrequency, Stop };
    struct Command {
        CommandKind kind;
        bool ptt = false;
        uint64_t hz = 0;
    };

    void enqueue(const Command& command);
    void post(RigEvent event);
    void run(RigSettings settings);

    std::thread thread_;
    std::mutex commandMutex_;
    std::condition_variable commandReady_;
    std::deque<Command> commands_;

    std::mutex eventMutex_;
    std::condition_variable eventReady_;
    std::deque<RigEvent> events_;
    int wakeFd_ = -1;
};

}  // namespace tarnvel::radio
