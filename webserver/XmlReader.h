#pragma once
// A small XML reader for server configuration files: UTF-8 (with or without a byte order mark), elements,
// attributes, the five named entities and character references, comments, CDATA and processing
// instructions. A DOCTYPE is refused, so no entity of the file's own can grow the document. The same code
// reads on every system, so a file gives the same tree and the same messages everywhere.
#include "XmlElement.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qv {

struct XmlError {
    std::size_t line = 0; // from 1; columns count characters
    std::size_t column = 0;
    std::string what;
};

class XmlReader {
public:
    // Whether an attribute of an element goes into the tree; one left out is never copied (secrets).
    using AttributeFilter = std::function<bool(std::string_view element, std::string_view attribute)>;

    // Whether a child element of parent goes into the tree; the elements inside one left out are left out
    // too, without asking. The whole document is read and checked all the same.
    using ElementFilter = std::function<bool(std::string_view parent, std::string_view element)>;

    // The document's root element, or none with the first error found. Running out of memory is an error
    // too, at line 1, column 1.
    static std::optional<XmlElement> Parse(std::string_view text, XmlError* error,
                                           const AttributeFilter& keep = {},
                                           const ElementFilter& keepElement = {});

    // Deeper nesting is refused rather than followed.
    static constexpr std::size_t kMaxDepth = 256;
};

} // namespace qv
