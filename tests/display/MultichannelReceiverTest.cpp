// The multichannel channels decode with the PSK receiver the settings choose: the sensitive one
// copies a weak signal the specified one garbles.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/MultichannelDecoder.h"
#include "modem/PskTestSignal.h"

namespace tarnvel::display {
namespace {

using modem::PskReceiverKind;

modem::PskReceiverKind kindOf(MultichannelChannel& channel) {
    return dynamic_cast<modem::SensitivePskReceiver&>(channel.receiver()).receiverKind();
}

TEST(MultichannelReceiver, ChannelsOpenWithTheChosenReceiver) {
    for (const PskReceiverKind kind : {PskReceiverKind::Specified, PskReceiverKind::Sensitive}) {
        MultichannelDecoder d;
        MultichannelSettings s;
        s.pskReceiver = kind;
        d.setSettings(s);
        const auto slot = d.openChannel(modem::Mode::Bpsk31, 1000.0, 0);
        ASSERT_TRUE(slot.has_value());
        EXPECT_EQ(kindOf(d.channel(*slot)), kind);
    }
}

TEST(MultichannelReceiver, SensitiveChannelCopiesAWeakSignal) {
    const std::string message =
        "cq cq de sp9xyz sp9xyz pse k the quick brown fox jumps over the lazy dog";
    modem::testing::PskSignalOptions o;
    o.carrierHz = 1002.0;
    o.snrDb = -10.0;
    o.seed = 4;
    const std::vector<int16_t> audio = modem::testing::makePskSignal(message, o);
    size_t errors[2] = {0, 0};
    for (const PskReceiverKind kind : {PskReceiverKind::Specified, PskReceiverKind::Sensitive}) {
        MultichannelChannel channel;
        channel.usePskReceiver(kind);
        channel.open(0, modem::Mode::Bpsk31, 1000.0, 11025.0, 0);
        for (size_t at = 0; at < audio.size(); at += 512)
            channel.process(audio.data() + at, std::min<size_t>(512, audio.size() - at));
        errors[kind == PskReceiverKind::Sensitive] =
            modem::testing::stretchDistance(channel.workingText(), message);
    }
    EXPECT_LE(errors[1], 2u);
    EXPECT_LT(errors[1], errors[0]);
}

}  // namespace
}  // namespace tarnvel::display
