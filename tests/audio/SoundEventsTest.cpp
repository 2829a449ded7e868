// The event queue between the audio threads and the station's thread.

#include "audio/SoundEvents.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace tarnvel::audio {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Several producers (input callback, output callback, a failure watcher) post at once while
// the station drains: every event arrives exactly once, in each producer's order.
TEST(SoundEvents, ConcurrentProducersLoseNothingAndKeepTheirOrder) {
    SoundEvents events;
    const uint32_t input = events.beginStream(SoundDirection::Input);
    const uint32_t output = events.beginStream(SoundDirection::Output);
    constexpr int kProducers = 4;
    constexpr int kPerProducer = 20000;

    std::vector<std::thread> producers;
    for (int p = 0; p < kProducers; ++p) {
        producers.emplace_back([&, p] {
            const bool isInput = p % 2 == 0;
            for (int i = 0; i < kPerProducer; ++i) {
                // buffer carries producer and sequence; a full queue is retried.
                const SoundEvent e{SoundEventKind::OutputBufferDone,
                                   isInput ? SoundDirection::Input : SoundDirection::Output,
                                   p * kPerProducer + i, SoundError::None,
                                   isInput ? input : output};
                while (!events.post(e)) std::this_thread::yield();
            }
        });
    }
    std::vector<int> nextOf(kProducers, 0);
    int received = 0;
    const auto deadline = Clock::now() + 30s;
    while (received < kProducers * kPerProducer && Clock::now() < deadline) {
        events.waitFor(10ms);
        while (auto e = events.next()) {
            const int producer = e->buffer / kPerProducer;
            ASSERT_EQ(e->buffer % kPerProducer, nextOf[producer]) << "producer " << producer;
            ++nextOf[producer];
            ++received;
        }
    }
    for (auto& t : producers) t.join();
    EXPECT_EQ(received, kProducers * kPerProducer);
}

// After a direction is closed and opened again, late events of the old opening are dropped;
// the other direction's events still arrive.
TEST(SoundEvents, EventsOfAClosedStreamAreDropped) {
    SoundEvents events;
    const uint32_t oldInput = events.beginStream(SoundDirection::Input);
    const uint32_t output = events.beginStream(SoundDirection::Output);
    events.post(
        {SoundEventKind::InputBlockReady, SoundDirection::Input, -1, SoundError::None, oldInput});
    events.post(
        {SoundEventKind::OutputBufferDone, SoundDirection::Output, 2, SoundError::None, output});
    events.endStream(SoundDirection::Input);
    const uint32_t newInput = events.beginStream(SoundDirection::Input);
    EXPECT_NE(newInput, oldInput);
    events.post({SoundEventKind::DeviceFailed, SoundDirection::Input, -1,
                 SoundError::DeviceVanished, newInput});

    auto first = events.next();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->kind, SoundEventKind::OutputBufferDone);
    EXPECT_EQ(first->buffer, 2);
    auto second = events.next();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->kind, SoundEventKind::DeviceFailed);
    EXPECT_FALSE(events.next());
}

// The wait returns at the time-out when nothing happens, and promptly when another thread
// posts; the wake descriptor is readable while an event waits.
TEST(SoundEvents, WaitTimesOutOrWakesOnPost) {
    SoundEvents events;
    const uint32_t stream = events.beginStream(SoundDirection::Input);
    auto start = Clock::now();
    EXPECT_FALSE(events.waitFor(100ms));
    EXPECT_GE(Clock::now() - start, 95ms);

    std::thread poster([&] {
        std::this_thread::sleep_for(50ms);
        events.post(
            {SoundEventKind::InputBlockReady, SoundDirection::Input, -1, SoundError::None, stream});
    });
    start = Clock::now();
    EXPECT_TRUE(events.waitFor(5000ms));
    EXPECT_LT(Clock::now() - start, 2000ms);
    poster.join();
    EXPECT_GE(events.wakeFd(), 0);
    EXPECT_TRUE(events.next());
    EXPECT_FALSE(events.next());
}

