#pragma once
// One Hamlib rig, used from one thread at a time (RigControl's own). Every call returns at
// once or after the configured time-out; none throws.

#include <cstdint>
#include <string>
#include <vector>

#include "radio/RigSettings.h"

struct s_rig;  // Hamlib's RIG

namespace tarnvel::radio {

// The outcome of a rig call. `hard` marks a failure of the link itself (time-out, I/O,
// protocol): the rig no longer answers. Other failures are the rig declining one command.
struct RigResult {
    bool ok = true;
    bool hard = false;
    std::string message;
    explicit operator bool() const { return ok; }
};

class HamlibRig {
  public:
    HamlibRig() = default;
    ~HamlibRig();
    HamlibRig(const HamlibRig&) = delete;
    HamlibRig& operator=(const HamlibRig&) = delete;

    RigResult open(const RigSettings& settings);
    void close();
    bool isOpen() const { return rig_ != nullptr; }

    RigResult setPtt(bool on);
    RigResult setFrequency(uint64_t hz);
    RigResult readFrequency(uint64_t& hz);

  private:
    RigResult configure(const RigSettings& settings);
    RigResult setConf(const char* name, const std::string& value);
    RigResult check(int code, const char* what) const;

    s_rig* rig_ = nullptr;
};

struct RigModel {
    int model = 0;
    std::string manufacturer;
    std::string name;
};

// Hamlib's models whose number, manufacturer or name contains `text` (any case), by number.
// An empty text lists them all.
std::vector<RigModel> rigModelsMatching(const std::string& text);

// Quiets Hamlib's own diagnostics (they would go to stderr); failures come back as results.
void initHamlib();

}  // namespace tarnvel::radio
