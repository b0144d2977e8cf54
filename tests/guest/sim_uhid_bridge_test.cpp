#include "sim_uhid_bridge.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "hid/report_descriptor.h"

namespace zeltor::guest {
namespace {

using std::chrono::milliseconds;

// The kernel devices the bridge makes, as a record.
class RecordedDevices final : public UhidDevices {
public:
    struct Node {
        int id;
        UhidNodeDefinition definition;
        bool present;
        std::vector<ByteVector> input;
    };

    int create(const UhidNodeDefinition& definition) override {
        nodes.push_back({static_cast<int>(nodes.size()) + 1, definition, true, {}});
        return nodes.back().id;
    }
    void destroy(int node) override { nodes.at(node - 1).present = false; }
    void input(int node, const ByteVector& report) override {
        nodes.at(node - 1).input.push_back(report);
    }

    // "<name> <vid>:<pid> <usage pages of its collections>" of the nodes present.
    std::vector<std::string> present() const {
        std::vector<std::string> lines;
        for (const Node& node : nodes) {
            if (!node.present) {
                continue;
            }
            char id[16];
            std::snprintf(id, sizeof id, "%04x:%04x", node.definition.attributes.VendorID,
                          node.definition.attributes.ProductID);
            std::string line = node.definition.name + " " + id;
            for (const ReportCollection& c :
                 parseReportDescriptor(node.definition.descriptor).collections) {
                char page[8];
                std::snprintf(page, sizeof page, " %04x", c.caps.UsagePage);
                line += page;
            }
            lines.push_back(line);
        }
        return lines;
    }
    const Node* named(const std::string& name) const {
        for (const Node& node : nodes) {
            if (node.present && node.definition.name == name) {
                return &node;
            }
        }
        return nullptr;
    }

    std::vector<Node> nodes;
};

// A simulated world in virtual time with the bridge on its bus.
class BridgeRig {
public:
    explicit BridgeRig(HeadsetNodes headsetNodes, SimScenario scenario = {})
        : scenario_(std::move(scenario)),
          world_(bus_, scenario_),
          bridge_(std::make_unique<SimUhidBridge>(
              bus_, posted_, world_, scenario_, headsetNodes, devices_,
              [this](const std::string& line) { said.push_back(line); })) {
        bridge_->settle();
    }

    SimUhidBridge& bridge() { return *bridge_; }
    void closeBridge() { bridge_.reset(); }
    // Lets the world's time pass and hands what happened to the kernel.
    void pass(milliseconds time) {
        clock_.runUntil(clock_.now() + time);
        bridge_->settle();
    }
    int node(const std::string& name) const {
        const RecordedDevices::Node* node = devices_.named(name);
        return node == nullptr ? 0 : node->id;
    }
    const RecordedDevices& devices() const { return devices_; }
    SimWorld& world() { return world_; }

