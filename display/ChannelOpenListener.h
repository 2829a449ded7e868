#pragma once
// Told by the multichannel decoder when a slot gets a new channel (not when a channel in use
// is only retuned), before the channel receives any live audio.

#include "modem/Mode.h"

namespace tarnvel::display {

class MultichannelChannel;

class ChannelOpenListener {
  public:
    virtual ~ChannelOpenListener() = default;
    virtual void channelOpened(MultichannelChannel& channel, modem::Mode mode,
                               double sampleRate) = 0;
};

}  // namespace tarnvel::display
