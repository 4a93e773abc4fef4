#pragma once
// An in-memory metabase: keys by path, each with its properties as GetData hands them out. Built from
// MetaBase.xml on POSIX, or in code by tests and by the test COM server. Portable: no file or system calls.
//
// Paths are UTF-16, segments separated by '/' or '\'; empty segments are ignored, so "/LM/W3SVC/",
// "LM\W3SVC" and "/LM//W3SVC" name one key. Names compare without letter case and keep the spelling they
// were first given. The root key (path "" or "/") always exists. Nodes are never removed, so a node id
// stays valid for the life of the model.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qv {

struct MetabaseProperty {
    std::uint32_t identifier = 0;
    std::uint32_t attributes = 0; // METADATA_INHERIT (1) makes it visible to the keys below
    std::uint32_t userType = 0;
    std::uint32_t dataType = 0;
    // The data as GetData copies it: text as UTF-16 in machine order with its terminator (two for
    // MULTISZ), DWORD as four bytes in machine order, BINARY as is.
    std::vector<unsigned char> bytes;

    // STRING_METADATA (or EXPANDSZ / MULTISZ when dataType says so; for MULTISZ give the items joined by
    // zero units, the final double terminator is added).
    static MetabaseProperty Text(std::uint32_t identifier, std::uint32_t userType, std::u16string_view text,
                                 std::uint32_t attributes, std::uint32_t dataType = 2);
    static MetabaseProperty Dword(std::uint32_t identifier, std::uint32_t userType, std::uint32_t value,
                                  std::uint32_t attributes);
    static MetabaseProperty Binary(std::uint32_t identifier, std::uint32_t userType,
                                   std::vector<unsigned char> bytes, std::uint32_t attributes);
};

class MetabaseModel {
public:
    using NodeId = std::size_t;
    static constexpr NodeId kRoot = 0;
    // Readers of outside files refuse keys past these: the suite addresses a key through buffers of 260
    // UTF-16 units, so a longer path names nothing it could reach, and no real metabase nests this deep.
    static constexpr std::size_t kMaxPathUnits = 259;
    static constexpr std::size_t kMaxDepth = 64;

    MetabaseModel();

    // Creates the key and every missing ancestor (those come first in their parents' child lists); sets the
    // key type when one is given. Gives the key's node.
    NodeId AddKey(std::u16string_view path, std::u16string_view keyType = {});
    // Adds the property to the key (created when missing), replacing one of the same identifier.
    void SetProperty(std::u16string_view path, MetabaseProperty property);
    // The same on a key already had: no path walked, the identifier found without a scan.
    void SetProperty(NodeId node, MetabaseProperty property);
    // Room for count more properties on the key, so that a reader that knows how many come makes its list
    // once.
    void ReserveProperties(NodeId node, std::size_t count);
    void SetText(std::u16string_view path, std::uint32_t identifier, std::uint32_t userType,
                 std::u16string_view text, std::uint32_t attributes);
    void SetDword(std::u16string_view path, std::uint32_t identifier, std::uint32_t userType,
                  std::uint32_t value, std::uint32_t attributes);

    // The node of path below from (the root by default), or none when a key of the path is missing.
    std::optional<NodeId> Find(std::u16string_view path, NodeId from = kRoot) const;
    std::optional<NodeId> Parent(NodeId node) const;
    const std::u16string& Name(NodeId node) const;
    const std::u16string& KeyType(NodeId node) const;
    // The children in the order they were added.
    std::size_t ChildCount(NodeId node) const;
    NodeId Child(NodeId node, std::size_t index) const;
    // The property stored on this very key, or nullptr.
    const MetabaseProperty* FindProperty(NodeId node, std::uint32_t identifier) const;
    const std::vector<MetabaseProperty>& Properties(NodeId node) const;
    std::size_t NodeCount() const { return m_nodes.size(); }

    // Folds a name for comparison: ASCII and Latin-1 letters without case.
    static std::u16string FoldName(std::u16string_view name);
    // The number of segments of a path (empty ones do not count); it stops counting past limit.
    static std::size_t Depth(std::u16string_view path, std::size_t limit = SIZE_MAX);

private:
    struct Node {
        std::u16string name;
        std::u16string keyType;
        std::optional<NodeId> parent;
        std::vector<NodeId> children;
        std::unordered_map<std::u16string, NodeId> childByFoldedName;
        // In the order they were first set; replacing one keeps its place.
        std::vector<MetabaseProperty> properties;
        // Its properties are in m_propertyIndex: it has more than a few.
        bool indexed = false;
    };
    // A key with up to this many properties is scanned; past it, its properties are indexed.
    static constexpr std::size_t kIndexFrom = 8;
    struct PropertyKey {
        NodeId node;
        std::uint32_t identifier;
        bool operator==(const PropertyKey&) const = default;
    };
    struct PropertyKeyHash {
        std::size_t operator()(const PropertyKey& key) const noexcept {
            return std::hash<std::uint64_t>()((static_cast<std::uint64_t>(key.node) << 32) ^ key.identifier);
        }
    };

    std::vector<Node> m_nodes;
    // (key, identifier) -> place in the key's properties, for the keys that have many.
    std::unordered_map<PropertyKey, std::size_t, PropertyKeyHash> m_propertyIndex;
};

} // namespace qv
