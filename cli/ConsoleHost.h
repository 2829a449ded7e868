#pragma once
// The station host of the command-line tool: every message becomes one line on standard
// error, and the text the receive window shows is printed to standard output as it arrives.

#include <cstddef>
#include <cstdio>
#include <string>

#include "app/Station.h"
#include "app/StationHost.h"

namespace tarnvel::cli {

class ConsoleHost final : public app::StationHost {
  public:
    void showMessage(std::string_view text, std::string_view caption,
                     app::MessageKind kind) override;
    void receivedTextShown(std::string_view text) override;
    void showNote(std::string_view text) override;
    void receiveWindowCleared() override { printed_ = 0; }

    // Where received text comes from (the station's receive window model); null: not printed.
    void printReceivedTextOf(const app::Station* station) { station_ = station; }
    int errorCount() const { return errors_; }

  private:
    const app::Station* station_ = nullptr;
    std::size_t printed_ = 0;
    int errors_ = 0;
};

}  // namespace tarnvel::cli
