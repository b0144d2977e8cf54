#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "hid/report_descriptor.h"

namespace zeltor {

// A hidraw node carries every top-level collection of its device, where Windows shows each as
// an interface of its own. A node with one collection is named by its node path alone; a node
// with several gives each collection the node path with the suffix "#colNN" (from 01, as
// Windows numbers them), so that each can be probed, opened and removed like an interface.
struct HidrawCollectionPath {
    std::string node;
    // 0 for the node path alone, else the collection's number from 1.
    std::size_t collection = 0;
};

// The interface path of collection `collection` (from 1) of a node with `count` collections.
std::string hidrawCollectionPath(const std::string& node, std::size_t collection,
                                 std::size_t count);

// The node and collection a path names; nothing for a path this backend never gives out.
std::optional<HidrawCollectionPath> parseHidrawCollectionPath(const std::string& path);

// The collection of `descriptor` that `collection` (as parsed from a path) names: the only one
// for the node path alone, else the numbered one; null when there is no such collection.
const ReportCollection* namedCollection(const ReportDescriptor& descriptor, std::size_t collection);

}  // namespace zeltor
