#include "radio/HamlibRig.h"

#include <hamlib/rig.h>

#include <algorithm>
#include <cctype>
#include <mutex>

namespace tarnvel::radio {

namespace {

// Hamlib's model registry and rig_init/rig_cleanup share global state.
std::mutex& hamlibGlobalMutex() {
    static std::mutex mutex;
    return mutex;
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

const char* pttTypeName(PttMethod method) {
    switch (method) {
        case PttMethod::Cat: return "RIG";
        case PttMethod::Rts: return "RTS";
        case PttMethod::Dtr: return "DTR";
    }
    return "RIG";
}

}  // namespace

void initHamlib() {
    static std::once_flag once;
    std::call_once(once, [] {
        rig_set_debug(RIG_DEBUG_NONE);
        std::lock_guard lock(hamlibGlobalMutex());
        rig_load_all_backends();
    });
}

HamlibRig::~HamlibRig() {
    close();
}

RigResult HamlibRig::check(int code, const char* what) const {
    if (code == RIG_OK) return {};
    // rigerror() appends Hamlib's whole debug log to the text; rigerror2() does not.
    RigResult result{false, !RIG_IS_SOFT_ERRCODE(-std::abs(code)), std::string(what) + ": "};
    result.message += rigerror2(code);
    while (!result.message.empty() && std::isspace(static_cast<unsigned char>(result.message.back()))) {
        result.message.pop_back();
    }
    return result;
}

RigResult HamlibRig::setConf(const char* name, const std::string& value) {
    const token_t token = rig_token_lookup(rig_, name);
    if (token == RIG_CONF_END) {
        return {false, false, std::string("Hamlib has no setting ") + name};
    }
    return check(rig_set_conf(rig_, token, value.c_str()),
                 (std::string("Cannot set ") + name + " to " + value).c_str());
}

RigResult HamlibRig::configure(const RigSettings& settings) {
    const auto ms = std::to_string(settings.timeout.count());
    if (!settings.device.empty()) {
        if (auto r = setConf("rig_pathname", settings.device); !r) return r;
    }
    if (settings.speed > 0) {
        if (auto r = setConf("serial_speed", std::to_string(settings.speed)); !r) return r;
    }
    if (auto r = setConf("timeout", ms); !r) return r;
    if (auto r = setConf("retry", "0"); !r) return r;
    if (auto r = setConf("ptt_type", pttTypeName(settings.ptt)); !r) return r;
    if (settings.ptt != PttMethod::Cat && !settings.device.empty()) {
        // RTS or DTR of the rig's own port.
        if (auto r = setConf("ptt_pathname", settings.device); !r) return r;
    }
    return {};
}

RigResult HamlibRig::open(const RigSettings& settings) {
    initHamlib();
    close();
    {
        std::lock_guard lock(hamlibGlobalMutex());
        rig_ = rig_init(static_cast<rig_model_t>(settings.model));
    }
    if (rig_ == nullptr) {
        return {false, false, "Hamlib has no rig model " + std::to_string(settings.model)};
    }
    RigResult result = configure(settings);
    if (result) {
        const std::string where = settings.device.empty() ? std::string("the rig")
                                                          : settings.device;
        result = check(rig_open(rig_), ("Cannot open " + where).c_str());
    }
    // Hamlib answers reads from a cache for a while; the dial shown must be the rig's own,
    // also after another program sharing the rig has moved it.
    if (result) rig_set_cache_timeout_ms(rig_, HAMLIB_CACHE_ALL, 0);
    if (!result) {
        std::lock_guard lock(hamlibGlobalMutex());
        rig_cleanup(rig_);
        rig_ = nullptr;
    }
    return result;
}

void HamlibRig::close() {
    if (rig_ == nullptr) return;
    rig_close(rig_);
    std::lock_guard lock(hamlibGlobalMutex());
    rig_cleanup(rig_);
    rig_ = nullptr;
}

RigResult HamlibRig::setPtt(bool on) {
    if (rig_ == nullptr) return {false, false, "The rig is not open"};
    return check(rig_set_ptt(rig_, RIG_VFO_CURR, on ? RIG_PTT_ON : RIG_PTT_OFF),
                 on ? "Cannot key the rig" : "Cannot release the rig's PTT");
}

RigResult HamlibRig::setFrequency(uint64_t hz) {
    if (rig_ == nullptr) return {false, false, "The rig is not open"};
    return check(rig_set_freq(rig_, RIG_VFO_CURR, static_cast<freq_t>(hz)),
                 ("Cannot set the rig to " + std::to_string(hz) + " Hz").c_str());
}

RigResult HamlibRig::readFrequency(uint64_t& hz) {
    if (rig_ == nullptr) return {false, false, "The rig is not open"};
    freq_t freq = 0;
    RigResult result = check(rig_get_freq(rig_, RIG_VFO_CURR, &freq),
                             "Cannot read the rig's frequency");
    if (result) hz = freq > 0 ? static_cast<uint64_t>(freq + 0.5) : 0;
    return result;
}

namespace {
struct ModelSearch {
    std::string text;
    std::vector<RigModel> found;
};

int collectModel(const rig_caps* caps, rig_ptr_t data) {
    auto* search = static_cast<ModelSearch*>(data);
    RigModel m{static_cast<int>(caps->rig_model), caps->mfg_name ? caps->mfg_name : "",
               caps->model_name ? caps->model_name : ""};
    const std::string haystack =
        lower(std::to_string(m.model) + " " + m.manufacturer + " " + m.name);
    if (haystack.find(search->text) != std::string::npos) search->found.push_back(std::move(m));
    return 1;  // go on
}
}  // namespace

std::vector<RigModel> rigModelsMatching(const std::string& text) {
    initHamlib();
    ModelSearch search{lower(text), {}};
    {
        std::lock_guard lock(hamlibGlobalMutex());
        rig_list_foreach(collectModel, &search);
    }
    std::sort(search.found.begin(), search.found.end(),
              [](const RigModel& a, const RigModel& b) { return a.model < b.model; });
    return search.found;
}

}  // namespace tarnvel::radio