// A station that does not look at its events for a long while, under a flood of "data is
// waiting" from a fast producer: the buffers done, the end of the input and an output failure
// all still arrive, the data once, before the end that followed it; nothing is dropped.
TEST(SoundEvents, FloodOfReadinessNeverCrowdsOutStreamState) {
    SoundEvents events;
    const uint32_t input = events.beginStream(SoundDirection::Input);
    const uint32_t output = events.beginStream(SoundDirection::Output);
    constexpr int kFlood = 100000;
    std::thread inputSide([&] {
        for (int i = 0; i < kFlood; ++i) {
            events.post({SoundEventKind::InputBlockReady, SoundDirection::Input, -1,
                         SoundError::None, input});
        }
        events.post(
            {SoundEventKind::InputEnded, SoundDirection::Input, -1, SoundError::None, input});
    });
    std::thread outputSide([&] {
        for (int b = 0; b < kOutputBuffersInFlight; ++b) {
            events.post({SoundEventKind::OutputBufferDone, SoundDirection::Output, b,
                         SoundError::None, output});
        }
        events.post({SoundEventKind::DeviceFailed, SoundDirection::Output, -1,
                     SoundError::DeviceVanished, output});
        // A late failure of a stream that is no longer current changes nothing.
        events.post({SoundEventKind::DeviceFailed, SoundDirection::Output, -1,
                     SoundError::LibraryFailed, output - 1});
    });
    inputSide.join();
    outputSide.join();

    std::vector<SoundEvent> got;
    while (auto e = events.next()) got.push_back(*e);
    ASSERT_EQ(got.size(), static_cast<std::size_t>(kOutputBuffersInFlight) + 3);
    EXPECT_EQ(got[0].kind, SoundEventKind::InputBlockReady);
    for (int b = 0; b < kOutputBuffersInFlight; ++b) {
        EXPECT_EQ(got[b + 1].kind, SoundEventKind::OutputBufferDone);
        EXPECT_EQ(got[b + 1].buffer, b);
    }
    EXPECT_EQ(got[5].kind, SoundEventKind::InputEnded);
    EXPECT_EQ(got[5].stream, input);
    EXPECT_EQ(got[6].kind, SoundEventKind::DeviceFailed);
    EXPECT_EQ(got[6].direction, SoundDirection::Output);
    EXPECT_EQ(got[6].error, SoundError::DeviceVanished);
    EXPECT_EQ(events.droppedEvents(), 0u);
    EXPECT_FALSE(events.waitFor(0ms));

    // A reopened input starts clean: the old end does not come back, a new one does.
    events.endStream(SoundDirection::Input);
    const uint32_t reopened = events.beginStream(SoundDirection::Input);
    EXPECT_FALSE(events.next());
    events.post(
        {SoundEventKind::InputEnded, SoundDirection::Input, -1, SoundError::None, reopened});
    events.post({SoundEventKind::InputEnded, SoundDirection::Input, -1, SoundError::None, input});
    auto end = events.next();
    ASSERT_TRUE(end);
    EXPECT_EQ(end->stream, reopened);
    EXPECT_FALSE(events.next());
}

TEST(SoundEvents, FullQueueRefusesAndCountsTheDrop) {
    SoundEvents events;
    const uint32_t stream = events.beginStream(SoundDirection::Output);
    const SoundEvent e{SoundEventKind::OutputBufferDone, SoundDirection::Output, 0,
                       SoundError::None, stream};
    for (std::size_t i = 0; i < SoundEvents::kCapacity; ++i) ASSERT_TRUE(events.post(e));
    EXPECT_FALSE(events.post(e));
    EXPECT_EQ(events.droppedEvents(), 1u);
    EXPECT_TRUE(events.next());
    EXPECT_TRUE(events.post(e));
}

}  // namespace
}  // namespace tarnvel::audio
