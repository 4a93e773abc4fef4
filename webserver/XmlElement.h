#pragma once
// One element of a parsed XML document: its name, attributes in document order (values with entities
// replaced), child elements, and where it starts. Text, comments and processing instructions are not kept.
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qv {

struct XmlElement {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;
    std::vector<XmlElement> children;
    std::size_t line = 0; // of the '<', from 1
    std::size_t column = 0;

    // The attribute's value, or nullptr when the element has none of that name.
    const std::string* Attribute(std::string_view attributeName) const {
        for (const auto& [key, value] : attributes) {
            if (key == attributeName)
                return &value;
        }
        return nullptr;
    }
};

} // namespace qv
