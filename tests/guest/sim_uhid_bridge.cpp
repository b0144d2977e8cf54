#include "sim_uhid_bridge.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <utility>

#include "sim/devices/sim_names.h"

namespace zeltor::guest {
namespace {

const char* kindName(UhidReportKind kind) {
    switch (kind) {
        case UhidReportKind::Input:
            return "input";
        case UhidReportKind::Output:
            return "output";
        case UhidReportKind::Feature:
            break;
    }
    return "feature";
}

std::uint16_t lengthOf(const HidCaps& caps, UhidReportKind kind) {
    switch (kind) {
        case UhidReportKind::Input:
            return caps.InputReportByteLength;
        case UhidReportKind::Output:
            return caps.OutputReportByteLength;
        case UhidReportKind::Feature:
            break;
    }
    return caps.FeatureReportByteLength;
}

std::string hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*x", digits, value);
    return text;
}

}  // namespace

SimUhidBridge::SimUhidBridge(SimHidBackend& bus, test::PostedWork& posted, SimWorld& world,
                             const SimScenario& scenario, HeadsetNodes headsetNodes,
                             UhidDevices& devices, Say say)
    : bus_(bus),
      posted_(posted),
      scenario_(scenario),
      headsetNodes_(headsetNodes),
      devices_(devices),
      say_(std::move(say)) {
    for (SimDevice* device : world.devices()) {
        for (const DeviceRoleIdentity& identity : kDeviceRoles) {
            if (SimCollection* collection = device->collection(identity.role)) {
                collections_[identity.role] = collection;
            }
        }
    }
    bus_.registerInterfaceNotifications(this);
    // What is on the bus already was announced before anyone listened, as for a program that
    // starts with the devices plugged in.
    for (const std::string& path : bus_.enumerateInterfaces()) {
        DeviceChange change;
        change.eventType = DBT_DEVICEARRIVAL;
        change.hasHeader = true;
        change.deviceType = DBT_DEVTYP_DEVICEINTERFACE;
        change.devicePath = path;
        deviceChanged(change);
    }
}

SimUhidBridge::~SimUhidBridge() {
    bus_.registerInterfaceNotifications(nullptr);
    while (!nodes_.empty()) {
        destroyNode(nodes_.begin());
    }
}

DeviceRole SimUhidBridge::groupOf(DeviceRole role) const {
    return headsetNodes_ == HeadsetNodes::One && role == DeviceRole::ZeltorHeadsetMCU
               ? DeviceRole::ZeltorHeadset
               : role;
}

std::vector<DeviceRole> SimUhidBridge::rolesOf(DeviceRole group) const {
    // The chip's collection first, as the real headset numbers them.
    if (headsetNodes_ == HeadsetNodes::One && group == DeviceRole::ZeltorHeadset) {
        return {DeviceRole::ZeltorHeadset, DeviceRole::ZeltorHeadsetMCU};
    }
    return {group};
}

std::vector<std::uint8_t> SimUhidBridge::floodIds(DeviceRole role) const {
    std::vector<std::uint8_t> ids;
    for (const SimFault& fault : scenario_.faults) {
        if (fault.action == SimFault::Action::Flood && fault.target == role) {
            ids.push_back(fault.floodReportId);
        }
    }
    return ids;
}

void SimUhidBridge::deviceChanged(const DeviceChange& change) {
    if (change.deviceType != DBT_DEVTYP_DEVICEINTERFACE) {
        return;
    }
    const auto it = std::find_if(collections_.begin(), collections_.end(), [&](const auto& entry) {
        return entry.second->path() == change.devicePath;
    });
    if (it == collections_.end()) {
        say_("uhid-bridge: a change of an unknown collection ignored: " + change.devicePath);
        return;
    }
    const DeviceRole group = groupOf(it->first);
    if (change.eventType == DBT_DEVICEARRIVAL) {
        if (std::find(pending_.begin(), pending_.end(), group) == pending_.end()) {
            pending_.push_back(group);
        }
        return;
    }
    const auto node = std::find_if(nodes_.begin(), nodes_.end(), [&](const Node& n) {
        return std::any_of(n.members.begin(), n.members.end(),
                           [&](const Member& m) { return m.collection == it->second; });
    });
    if (node != nodes_.end()) {
        destroyNode(node);
    }
}

void SimUhidBridge::settle() {
    do {
        posted_.drain();
        // A device's collections arrive one after the other in one go: its node is made once
        // they are all there.
        const std::vector<DeviceRole> groups = std::exchange(pending_, {});
        for (const DeviceRole group : groups) {
            const bool made = std::any_of(nodes_.begin(), nodes_.end(),
                                          [group](const Node& n) { return n.group == group; });
            if (!made) {
                createNode(group);
            }
        }
        deliverInput();
    } while (posted_.pending() > 0);
}

