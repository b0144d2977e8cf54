#include "hid/report_descriptor.h"

#include <algorithm>
#include <map>
#include <optional>
#include <utility>

namespace zeltor {
namespace {

// Item types and tags of the short items, as the HID class definition numbers them.
enum ItemType : std::uint8_t { kMain = 0, kGlobal = 1, kLocal = 2 };
enum MainTag : std::uint8_t {
    kInput = 0x8,
    kOutput = 0x9,
    kCollection = 0xA,
    kFeature = 0xB,
    kEndCollection = 0xC,
};
enum GlobalTag : std::uint8_t {
    kUsagePage = 0x0,
    kReportSize = 0x7,
    kReportId = 0x8,
    kReportCount = 0x9,
    kPush = 0xA,
    kPop = 0xB,
};
enum LocalTag : std::uint8_t { kUsage = 0x0, kUsageMinimum = 0x1 };
constexpr std::uint8_t kLongItemPrefix = 0xFE;

// The kernel keeps four levels; more leaves room for any descriptor a kernel accepted, and the
// bound keeps a hostile descriptor from growing the stack with every byte.
constexpr std::size_t kMaxPushDepth = 16;
// Report lengths are 16-bit with the id byte included.
constexpr std::uint64_t kMaxReportBits = 8ULL * (0xFFFF - 1);

enum class ReportKind { Input, Output, Feature };

const char* kindName(ReportKind kind) {
    switch (kind) {
        case ReportKind::Input:
            return "input";
        case ReportKind::Output:
            return "output";
        case ReportKind::Feature:
            break;
    }
    return "feature";
}

std::string num(std::uint64_t value) {
    return std::to_string(value);
}

struct Item {
    std::size_t offset;
    std::uint8_t type;
    std::uint8_t tag;
    std::size_t dataSize;  // 0, 1, 2 or 4 bytes
    std::uint32_t value;   // the data, unsigned, least significant byte first
    bool isLong;
};

struct Globals {
    std::uint16_t usagePage = 0;
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
    std::uint8_t reportId = 0;
};

class Parser {
public:
    explicit Parser(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    ReportDescriptor run() {
        ReportDescriptor result;
        std::size_t offset = 0;
        while (offset < bytes_.size() && failure_.empty()) {
            const std::optional<Item> item = readItem(offset);
            if (!item) {
                break;
            }
            offset = nextOffset_;
            if (!item->isLong) {
                handle(*item);
            }
        }
        if (failure_.empty()) {
            finish(result);
        }
        if (!failure_.empty()) {
            result = {};
            result.failure = failure_;
        }
        return result;
    }

private:
    void fail(std::string reason) {
        if (failure_.empty()) {
            failure_ = std::move(reason);
        }
    }

    std::optional<Item> readItem(std::size_t offset) {
        const std::size_t left = bytes_.size() - offset;
        const std::uint8_t prefix = bytes_[offset];
        if (prefix == kLongItemPrefix) {
            // Long items carry no meaning for the split; only their extent matters.
            if (left < 3 || left - 3 < bytes_[offset + 1]) {
                fail("long item at byte " + num(offset) + " runs past the end (" +
                     num(bytes_.size()) + " bytes)");
                return std::nullopt;
            }
            nextOffset_ = offset + 3 + bytes_[offset + 1];
            return Item{offset, 0, 0, 0, 0, true};
        }
        const std::size_t sizeCode = prefix & 0x3;
        const std::size_t dataSize = sizeCode == 3 ? 4 : sizeCode;
        if (left - 1 < dataSize) {
            fail("item at byte " + num(offset) + " runs past the end (" + num(bytes_.size()) +
                 " bytes)");
            return std::nullopt;
        }
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < dataSize; ++i) {
            value |= static_cast<std::uint32_t>(bytes_[offset + 1 + i]) << (8 * i);
        }
        nextOffset_ = offset + 1 + dataSize;
        return Item{offset,
                    static_cast<std::uint8_t>((prefix >> 2) & 0x3),
                    static_cast<std::uint8_t>(prefix >> 4),
                    dataSize,
                    value,
                    false};
    }

    void handle(const Item& item) {
        switch (item.type) {
            case kMain:
                handleMain(item);
                // Local items describe the next main item only.
                firstUsage_.reset();
                break;
            case kGlobal:
                handleGlobal(item);
                break;
            case kLocal:
                handleLocal(item);
                break;
            default:
                break;  // reserved: nothing of it matters here
        }
    }

    void handleGlobal(const Item& item) {
        switch (item.tag) {
            case kUsagePage:
                globals_.usagePage = static_cast<std::uint16_t>(item.value);
                break;
            case kReportSize:
                globals_.reportSize = item.value;
                break;
            case kReportCount:
                globals_.reportCount = item.value;
                break;
            case kReportId:
                if (item.value == 0 || item.value > 0xFF) {
                    fail("report id " + num(item.value) + " at byte " + num(item.offset) +
                         " is not one of 1 to 255");
                    return;
                }
                globals_.reportId = static_cast<std::uint8_t>(item.value);
                reportIdsUsed_ = true;
                break;
            case kPush:
                if (stack_.size() == kMaxPushDepth) {
                    fail("push at byte " + num(item.offset) + " nests deeper than " +
                         num(kMaxPushDepth));
                    return;
                }
                stack_.push_back(globals_);
                break;
            case kPop:
                if (stack_.empty()) {
                    fail("pop at byte " + num(item.offset) + " without a push");
                    return;
                }
                globals_ = stack_.back();
                stack_.pop_back();
                break;
            default:
                break;
        }
    }

