#pragma once

// Settings that load themselves from the store when they are made and write
// themselves back when they go away, but only when the stored text differs, so an
// unchanged setting never touches the file. In between, the value is a plain member.

#include <cstdint>
#include <string>
#include <vector>

#include "app/SettingsStore.h"

namespace tarnvel::app {

class PersistentSetting;

// Settings made through a registry are listed in it in the order they were made,
// so their owner can save them all at once, in reverse order, with one file write.
using SettingsRegistry = std::vector<PersistentSetting*>;

struct SettingsBinding {
    SettingsBinding(SettingsStore& s) : store(s) {}  // NOLINT: a store binds implicitly
    SettingsBinding(SettingsStore& s, SettingsRegistry& r) : store(s), registry(&r) {}
    SettingsStore& store;
    SettingsRegistry* registry = nullptr;
};

class PersistentSetting {
  public:
    PersistentSetting(const PersistentSetting&) = delete;
    PersistentSetting& operator=(const PersistentSetting&) = delete;
    virtual ~PersistentSetting() = default;

    const std::string& section() const { return section_; }
    const std::string& key() const { return key_; }

    // The text the value is stored as.
    virtual std::string storedText() const = 0;

    // Writes the value when the store holds a different text (or none). True when
    // nothing needed writing or the write succeeded; false with the store's
    // lastError() otherwise. A setting with an empty section or key is never written.
    bool save();

    // Reads the value from the store again (or the default when the key is missing).
    virtual void load() = 0;

  protected:
    PersistentSetting(SettingsBinding binding, std::string section, std::string key);
    bool isStorable() const { return !section_.empty() && !key_.empty(); }
    virtual bool storeHolds() const;
    virtual bool write() = 0;

    SettingsStore& store_;
    std::string section_;
    std::string key_;
};

class PersistentInt final : public PersistentSetting {
  public:
    PersistentInt(SettingsBinding binding, std::string section, std::string key,
                  std::int32_t defaultValue);
    ~PersistentInt() override { save(); }

    std::int32_t value() const { return value_; }
    void setValue(std::int32_t value) { value_ = value; }
    operator std::int32_t() const { return value_; }  // NOLINT: reads like the plain int it is
    PersistentInt& operator=(std::int32_t value) {
        value_ = value;
        return *this;
    }

    std::int32_t defaultValue() const { return default_; }
    std::string storedText() const override;
    void load() override;

  private:
    bool storeHolds() const override;
    bool write() override;

    std::int32_t default_;
    std::int32_t value_;
};

class PersistentString final : public PersistentSetting {
  public:
    PersistentString(SettingsBinding binding, std::string section, std::string key,
                     std::string defaultValue);
    ~PersistentString() override { save(); }

    const std::string& value() const { return value_; }
    void setValue(std::string value) { value_ = std::move(value); }
    operator const std::string&() const { return value_; }  // NOLINT
    PersistentString& operator=(std::string value) {
        value_ = std::move(value);
        return *this;
    }

    const std::string& defaultValue() const { return default_; }
    std::string storedText() const override;  // escaped
    void load() override;

  private:
    bool write() override;

    std::string default_;
    std::string value_;
};

class PersistentFloat final : public PersistentSetting {
  public:
    PersistentFloat(SettingsBinding binding, std::string section, std::string key,
                    float defaultValue);
    ~PersistentFloat() override { save(); }

    float value() const { return value_; }
    void setValue(float value) { value_ = value; }
    operator float() const { return value_; }  // NOLINT
    PersistentFloat& operator=(float value) {
        value_ = value;
        return *this;
    }

    float defaultValue() const { return default_; }
    std::string storedText() const override;  // "%g"
    void load() override;

  private:
    bool write() override;

    float default_;
    float value_;
};

// Saves every setting of a registry, the last made first, in one file write.
// True when every write succeeded (or none was needed).
bool saveAll(SettingsStore& store, const SettingsRegistry& registry);

}  // namespace tarnvel::app
