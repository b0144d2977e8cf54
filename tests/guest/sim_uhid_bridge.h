#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "hid/device_change.h"
#include "sim/scenario/sim_world.h"
#include "sim/sim_hid_backend.h"
#include "support/posted_work.h"
#include "uhid_descriptor.h"
#include "uhid_devices.h"

namespace zeltor::guest {

// How the headset's two collections (its wireless chip and its MCU) reach the kernel: as two
// top-level collections of one device, as the real headset shows them, or as two devices.
enum class HeadsetNodes { One, Two };

// Mirrors the simulated HID bus in kernel HID devices. Every collection the simulated devices
// put on the bus becomes (part of) a uhid device with a descriptor of its reports; a collection
// that leaves the bus takes its device with it, so a chip entering its bootloader or resetting
// disappears and comes back with its other identity when the simulation brings it back.
// Requests the kernel forwards go to the simulated collection through a handle of the bus, as
// the tool's own channel would send them; input the collection queues goes to the node.
class SimUhidBridge final : public DeviceChangeSink {
public:
    using Say = std::function<void(const std::string&)>;

    SimUhidBridge(SimHidBackend& bus, test::PostedWork& posted, SimWorld& world,
                  const SimScenario& scenario, HeadsetNodes headsetNodes, UhidDevices& devices,
                  Say say);
    ~SimUhidBridge() override;
    SimUhidBridge(const SimUhidBridge&) = delete;
    SimUhidBridge& operator=(const SimUhidBridge&) = delete;

    // Takes what happened on the bus since the last call (arrivals, removals, queued input)
    // to the kernel. Call it after every request and whenever the world's agenda has run.
    void settle();

    // A report the kernel forwards to node `node`, cut or padded to its collection's length
    // as the HID stack does; refused when no collection of the node has the report.
    HidTransfer setReport(int node, UhidReportKind kind, ByteVector report);
    // The feature report `id` of the node; nothing when it is refused.
    std::optional<ByteVector> getReport(int node, UhidReportKind kind, std::uint8_t id);

    void deviceChanged(const DeviceChange& change) override;

private:
    struct Member {
        SimCollection* collection;
        DeviceRole role;
        HidCaps caps;
        UhidCollectionLayout layout;
        HidHandle handle;
    };
    struct Node {
        int device;
        DeviceRole group;
        std::string name;
        std::vector<Member> members;
    };

    DeviceRole groupOf(DeviceRole role) const;
    std::vector<DeviceRole> rolesOf(DeviceRole group) const;
    std::vector<std::uint8_t> floodIds(DeviceRole role) const;
    void createNode(DeviceRole group);
    void destroyNode(std::vector<Node>::iterator node);
    void deliverInput();
    Node* nodeOf(int device);
    const Member* memberWith(const Node& node, UhidReportKind kind, std::uint8_t id) const;

    SimHidBackend& bus_;
    test::PostedWork& posted_;
    const SimScenario& scenario_;
    HeadsetNodes headsetNodes_;
    UhidDevices& devices_;
    Say say_;
    std::map<DeviceRole, SimCollection*> collections_;
    std::vector<DeviceRole> pending_;  // groups with an arrival, in arrival order
    std::vector<Node> nodes_;
};

}  // namespace zeltor::guest
