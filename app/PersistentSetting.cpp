#include "app/PersistentSetting.h"

#include <cmath>
#include <limits>

#include "app/SettingsText.h"

namespace tarnvel::app {

namespace {

// A double beyond the range of a float becomes an infinity of its sign, as strtof
// would give, instead of an undefined conversion.
float toFloat(double value) {
    constexpr double kLargest = std::numeric_limits<float>::max();
    if (std::isfinite(value) && std::fabs(value) > kLargest) {
        return value > 0 ? std::numeric_limits<float>::infinity()
                         : -std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(value);
}

}  // namespace

PersistentSetting::PersistentSetting(SettingsBinding binding, std::string section, std::string key)
    : store_(binding.store), section_(std::move(section)), key_(std::move(key)) {
    if (binding.registry != nullptr) binding.registry->push_back(this);
}

// The store's text is compared as it is read back, so a missing key always differs
// (a text that happens to equal some stand-in default included).
bool PersistentSetting::storeHolds() const {
    const auto stored = store_.find(section_, key_);
    return stored && *stored == storedText();
}

bool PersistentSetting::save() {
    if (!isStorable() || storeHolds()) return true;
    return write();
}

PersistentInt::PersistentInt(SettingsBinding binding, std::string section, std::string key,
                             std::int32_t defaultValue)
    : PersistentSetting(binding, std::move(section), std::move(key)),
      default_(defaultValue),
      value_(defaultValue) {
    load();
}

void PersistentInt::load() {
    value_ = store_.getInt(section_, key_, default_);
}

std::string PersistentInt::storedText() const {
    return formatSettingInt(value_);
}

// Integers compare by number, so a hand-written "0x40" is not rewritten as "64".
bool PersistentInt::storeHolds() const {
    const auto stored = store_.find(section_, key_);
    if (!stored) return false;
    const auto number = parseSettingInt(*stored);
    return number && *number == value_;
}

bool PersistentInt::write() {
    return store_.writeInt(section_, key_, value_);
}

PersistentString::PersistentString(SettingsBinding binding, std::string section, std::string key,
                                   std::string defaultValue)
    : PersistentSetting(binding, std::move(section), std::move(key)),
      default_(std::move(defaultValue)) {
    load();
}

void PersistentString::load() {
    value_ = unescapeSettingText(store_.getString(section_, key_, default_));
}

std::string PersistentString::storedText() const {
    return escapeSettingText(value_);
}

bool PersistentString::write() {
    return store_.writeString(section_, key_, storedText());
}

PersistentFloat::PersistentFloat(SettingsBinding binding, std::string section, std::string key,
                                 float defaultValue)
    : PersistentSetting(binding, std::move(section), std::move(key)),
      default_(defaultValue),
      value_(defaultValue) {
    load();
}

void PersistentFloat::load() {
    const std::string text = store_.getString(section_, key_, formatSettingFloatExact(default_));
    const auto number = parseSettingFloat(text);
    value_ = number ? toFloat(*number) : default_;
}

std::string PersistentFloat::storedText() const {
    return formatSettingFloat(value_);
}

bool PersistentFloat::write() {
    return store_.writeString(section_, key_, storedText());
}

bool saveAll(SettingsStore& store, const SettingsRegistry& registry) {
    store.beginBatch();
    bool allSaved = true;
    for (auto it = registry.rbegin(); it != registry.rend(); ++it) {
        allSaved = (*it)->save() && allSaved;
    }
    return store.endBatch() && allSaved;
}

}  // namespace tarnvel::app