void SimUhidBridge::createNode(DeviceRole group) {
    Node node{0, group, "Simulated Zeltor", {}};
    std::set<std::uint8_t> taken;
    for (const DeviceRole role : rolesOf(group)) {
        SimCollection* collection = collections_.count(role) ? collections_.at(role) : nullptr;
        if (collection == nullptr || !bus_.isAttached(*collection)) {
            continue;
        }
        const HidCaps caps = collection->caps();
        node.members.push_back({collection, role, caps, collectionLayout(role, caps, {}), 0});
        node.name += std::string(node.members.size() == 1 ? " " : "+") + simRoleName(role);
        for (const UhidReport& report : node.members.back().layout.reports) {
            taken.insert(report.id);
        }
    }
    if (node.members.empty()) {
        return;
    }
    // A report id belongs to one collection of a device: a flood of another collection's id
    // stays undeclared here, and the kernel hands those reports to that collection.
    for (Member& member : node.members) {
        std::vector<std::uint8_t> floods;
        for (const std::uint8_t id : floodIds(member.role)) {
            const bool own = std::any_of(member.layout.reports.begin(), member.layout.reports.end(),
                                         [id](const UhidReport& r) { return r.id == id; });
            if (own || taken.insert(id).second) {
                floods.push_back(id);
            } else {
                say_("uhid-bridge: flood report id 0x" + hex(id, 2) + " of the " +
                     simRoleName(member.role) + " is another collection's on this node");
            }
        }
        member.layout = collectionLayout(member.role, member.caps, floods);
    }
    std::vector<UhidCollectionLayout> layouts;
    for (const Member& member : node.members) {
        layouts.push_back(member.layout);
    }
    const HidAttributes attributes = node.members.front().collection->attributes();
    node.device = devices_.create({node.name, attributes, reportDescriptor(layouts)});
    const std::string identity = hex(attributes.VendorID, 4) + ":" + hex(attributes.ProductID, 4);
    if (node.device == 0) {
        say_("uhid-bridge: " + node.name + " (" + identity + ") could not be made");
        return;
    }
    for (Member& member : node.members) {
        member.handle = bus_.open(member.collection->path());
        if (member.handle == 0) {
            say_("uhid-bridge: the bus would not open the " +
                 std::string(simRoleName(member.role)));
        }
    }
    say_("uhid-bridge: + " + node.name + " " + identity + " as node " +
         std::to_string(node.device));
    nodes_.push_back(std::move(node));
}

void SimUhidBridge::destroyNode(std::vector<Node>::iterator node) {
    for (const Member& member : node->members) {
        if (member.handle != 0) {
            bus_.close(member.handle);
        }
    }
    devices_.destroy(node->device);
    say_("uhid-bridge: - " + node->name + " (node " + std::to_string(node->device) + ")");
    nodes_.erase(node);
}

void SimUhidBridge::deliverInput() {
    for (const Node& node : nodes_) {
        for (const Member& member : node.members) {
            if (member.handle == 0 || member.caps.InputReportByteLength == 0) {
                continue;
            }
            while (auto report =
                       bus_.readInputReport(member.handle, member.caps.InputReportByteLength, 0)) {
                devices_.input(node.device, *report);
            }
        }
    }
}

SimUhidBridge::Node* SimUhidBridge::nodeOf(int device) {
    const auto it = std::find_if(nodes_.begin(), nodes_.end(),
                                 [device](const Node& n) { return n.device == device; });
    return it == nodes_.end() ? nullptr : &*it;
}

const SimUhidBridge::Member* SimUhidBridge::memberWith(const Node& node, UhidReportKind kind,
                                                       std::uint8_t id) const {
    for (const Member& member : node.members) {
        for (const UhidReport& report : member.layout.reports) {
            if (report.kind == kind && report.id == id) {
                return &member;
            }
        }
    }
    return nullptr;
}

HidTransfer SimUhidBridge::setReport(int device, UhidReportKind kind, ByteVector report) {
    const Node* node = nodeOf(device);
    const std::uint8_t id = report.empty() ? 0 : report[0];
    const Member* member =
        node != nullptr && kind != UhidReportKind::Input ? memberWith(*node, kind, id) : nullptr;
    const std::string what = std::string(kindName(kind)) + " report 0x" + hex(id, 2);
    if (member == nullptr) {
        const HidTransfer refused{
            false, kErrorInvalidParameter,
            "no collection of node " + std::to_string(device) + " has " + what};
        say_("uhid-bridge: " + refused.errorText);
        return refused;
    }
    report.resize(lengthOf(member->caps, kind), 0);
    const HidTransfer transfer = kind == UhidReportKind::Feature
                                     ? bus_.setFeature(member->handle, report)
                                     : bus_.writeOutputReport(member->handle, report, 0);
    if (!transfer.accepted) {
        say_("uhid-bridge: " + what + " to the " + simRoleName(member->role) +
             " refused: " + transfer.errorText + " (" + std::to_string(transfer.errorCode) + ")");
    }
    return transfer;
}

std::optional<ByteVector> SimUhidBridge::getReport(int device, UhidReportKind kind,
                                                   std::uint8_t id) {
    const Node* node = nodeOf(device);
    const Member* member =
        node != nullptr && kind == UhidReportKind::Feature ? memberWith(*node, kind, id) : nullptr;
    const std::string what = std::string(kindName(kind)) + " report 0x" + hex(id, 2);
    if (member == nullptr) {
        say_("uhid-bridge: read of " + what + " refused: no collection of node " +
             std::to_string(device) + " gives it");
        return std::nullopt;
    }
    ByteVector report(member->caps.FeatureReportByteLength, 0);
    report[0] = id;
    if (!bus_.getFeature(member->handle, report)) {
        say_("uhid-bridge: read of " + what + " refused by the " + simRoleName(member->role));
        return std::nullopt;
    }
    return report;
}

}  // namespace zeltor::guest
