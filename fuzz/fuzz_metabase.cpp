// MetaBase.xml: reading the same bytes twice gives the same answer and the same keys; a refusal names the
// file; every key read is found again by its own path and lies within the depth a reader allows.
#include "FuzzCheck.h"
#include "webserver/MetabaseModel.h"
#include "webserver/file/MetabaseFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using qv::MetabaseModel;

bool SameKeys(const MetabaseModel& a, const MetabaseModel& b) {
    if (a.NodeCount() != b.NodeCount())
        return false;
    for (MetabaseModel::NodeId node = 0; node < a.NodeCount(); ++node) {
        if (a.Name(node) != b.Name(node) || a.KeyType(node) != b.KeyType(node) ||
            a.ChildCount(node) != b.ChildCount(node) || a.Properties(node).size() != b.Properties(node).size())
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
void CheckKeys(const MetabaseModel& model) {
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    MetabaseModel first;
    MetabaseModel second;
    std::string firstError = "left over";
    std::string secondError;
    const bool read = qv::MetabaseFile::Parse(text, "MetaBase.xml", first, &firstError);
    QV_FUZZ_CHECK(read == qv::MetabaseFile::Parse(text, "MetaBase.xml", second, &secondError),
                  "two reads disagree");
    QV_FUZZ_CHECK(firstError == secondError, "two reads give different messages");
    QV_FUZZ_CHECK(read == firstError.empty(), "a refusal without a message, or a message without one");
    if (!read) {
        QV_FUZZ_CHECK(firstError.rfind("MetaBase.xml:", 0) == 0, "a message that does not name the file");
        return 0;
    }
    QV_FUZZ_CHECK(SameKeys(first, second), "two reads give different keys");
    CheckKeys(first);
    return 0;
}
