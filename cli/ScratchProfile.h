#pragma once
// A settings profile of its own for one run of the tool, in a private temporary folder that
// goes away with it, so that the tool never changes the operator's profile.

#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "app/SettingsStore.h"

namespace tarnvel::cli {

class ScratchProfile {
  public:
    ScratchProfile() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tarnvel-cli-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) folder_ = pattern;
        store_ = std::make_unique<app::SettingsStore>(folder_ + "/Tarnvel.ini");
    }
    ~ScratchProfile() {
        store_.reset();
        std::error_code ignored;
        if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
    }
    ScratchProfile(const ScratchProfile&) = delete;
    ScratchProfile& operator=(const ScratchProfile&) = delete;

    app::SettingsStore& store() { return *store_; }

  private:
    std::string folder_;
    std::unique_ptr<app::SettingsStore> store_;
};

}  // namespace tarnvel::cli