    std::vector<std::string> said;

private:
    test::PostedWork posted_;
    EventClock clock_{EventClock::Mode::Virtual};
    SimHidBackend bus_{clock_, posted_.poster()};
    SimScenario scenario_;
    SimWorld world_;
    RecordedDevices devices_;
    std::unique_ptr<SimUhidBridge> bridge_;
};

const ByteVector kVersionRequest{0xFF, 0x0A, 0x00, 0xFD, 0x04, 0x07,
                                 0x00, 0x05, 0x03, 0x05, 0x00, 0x00};
const ByteVector kBootloaderEntry{0xFF, 0x02, 0x00, 0x0A};

TEST(SimUhidBridgeTest, TheHeadsetIsOneNodeWithTwoCollectionsOrTwoNodes) {
    const struct {
        HeadsetNodes layout;
        std::vector<std::string> nodes;
    } cases[] = {
        {HeadsetNodes::One,
         {"Simulated Zeltor dongle 2f5a:5c1a ff00",
          "Simulated Zeltor headset+mcu 2f5a:5c1b ff00 ff42"}},
        {HeadsetNodes::Two,
         {"Simulated Zeltor dongle 2f5a:5c1a ff00", "Simulated Zeltor mcu 2f5a:5c1b ff42",
          "Simulated Zeltor headset 2f5a:5c1b ff00"}},
    };
    for (const auto& c : cases) {
        BridgeRig rig(c.layout);
        EXPECT_EQ(rig.devices().present(), c.nodes);
        rig.closeBridge();
        EXPECT_EQ(rig.devices().present(), std::vector<std::string>{});
    }
}

TEST(SimUhidBridgeTest, BootloaderEntryTakesTheNodeAwayAndBringsTheBootloaderAfterTheDelay) {
    SimScenario scenario;
    scenario.headset.bootloaderDelayMs = 2000;
    BridgeRig rig(HeadsetNodes::One, scenario);
    const int headset = rig.node("Simulated Zeltor headset+mcu");
    ASSERT_NE(headset, 0);

    EXPECT_TRUE(
        rig.bridge().setReport(headset, UhidReportKind::Feature, kBootloaderEntry).accepted);
    rig.bridge().settle();
    EXPECT_EQ(rig.devices().present(),
              std::vector<std::string>{"Simulated Zeltor dongle 2f5a:5c1a ff00"});
    rig.pass(milliseconds(1999));
    EXPECT_EQ(rig.devices().present().size(), 1u);
    rig.pass(milliseconds(1));
    EXPECT_EQ(rig.devices().present(),
              (std::vector<std::string>{"Simulated Zeltor dongle 2f5a:5c1a ff00",
                                        "Simulated Zeltor headset-bootloader 170d:0101 ff00"}));
}

TEST(SimUhidBridgeTest, TheChipAnswersItsVersionRequestThroughAFeatureRead) {
    SimScenario scenario;
    scenario.dongle.version = "T2.34.05";
    BridgeRig rig(HeadsetNodes::One, scenario);
    const int dongle = rig.node("Simulated Zeltor dongle");

    // The request is padded to the collection's feature length, as the HID stack sends it.
    EXPECT_TRUE(rig.bridge().setReport(dongle, UhidReportKind::Feature, kVersionRequest).accepted);
    rig.pass(milliseconds(500));
    const auto answer = rig.bridge().getReport(dongle, UhidReportKind::Feature, 0xFF);
    ASSERT_TRUE(answer.has_value());
    ASSERT_EQ(answer->size(), 263u);
    EXPECT_EQ(std::string(answer->begin() + 9, answer->begin() + 17), "T2.34.05");
    EXPECT_EQ(rig.world().deviceErrors(), std::vector<std::string>{});
}

TEST(SimUhidBridgeTest, TheMcusAnswerComesAsAnInputReportOfItsNode) {
    BridgeRig rig(HeadsetNodes::One);
    const int headset = rig.node("Simulated Zeltor headset+mcu");

    EXPECT_TRUE(
        rig.bridge().setReport(headset, UhidReportKind::Output, {0x06, 0x88, 0x07, 0x00}).accepted);
    rig.bridge().settle();
    ByteVector expected(64, 0);
    const ByteVector answer{0x06, 0x88, 0x07, 0x00, 0x12};
    std::copy(answer.begin(), answer.end(), expected.begin());
    EXPECT_EQ(rig.devices().nodes.at(headset - 1).input, std::vector<ByteVector>{expected});
}

TEST(SimUhidBridgeTest, ReportsNoCollectionOfTheNodeHasAreRefusedBeforeTheDevice) {
    BridgeRig rig(HeadsetNodes::Two);
    const int dongle = rig.node("Simulated Zeltor dongle");
    const int mcu = rig.node("Simulated Zeltor mcu");
    rig.said.clear();

    EXPECT_FALSE(rig.bridge().setReport(dongle, UhidReportKind::Output, {0x06, 0x88}).accepted);
    EXPECT_FALSE(rig.bridge().setReport(mcu, UhidReportKind::Feature, kVersionRequest).accepted);
    EXPECT_FALSE(rig.bridge().setReport(dongle, UhidReportKind::Input, {0xFF}).accepted);
    EXPECT_FALSE(rig.bridge().setReport(99, UhidReportKind::Feature, kVersionRequest).accepted);
    EXPECT_FALSE(rig.bridge().getReport(dongle, UhidReportKind::Input, 0xFF).has_value());
    EXPECT_FALSE(rig.bridge().getReport(dongle, UhidReportKind::Feature, 0xE4).has_value());
    // Each refusal says so.
    EXPECT_EQ(rig.said.size(), 6u);
    EXPECT_EQ(rig.world().deviceErrors(), std::vector<std::string>{});
}

TEST(SimUhidBridgeTest, AFloodArrivesAsInputOfItsDeclaredId) {
    SimScenario scenario;
    SimFault flood;
    flood.target = DeviceRole::ZeltorDongle;
    flood.action = SimFault::Action::Flood;
    flood.afterMs = 0;
    flood.floodReportId = 0x09;
    flood.floodIntervalMs = 5;
    flood.floodForMs = 12;
    scenario.faults.push_back(flood);
    // A flood of the MCU's id on the headset's chip: on one node the id stays the MCU's.
    flood.target = DeviceRole::ZeltorHeadset;
    flood.floodReportId = 0x06;
    scenario.faults.push_back(flood);
    BridgeRig rig(HeadsetNodes::One, scenario);
    rig.pass(milliseconds(20));

    const RecordedDevices::Node& dongle =
        rig.devices().nodes.at(rig.node("Simulated Zeltor dongle") - 1);
    const ReportDescriptor parsed = parseReportDescriptor(dongle.definition.descriptor);
    ASSERT_EQ(parsed.collections.size(), 1u);
    EXPECT_EQ(parsed.collections[0].reportIds, (std::vector<std::uint8_t>{0x09, 0xFF}));
    ASSERT_EQ(dongle.input.size(), 3u);
    EXPECT_EQ(ByteVector(dongle.input[2].begin(), dongle.input[2].begin() + 3),
              (ByteVector{0x09, 0xF1, 0x02}));

    const RecordedDevices::Node& headset =
        rig.devices().nodes.at(rig.node("Simulated Zeltor headset+mcu") - 1);
    const ReportDescriptor headsetParsed = parseReportDescriptor(headset.definition.descriptor);
    ASSERT_TRUE(headsetParsed.ok()) << headsetParsed.failure;
    EXPECT_EQ(headsetParsed.collections[0].reportIds, std::vector<std::uint8_t>{0xFF});
    EXPECT_EQ(rig.said.at(1),
              std::string("uhid-bridge: flood report id 0x06 of the headset is another "
                          "collection's on this node"));
}

}  // namespace
}  // namespace zeltor::guest
