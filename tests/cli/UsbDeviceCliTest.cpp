// The USB sound device from the command line: the simulated device (usb-device) and the
// station on it (listen and transmit with --usb).

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/cli/CliSpawn.h"

namespace tarnvel::testing {
namespace {

namespace fs = std::filesystem;

// A simulated device behind `link`, playing `play` as fast as the station reads.
class SimulatedDevice {
  public:
    SimulatedDevice(const fs::path& folder, const fs::path& play, const fs::path& record)
        : link_(folder / "usb-sound") {
        pid_ = spawnCli({"usb-device", link_.string(), "--play", play.string(), "--record",
                         record.string(), "--fast"},
                        folder / "device.out", folder / "device.err");
        for (int i = 0; i < 1000 && !fs::is_symlink(link_); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ~SimulatedDevice() { stop(); }
    int stop() {
        if (pid_ <= 0) return status_;
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return status_;
    }
    const fs::path& link() const { return link_; }

  private:
    fs::path link_;
    pid_t pid_ = -1;
    int status_ = -1;
};

TEST(UsbDeviceCli, ListenAndTransmitThroughTheSimulatedDevice) {
    ScratchFolder folder;
    const fs::path cq = folder.path() / "cq.wav";
    const fs::path sent = folder.path() / "sent.wav";
    ASSERT_EQ(runCli({"encode", "--mode", "bpsk31", "--freq", "1000", "--text",
                      "CQ CQ DE SP9XYZ SP9XYZ PSE K", "--rate", "10417", "-o", cq.string()})
                  .status,
              0);
    SimulatedDevice device(folder.path(), cq, sent);
    ASSERT_TRUE(fs::is_symlink(device.link())) << readText(folder.path() / "device.err");

    const CliRun heard = runCli({"listen", "--usb", device.link().string(), "--mode", "bpsk31",
                                 "--freq", "1000", "--seconds", "4"});
    EXPECT_EQ(heard.status, 0) << heard.err;
    EXPECT_NE(heard.out.find("DE SP9XYZ SP9XYZ PSE K"), std::string::npos) << heard.out;

    const CliRun told = runCli({"transmit", "--usb", device.link().string(), "--mode", "bpsk31",
                                "--freq", "1000", "--text", "TEST DE SP9XYZ AR"});
    EXPECT_EQ(told.status, 0) << told.err;
    EXPECT_EQ(device.stop(), 0);
    EXPECT_FALSE(fs::exists(device.link()));  // the link goes with the device
    EXPECT_NE(readText(folder.path() / "device.out").find("transmissions: 1"), std::string::npos);
    const CliRun decoded = runCli({"decode", "--mode", "bpsk31", "--freq", "1000", sent.string()});
    EXPECT_NE(decoded.out.find("TEST DE SP9XYZ AR"), std::string::npos)
        << decoded.out << decoded.err;
}

TEST(UsbDeviceCli, AMissingDeviceOrTwoDevicesAreRefused) {
    const CliRun missing = runCli({"listen", "--usb", "/dev/no-such-usb-sound", "--mode", "bpsk31",
                                   "--freq", "1000", "--seconds", "1"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("/dev/no-such-usb-sound"), std::string::npos) << missing.err;
    const CliRun both = runCli({"transmit", "--usb", "/dev/x", "--device", "y", "--mode", "bpsk31",
                                "--freq", "1000", "--text", "T"});
    EXPECT_EQ(both.status, 2);
    EXPECT_NE(both.err.find("--usb"), std::string::npos) << both.err;
    EXPECT_EQ(runCli({"usb-device", "--play"}).status, 2);
}

}  // namespace
}  // namespace tarnvel::testing
