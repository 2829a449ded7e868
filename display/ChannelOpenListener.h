#pragma once
// Told by the multichannel decoder when a slot gets a new channel (not when a channel in use
// is only retuned), before the channel receives any live audio.

namespace tarnvel::display {

class MultichannelDecoder;

class ChannelOpenListener {
  public:
    virtual ~ChannelOpenListener() = default;
    // The decoder's settings, sample rate and the slot's new channel are there to read.
    virtual void channelOpened(MultichannelDecoder& decoder, int slot) = 0;
};

}  // namespace tarnvel::display
