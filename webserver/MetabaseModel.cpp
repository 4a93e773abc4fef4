#include "MetabaseModel.h"

#include <algorithm>
#include <cstring>

namespace qv {

namespace {

// The segments of a path; '/' and '\' both separate, empty segments are dropped.
std::vector<std::u16string_view> SplitPath(std::u16string_view path) {
    std::vector<std::u16string_view> segments;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == u'/' || path[i] == u'\\') {
            if (i > start)
                segments.push_back(path.substr(start, i - start));
            start = i + 1;
        }
    }
    return segments;
}

void AppendUnits(std::vector<unsigned char>& bytes, std::u16string_view text) {
    const std::size_t offset = bytes.size();
    bytes.resize(offset + text.size() * sizeof(char16_t));
    if (!text.empty())
        std::memcpy(bytes.data() + offset, text.data(), text.size() * sizeof(char16_t));
}

} // namespace

MetabaseProperty MetabaseProperty::Text(std::uint32_t identifier, std::uint32_t userType,
                                        std::u16string_view text, std::uint32_t attributes,
                                        std::uint32_t dataType) {
    MetabaseProperty property{identifier, attributes, userType, dataType, {}};
    AppendUnits(property.bytes, text);
    AppendUnits(property.bytes, std::u16string_view(u"\0", 1));
    if (dataType == 5) // MULTISZ ends with an empty item
        AppendUnits(property.bytes, std::u16string_view(u"\0", 1));
    return property;
}

MetabaseProperty MetabaseProperty::Dword(std::uint32_t identifier, std::uint32_t userType,
                                         std::uint32_t value, std::uint32_t attributes) {
    MetabaseProperty property{identifier, attributes, userType, 1, std::vector<unsigned char>(sizeof value)};
    std::memcpy(property.bytes.data(), &value, sizeof value);
    return property;
}

MetabaseProperty MetabaseProperty::Binary(std::uint32_t identifier, std::uint32_t userType,
                                          std::vector<unsigned char> bytes, std::uint32_t attributes) {
    return MetabaseProperty{identifier, attributes, userType, 3, std::move(bytes)};
}

MetabaseModel::MetabaseModel() {
    m_nodes.emplace_back();
}

std::u16string MetabaseModel::FoldName(std::u16string_view name) {
    std::u16string folded(name);
    for (char16_t& c : folded) {
        // ASCII, and the Latin-1 letters (but not the multiplication sign).
        if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
            c = static_cast<char16_t>(c - 0x20);
    }
    return folded;
}

MetabaseModel::NodeId MetabaseModel::AddKey(std::u16string_view path, std::u16string_view keyType) {
    NodeId node = kRoot;
    for (std::u16string_view segment : SplitPath(path)) {
        std::u16string folded = FoldName(segment);
        auto found = m_nodes[node].childByFoldedName.find(folded);
        if (found != m_nodes[node].childByFoldedName.end()) {
            node = found->second;
            continue;
        }
        const NodeId child = m_nodes.size();
        Node created;
        created.name = std::u16string(segment);
        created.parent = node;
        m_nodes.push_back(std::move(created));
        m_nodes[node].children.push_back(child);
        m_nodes[node].childByFoldedName.emplace(std::move(folded), child);
        node = child;
    }
    if (!keyType.empty())
        m_nodes[node].keyType = std::u16string(keyType);
    return node;
}

std::size_t MetabaseModel::Depth(std::u16string_view path, std::size_t limit) {
    std::size_t depth = 0;
    bool inSegment = false;
    for (char16_t c : path) {
        const bool separator = c == u'/' || c == u'\\';
        if (!separator && !inSegment && ++depth > limit)
            return depth;
        inSegment = !separator;
    }
    return depth;
}

void MetabaseModel::SetProperty(std::u16string_view path, MetabaseProperty property) {
    SetProperty(AddKey(path), std::move(property));
}

void MetabaseModel::SetProperty(NodeId node, MetabaseProperty property) {
    Node& key = m_nodes.at(node);
    std::vector<MetabaseProperty>& properties = key.properties;
    if (key.indexed) {
        const auto [place, added] =
            m_propertyIndex.try_emplace(PropertyKey{node, property.identifier}, properties.size());
        if (added)
            properties.push_back(std::move(property));
        else
            properties[place->second] = std::move(property);
        return;
    }
    for (MetabaseProperty& existing : properties) {
        if (existing.identifier == property.identifier) {
            existing = std::move(property);
            return;
        }
    }
    properties.push_back(std::move(property));
    if (properties.size() > kIndexFrom) {
        for (std::size_t place = 0; place < properties.size(); ++place)
            m_propertyIndex.emplace(PropertyKey{node, properties[place].identifier}, place);
        key.indexed = true;
    }
}

void MetabaseModel::ReserveProperties(NodeId node, std::size_t count) {
    std::vector<MetabaseProperty>& properties = m_nodes.at(node).properties;
    const std::size_t needed = properties.size() + count;
    if (needed <= properties.capacity())
        return;
    // At least doubled, so that a key met again and again still grows in amortised constant time.
    properties.reserve(std::max(needed, properties.capacity() * 2));
}

void MetabaseModel::SetText(std::u16string_view path, std::uint32_t identifier, std::uint32_t userType,
                            std::u16string_view text, std::uint32_t attributes) {
    SetProperty(path, MetabaseProperty::Text(identifier, userType, text, attributes));
}

void MetabaseModel::SetDword(std::u16string_view path, std::uint32_t identifier, std::uint32_t userType,
                             std::uint32_t value, std::uint32_t attributes) {
    SetProperty(path, MetabaseProperty::Dword(identifier, userType, value, attributes));
}

std::optional<MetabaseModel::NodeId> MetabaseModel::Find(std::u16string_view path, NodeId from) const {
    if (from >= m_nodes.size())
        return std::nullopt;
    NodeId node = from;
    for (std::u16string_view segment : SplitPath(path)) {
        auto found = m_nodes[node].childByFoldedName.find(FoldName(segment));
        if (found == m_nodes[node].childByFoldedName.end())
            return std::nullopt;
        node = found->second;
    }
    return node;
}

std::optional<MetabaseModel::NodeId> MetabaseModel::Parent(NodeId node) const {
    return m_nodes.at(node).parent;
}

const std::u16string& MetabaseModel::Name(NodeId node) const {
    return m_nodes.at(node).name;
}

const std::u16string& MetabaseModel::KeyType(NodeId node) const {
    return m_nodes.at(node).keyType;
}

std::size_t MetabaseModel::ChildCount(NodeId node) const {
    return m_nodes.at(node).children.size();
}

MetabaseModel::NodeId MetabaseModel::Child(NodeId node, std::size_t index) const {
    return m_nodes.at(node).children.at(index);
}

const MetabaseProperty* MetabaseModel::FindProperty(NodeId node, std::uint32_t identifier) const {
    const Node& key = m_nodes.at(node);
    if (key.indexed) {
        const auto found = m_propertyIndex.find(PropertyKey{node, identifier});
        return found == m_propertyIndex.end() ? nullptr : &key.properties[found->second];
    }
    // A few properties: a scan of at most kIndexFrom.
    for (const MetabaseProperty& property : key.properties) {
        if (property.identifier == identifier)
            return &property;
    }
    return nullptr;
}

const std::vector<MetabaseProperty>& MetabaseModel::Properties(NodeId node) const {
    return m_nodes.at(node).properties;
}

} // namespace qv
