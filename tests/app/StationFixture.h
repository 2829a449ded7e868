#pragma once
// A station on the loopback sound card with a scripted host and a manual clock.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/SettingsStore.h"
#include "app/Station.h"
#include "audio/LoopbackSoundCard.h"
#include "tests/app/ScriptedHost.h"
#include "tests/app/TempFolder.h"

namespace tarnvel::app::testing {

class StationFixture : public ::testing::Test {
  protected:
    void SetUp() override { store = std::make_unique<SettingsStore>(folder.file("Tarnvel.ini")); }

    // A station with a call sign, started, past its first tick.
    Station& startStation(audio::SoundCard& card, const std::string& call = "SP9XYZ") {
        store->writeString("Station", "Call", call);
        station = std::make_unique<Station>(*store, card, host, clock);
        station->start();
        tick();
        return *station;
    }
    void tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            clock.advance(Station::kTimerPeriodMs);
            station->runDueTicks();
        }
    }

    TempFolder folder;
    std::unique_ptr<SettingsStore> store;
    ScriptedHost host;
    ManualStationClock clock;
    audio::LoopbackSoundCard card;
    std::unique_ptr<Station> station;
};

}  // namespace tarnvel::app::testing
