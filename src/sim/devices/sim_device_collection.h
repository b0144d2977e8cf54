#pragma once

#include <string>

#include "hid/device_role.h"
#include "sim/scenario/scenario.h"
#include "sim/sim_collection.h"

namespace zeltor {

enum class SimReportKind { Output, Feature };

// The device behind one or more collections: it takes the reports sent to any of them.
class SimReportHandler {
public:
    virtual HidTransfer onReport(DeviceRole role, SimReportKind kind, const ByteVector& report) = 0;
    virtual bool onGetFeature(DeviceRole role, ByteVector& report) = 0;

protected:
    ~SimReportHandler() = default;
};

// One collection of a simulated device, with the identity and path of its role and the report
// lengths the scenario gave it.
class SimDeviceCollection final : public SimCollection {
public:
    SimDeviceCollection(DeviceRole role, const SimReportLengths& lengths, SimReportHandler& device)
        : role_(role), lengths_(lengths), device_(device) {}

    DeviceRole role() const { return role_; }

    std::string path() const override;
    HidAttributes attributes() const override;
    HidCaps caps() const override;
    HidTransfer onOutputReport(const ByteVector& report) override {
        return device_.onReport(role_, SimReportKind::Output, report);
    }
    HidTransfer onSetFeature(const ByteVector& report) override {
        return device_.onReport(role_, SimReportKind::Feature, report);
    }
    bool onGetFeature(ByteVector& report) override { return device_.onGetFeature(role_, report); }

private:
    DeviceRole role_;
    SimReportLengths lengths_;
    SimReportHandler& device_;
};

}  // namespace zeltor