    void handleLocal(const Item& item) {
        // A collection takes the first usage named before it, as the platforms do.
        if ((item.tag == kUsage || item.tag == kUsageMinimum) && !firstUsage_) {
            firstUsage_ = item;
        }
    }

    void handleMain(const Item& item) {
        switch (item.tag) {
            case kCollection:
                if (depth_ == 0) {
                    openTopLevel(item);
                }
                ++depth_;
                break;
            case kEndCollection:
                if (depth_ == 0) {
                    fail("end of collection at byte " + num(item.offset) + " closes no collection");
                    return;
                }
                --depth_;
                break;
            case kInput:
                addToReport(item, ReportKind::Input);
                break;
            case kOutput:
                addToReport(item, ReportKind::Output);
                break;
            case kFeature:
                addToReport(item, ReportKind::Feature);
                break;
            default:
                break;
        }
    }

    void openTopLevel(const Item& item) {
        ReportCollection collection;
        collection.caps.UsagePage = globals_.usagePage;
        if (firstUsage_) {
            collection.caps.Usage = static_cast<std::uint16_t>(firstUsage_->value);
            // Four data bytes name the usage page in their upper half.
            if (firstUsage_->dataSize == 4) {
                collection.caps.UsagePage = static_cast<std::uint16_t>(firstUsage_->value >> 16);
            }
        }
        collections_.push_back(std::move(collection));
        openedAt_ = item.offset;
    }

    void addToReport(const Item& item, ReportKind kind) {
        if (depth_ == 0) {
            fail(kindName(kind) + std::string(" item at byte ") + num(item.offset) +
                 " lies outside any collection");
            return;
        }
        // An id belongs to one collection whatever the kind of its reports: a read of the node
        // is given to a collection's channel by its id alone.
        const std::size_t collection = collections_.size() - 1;
        const auto [owner, added] = owners_.try_emplace(globals_.reportId, collection);
        if (owner->second != collection) {
            const std::string both = num(owner->second + 1) + " and " + num(collection + 1);
            fail(globals_.reportId == 0
                     ? "collections " + both + " both have reports without ids"
                     : "report " + num(globals_.reportId) + " appears in collections " + both);
            return;
        }
        // Both factors are 32-bit, so the product fits; the sum stays below the bound plus one
        // product.
        std::uint64_t& bits = reportBits_[std::pair(kind, globals_.reportId)];
        bits += static_cast<std::uint64_t>(globals_.reportSize) * globals_.reportCount;
        if (bits > kMaxReportBits) {
            fail(kindName(kind) + std::string(" report ") + num(globals_.reportId) +
                 " grows past " + num(kMaxReportBits / 8) + " bytes at byte " + num(item.offset));
        }
    }

    void finish(ReportDescriptor& result) {
        if (depth_ != 0) {
            fail("collection opened at byte " + num(openedAt_) + " is not closed");
            return;
        }
        if (collections_.empty()) {
            fail("no top-level collection");
            return;
        }
        if (reportIdsUsed_ && owners_.count(0) != 0) {
            fail("reports without an id beside reports with ids");
            return;
        }
        for (const auto& [key, bits] : reportBits_) {
            const auto [kind, id] = key;
            HidCaps& caps = collections_[owners_.at(id)].caps;
            std::uint16_t& length = kind == ReportKind::Input    ? caps.InputReportByteLength
                                    : kind == ReportKind::Output ? caps.OutputReportByteLength
                                                                 : caps.FeatureReportByteLength;
            const auto bytes = static_cast<std::uint16_t>((bits + 7) / 8 + 1);
            length = std::max(length, bytes);
        }
        if (reportIdsUsed_) {
            for (const auto& [id, collection] : owners_) {
                collections_[collection].reportIds.push_back(id);
            }
        }
        result.collections = std::move(collections_);
        result.reportIdsUsed = reportIdsUsed_;
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t nextOffset_ = 0;
    std::string failure_;
    Globals globals_;
    std::vector<Globals> stack_;
    std::optional<Item> firstUsage_;
    std::size_t depth_ = 0;
    std::size_t openedAt_ = 0;
    bool reportIdsUsed_ = false;
    std::vector<ReportCollection> collections_;
    // Bits of each report by kind and id, and the collection each id belongs to.
    std::map<std::pair<ReportKind, std::uint8_t>, std::uint64_t> reportBits_;
    std::map<std::uint8_t, std::size_t> owners_;
};

}  // namespace

ReportDescriptor parseReportDescriptor(std::span<const std::uint8_t> bytes) {
    return Parser(bytes).run();
}

}  // namespace zeltor
