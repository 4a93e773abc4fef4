#pragma once
// Checks on a metabase model that any reader of a web server's configuration must pass: the same bytes give
// the same keys, and every key and property is found again the way the suite looks for it.
#include "FuzzCheck.h"
#include "webserver/MetabaseModel.h"

#include <cstddef>
#include <optional>
#include <string>

namespace qv::fuzz {

using qv::MetabaseModel;

inline bool SameKeys(const MetabaseModel& a, const MetabaseModel& b) {
    if (a.NodeCount() != b.NodeCount())
        return false;
    for (MetabaseModel::NodeId node = 0; node < a.NodeCount(); ++node) {
        if (a.Name(node) != b.Name(node) || a.KeyType(node) != b.KeyType(node) ||
            a.ChildCount(node) != b.ChildCount(node) ||
            a.Properties(node).size() != b.Properties(node).size())
            return false;
        for (std::size_t i = 0; i < a.Properties(node).size(); ++i) {
            const qv::MetabaseProperty& x = a.Properties(node)[i];
            const qv::MetabaseProperty& y = b.Properties(node)[i];
            if (x.identifier != y.identifier || x.attributes != y.attributes || x.userType != y.userType ||
                x.dataType != y.dataType || x.bytes != y.bytes)
                return false;
        }
    }
    return true;
}

// Every key is found again from the root by the path of its names, and every property by its identifier.
inline void CheckKeys(const MetabaseModel& model) {
    for (MetabaseModel::NodeId node = 1; node < model.NodeCount(); ++node) {
        std::u16string path;
        std::size_t depth = 0;
        for (std::optional<MetabaseModel::NodeId> at = node; at && *at != MetabaseModel::kRoot;
             at = model.Parent(*at)) {
            path = u"/" + model.Name(*at) + path;
            ++depth;
        }
        QV_FUZZ_CHECK(depth <= MetabaseModel::kMaxDepth, "a key deeper than allowed");
        QV_FUZZ_CHECK(model.Find(path) == node, "a key not found by its own path");
        for (const qv::MetabaseProperty& property : model.Properties(node))
            QV_FUZZ_CHECK(model.FindProperty(node, property.identifier) == &property,
                          "a property not found by its identifier");
    }
}

} // namespace qv::fuzz
