#include "radio/RigControl.h"

#include <signal.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>

#include "radio/HamlibRig.h"

namespace tarnvel::radio {

RigControl::RigControl() {
    wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

RigControl::~RigControl() {
    stop();
    if (wakeFd_ >= 0) ::close(wakeFd_);
}

void RigControl::start(const RigSettings& settings) {
    stop();
    {
        std::lock_guard lock(commandMutex_);
        commands_.clear();
    }
    thread_ = std::thread([this, settings] { run(settings); });
}

void RigControl::stop() {
    if (!thread_.joinable()) return;
    enqueue({CommandKind::Stop});
    thread_.join();
    std::lock_guard lock(commandMutex_);
    commands_.clear();
}

void RigControl::setPtt(bool on) {
    if (running()) enqueue({CommandKind::SetPtt, on});
}

void RigControl::setFrequency(uint64_t hz) {
    if (running()) enqueue({CommandKind::SetFrequency, false, hz});
}

void RigControl::readFrequency() {
    if (running()) enqueue({CommandKind::ReadFrequency});
}

void RigControl::enqueue(const Command& command) {
    {
        std::lock_guard lock(commandMutex_);
        const bool replaces =
            command.kind == CommandKind::SetFrequency || command.kind == CommandKind::ReadFrequency;
        auto same = std::find_if(commands_.begin(), commands_.end(),
                                 [&](const Command& c) { return c.kind == command.kind; });
        if (replaces && same != commands_.end()) {
            *same = command;
        } else {
            commands_.push_back(command);
        }
    }
    commandReady_.notify_one();
}

void RigControl::post(RigEvent event) {
    {
        std::lock_guard lock(eventMutex_);
        events_.push_back(std::move(event));
    }
    eventReady_.notify_all();
    if (wakeFd_ >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(wakeFd_, &one, sizeof one);
    }
}

std::optional<RigEvent> RigControl::nextEvent() {
    std::lock_guard lock(eventMutex_);
    if (events_.empty()) {
        if (wakeFd_ >= 0) {
            uint64_t value = 0;
            [[maybe_unused]] const ssize_t n = ::read(wakeFd_, &value, sizeof value);
        }
        return std::nullopt;
    }
    RigEvent event = std::move(events_.front());
    events_.pop_front();
    return event;
}

bool RigControl::waitForEvent(std::chrono::milliseconds timeout) {
    std::unique_lock lock(eventMutex_);
    return eventReady_.wait_for(lock, timeout, [this] { return !events_.empty(); });
}

void RigControl::run(RigSettings settings) {
    // A rigctld that dies mid-command must not take the program with it: writing to its
    // closed socket then fails with EPIPE on this thread instead of raising SIGPIPE.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);

    HamlibRig rig;
    if (RigResult opened = rig.open(settings); !opened) {
        post({RigEventKind::OpenFailed, false, 0, opened.message});
    } else {
        post({RigEventKind::Opened, false, 0, {}});
    }
    bool keyed = false;
    for (;;) {
        Command command{CommandKind::Stop};
        {
            std::unique_lock lock(commandMutex_);
            commandReady_.wait(lock, [this] { return !commands_.empty(); });
            command = commands_.front();
            commands_.pop_front();
        }
        if (command.kind == CommandKind::Stop) break;
        if (!rig.isOpen()) continue;  // failed to open or lost: nothing reaches it
        RigResult result;
        RigEvent done;
        switch (command.kind) {
            case CommandKind::SetPtt:
                result = rig.setPtt(command.ptt);
                if (result) keyed = command.ptt;
                done = {RigEventKind::PttSet, command.ptt, 0, {}};
                break;
            case CommandKind::SetFrequency:
                result = rig.setFrequency(command.hz);
                done = {RigEventKind::FrequencySet, false, command.hz, {}};
                break;
            case CommandKind::ReadFrequency:
                done = {RigEventKind::Frequency, false, 0, {}};
                result = rig.readFrequency(done.hz);
                break;
            case CommandKind::Stop:
                break;
        }
        if (result) {
            post(std::move(done));
        } else if (result.hard) {
            rig.close();
            keyed = false;
            post({RigEventKind::Lost, false, 0, "The rig does not answer: " + result.message});
        } else {
            post({RigEventKind::CommandFailed, false, 0, result.message});
        }
    }
    if (keyed && rig.isOpen()) rig.setPtt(false);
    rig.close();
}

}  // namespace tarnvel::radio
