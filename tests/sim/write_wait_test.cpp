// The simulated HID stack honours the write waits the channel gives it: an output report takes
// its time to reach the device, the channel waits for it up to its bound (1000 ms for a plain
// write, 100 ms before the read of a write-and-read), and a write still under way when the wait
// ends goes on and reaches the device later.
#include <gtest/gtest.h>

#include "sim_bench.h"

namespace zeltor::test {
namespace {

using std::chrono::milliseconds;
using namespace std::chrono_literals;

// A collection whose output reports take `transfer` to arrive; it answers each with an input
// report 06 AC as soon as it has it.
class SlowCollection final : public SimCollection {
public:
    SlowCollection(SimHidBackend& bus, milliseconds transfer) : bus_(bus), transfer_(transfer) {}

    std::string path() const override { return R"(\\?\hid#slow-writes#1)"; }
    HidAttributes attributes() const override { return {}; }
    HidCaps caps() const override {
        HidCaps caps;
        caps.InputReportByteLength = 8;
        caps.OutputReportByteLength = 8;
        return caps;
    }
    milliseconds outputTransferTime() const override { return transfer_; }
    HidTransfer onOutputReport(const ByteVector& report) override {
        arrivals.push_back(std::chrono::duration_cast<milliseconds>(bus_.scheduler().now()));
        bus_.queueInput(*this, {report[0], 0xAC});
        return {true, 0};
    }
    HidTransfer onSetFeature(const ByteVector&) override { return {false, 1}; }
    bool onGetFeature(ByteVector&) override { return false; }

    std::vector<milliseconds> arrivals;  // when each output report reached the device

private:
    SimHidBackend& bus_;
    milliseconds transfer_;
};

struct Slow {
    Slow(SimBench& bench, milliseconds transfer)
        : bus(bench.bus), device(bench.bus, transfer), channel(bench.bus, bench.scheduler, false) {
        bus.attach(device);
        EXPECT_TRUE(channel.Open(device.path(), nullptr));
    }
    ~Slow() {
        channel.Close();
        bus.detach(device);
    }
    SimHidBackend& bus;
    SlowCollection device;
    cDeviceUpdater channel;
};

const ByteVector kRequest{0x06, 0x01};

TEST(WriteWaitTest, AWriteWaitsForItsTransferAtMostASecond) {
    struct Case {
        milliseconds transfer;
        milliseconds returned;
    };
    const Case cases[] = {{0ms, 0ms}, {400ms, 400ms}, {1000ms, 1000ms}, {1500ms, 1000ms}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.transfer.count());
        SimBench bench;
        Slow slow(bench, c.transfer);
        const auto start = bench.now();
        EXPECT_TRUE(slow.channel.WriteReport(kRequest));
        EXPECT_EQ(bench.now() - start, c.returned);
        bench.runFor(2000ms);
        EXPECT_EQ(slow.device.arrivals, std::vector<milliseconds>{start + c.transfer})
            << "a write the wait gave up on still arrives";
    }
}

TEST(WriteWaitTest, AWriteAndReadWaitsForTheWriteAtMostATenthOfASecond) {
    struct Case {
        milliseconds transfer;
        bool answered;  // within the read's 100 ms
        milliseconds returned;
    };
    const Case cases[] = {
        {50ms, true, 50ms},
        {150ms, true, 150ms},  // 100 ms for the write, then the answer 50 ms into the read
        {400ms, false, 200ms},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.transfer.count());
        SimBench bench;
        Slow slow(bench, c.transfer);
        const auto start = bench.now();
        const ByteVector answer = slow.channel.WriteReadReport(kRequest, 0x06, 100);
        EXPECT_EQ(!answer.empty(), c.answered);
        EXPECT_EQ(bench.now() - start, c.returned);
    }
}

TEST(WriteWaitTest, WritesReachTheDeviceInTheOrderTheyWereMade) {
    SimBench bench;
    Slow slow(bench, 1500ms);
    EXPECT_TRUE(slow.channel.WriteReport(kRequest));
    EXPECT_TRUE(slow.channel.WriteReport(kRequest));
    EXPECT_EQ(bench.now(), 2000ms) << "the second write's transfer starts after the first's";
    bench.runFor(1000ms);
    EXPECT_EQ(slow.device.arrivals, (std::vector<milliseconds>{1500ms, 3000ms}));
}

TEST(WriteWaitTest, AWriteUnderWayIsLostWhenTheHandleIsClosed) {
    SimBench bench;
    Slow slow(bench, 1500ms);
    EXPECT_TRUE(slow.channel.WriteReport(kRequest));
    slow.channel.Close();
    bench.runFor(1000ms);
    EXPECT_TRUE(slow.device.arrivals.empty());
}

}  // namespace
}  // namespace zeltor::test
