#include "XmlReader.h"

#include "platform/Utf8.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <new>
#include <unordered_set>

namespace qv {

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool IsNameStart(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || u >= 0x80;
}

bool IsNameChar(char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

class Parser {
public:
    Parser(std::string_view text, const XmlReader::AttributeFilter& keep,
           const XmlReader::ElementFilter& keepElement)
        : m_text(text), m_keep(keep), m_keepElement(keepElement) {}

    std::optional<XmlElement> Run(XmlError* error) {
        XmlElement root;
        const bool parsed = Document(root);
        if (error)
            *error = parsed ? XmlError{} : m_error;
        if (!parsed)
            return std::nullopt;
        return root;
    }

private:
    bool Document(XmlElement& root) {
        if (m_text.starts_with("\xFF\xFE") || m_text.starts_with("\xFE\xFF"))
            return Fail(0, "the file is UTF-16; it is read as UTF-8 only");
        if (m_text.starts_with("\xEF\xBB\xBF"))
            m_pos = m_cursor = 3;
        if (!Misc())
            return false;
        if (m_pos >= m_text.size())
            return Fail(m_pos, "no root element");
        if (m_text[m_pos] != '<')
            return Fail(m_pos, "text before the root element");
        if (!Tree(root) || !Misc())
            return false;
        if (m_pos < m_text.size())
            return Fail(m_pos, "content after the root element");
        return true;
    }

    // White space, comments and processing instructions before and after the root element.
    bool Misc() {
        for (;;) {
            while (m_pos < m_text.size() && IsSpace(m_text[m_pos]))
                ++m_pos;
            if (Starts("<!--")) {
                if (!SkipPast(4, "-->", "the comment is not closed"))
                    return false;
            } else if (Starts("<?")) {
                if (!SkipPast(2, "?>", "the processing instruction is not closed"))
                    return false;
            } else if (Starts("<!")) {
                return Fail(m_pos, "a DOCTYPE or declaration is not read in this file");
            } else {
                return true;
            }
        }
    }

    // The root element and everything inside it, without recursion: the open elements are a stack. An
    // element left out is read into a scratch element of its own depth, and so is everything inside it.
    bool Tree(XmlElement& root) {
        bool empty = false;
        if (!StartTag(root, true, &empty))
            return false;
        std::vector<XmlElement*> open;
        std::deque<XmlElement> skipped;
        std::size_t keptDepth = 1;
        if (!empty)
            open.push_back(&root);
        while (!open.empty()) {
            const std::size_t next = m_text.find('<', m_pos);
            if (next == std::string_view::npos)
                return Fail(m_text.size(), "the file ends inside <" + open.back()->name + "> of line " +
                                               std::to_string(open.back()->line));
            m_pos = next;
            if (Starts("</")) {
                if (!EndTag(*open.back()))
                    return false;
                if (open.size() > keptDepth) {
                    skipped.pop_back();
                } else {
                    // A list grown by doubling keeps up to half of it unused.
                    open.back()->children.shrink_to_fit();
                    keptDepth = open.size() - 1;
                }
                open.pop_back();
            } else if (Starts("<!--")) {
                if (!SkipPast(4, "-->", "the comment is not closed"))
                    return false;
            } else if (Starts("<![CDATA[")) {
                if (!SkipPast(9, "]]>", "the CDATA section is not closed"))
                    return false;
            } else if (Starts("<?")) {
                if (!SkipPast(2, "?>", "the processing instruction is not closed"))
                    return false;
            } else if (Starts("<!")) {
                return Fail(m_pos, "a declaration is not allowed inside an element");
            } else {
                if (open.size() >= XmlReader::kMaxDepth)
                    return Fail(m_pos, "elements are nested too deeply");
                // Only the innermost open element gains children, so the pointers on the stack stay valid.
                const bool keep = open.size() == keptDepth && KeepElement(open.back()->name);
                XmlElement& child = keep ? open.back()->children.emplace_back() : skipped.emplace_back();
                if (!StartTag(child, keep, &empty))
                    return false;
                if (keep && !empty)
                    keptDepth = open.size() + 1;
                if (!keep && empty)
                    skipped.pop_back();
                if (!empty)
                    open.push_back(&child);
            }
        }
        return true;
    }

    bool KeepElement(std::string_view parent) const {
        if (!m_keepElement)
            return true;
        const std::size_t start = m_pos + 1;
        std::size_t end = start;
        while (end < m_text.size() && IsNameChar(m_text[end]))
            ++end;
        return m_keepElement(parent, m_text.substr(start, end - start));
    }

    // An element left out keeps only its name and place, for the messages about its end.
    bool StartTag(XmlElement& element, bool keep, bool* empty) {
        Locate(m_pos, &element.line, &element.column);
        ++m_pos;
        if (!Name(&element.name))
            return Fail(m_pos, "an element name was expected");
        m_seen.clear();
        for (;;) {
            const std::size_t before = m_pos;
            while (m_pos < m_text.size() && IsSpace(m_text[m_pos]))
                ++m_pos;
            if (Starts("/>") || Starts(">")) {
                *empty = m_text[m_pos] == '/';
                m_pos += *empty ? 2 : 1;
                return true;
            }
            if (m_pos >= m_text.size())
                return Fail(m_pos, "the file ends inside the tag <" + element.name + ">");
            if (m_pos == before)
                return Fail(m_pos, "white space was expected in <" + element.name + ">");
            const std::size_t start = m_pos;
            std::string name;
            if (!Name(&name))
                return Fail(m_pos, "an attribute name was expected in <" + element.name + ">");
            while (m_pos < m_text.size() && IsSpace(m_text[m_pos]))
                ++m_pos;
            if (!Starts("="))
                return Fail(m_pos, "'=' was expected after " + name);
            ++m_pos;
            while (m_pos < m_text.size() && IsSpace(m_text[m_pos]))
                ++m_pos;
            std::string value;
            if (!AttributeValue(&value))
                return false;
            // Hashed: an element may come with any number of attributes.
            if (!m_seen.insert(m_text.substr(start, name.size())).second)
                return Fail(start, name + " appears twice in <" + element.name + ">");
            if (keep && (!m_keep || m_keep(element.name, name))) {
                element.attributes.emplace_back(std::move(name), std::move(value));
            } else {
                std::fill(value.begin(), value.end(), '\0');
            }
        }
    }

    bool EndTag(const XmlElement& element) {
        const std::size_t start = m_pos;
        m_pos += 2;
        std::string name;
        if (!Name(&name))
            return Fail(m_pos, "an element name was expected after </");
        while (m_pos < m_text.size() && IsSpace(m_text[m_pos]))
            ++m_pos;
        if (!Starts(">"))
            return Fail(m_pos, "'>' was expected to end </" + name);
        ++m_pos;
        if (name != element.name)
            return Fail(start, "</" + name + "> where </" + element.name + "> of line " +
                                   std::to_string(element.line) + " was expected");
        return true;
    }

    bool AttributeValue(std::string* value) {
        if (!Starts("\"") && !Starts("'"))
            return Fail(m_pos, "a quoted value was expected");
        const std::size_t start = m_pos;
        const char quote = m_text[m_pos++];
        while (m_pos < m_text.size() && m_text[m_pos] != quote) {
            const char c = m_text[m_pos];
            if (c == '<')
                return Fail(m_pos, "'<' is not allowed in an attribute value");
            if (c == '&') {
                if (!Reference(value))
                    return false;
                continue;
            }
            if (c == '\r' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '\n')
                ++m_pos; // one line break, one space
            else if (static_cast<unsigned char>(c) < 0x20 && !IsSpace(c))
                return Fail(m_pos, "a control character is not allowed in an attribute value");
            *value += IsSpace(c) ? ' ' : c;
            ++m_pos;
        }
        if (m_pos >= m_text.size())
            return Fail(start, "the attribute value is not closed");
        ++m_pos;
        return true;
    }

    // "&amp;", "&#65;", "&#x41;" at m_pos.
    bool Reference(std::string* out) {
        const std::size_t start = m_pos;
        const std::size_t semicolon = m_text.find(';', start);
        if (semicolon == std::string_view::npos || semicolon - start > 12)
            return Fail(start, "'&' starts no entity");
        const std::string_view name = m_text.substr(start + 1, semicolon - start - 1);
        static constexpr std::pair<std::string_view, char> kNamed[] = {
            {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
        for (const auto& [entity, character] : kNamed) {
            if (name == entity) {
                *out += character;
                m_pos = semicolon + 1;
                return true;
            }
        }
        if (name.size() < 2 || name[0] != '#')
            return Fail(start, "unknown entity &" + std::string(name) + ";");
        const bool hex = name[1] == 'x';
        const std::string_view digits = name.substr(hex ? 2 : 1);
        std::uint32_t code = 0;
        for (const char c : digits) {
            int digit = -1;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (hex && c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            else if (hex && c >= 'A' && c <= 'F')
                digit = c - 'A' + 10;
            if (digit < 0)
                return Fail(start, "&" + std::string(name) + "; is no character reference");
            code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
            if (code > 0x10FFFF)
                break;
        }
        const bool allowed = code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code < 0xD800) ||
                             (code >= 0xE000 && code <= 0x10FFFF && code != 0xFFFE && code != 0xFFFF);
        if (digits.empty() || !allowed)
            return Fail(start, "&" + std::string(name) + "; is no character reference");
        Utf8::Append(*out, code);
        m_pos = semicolon + 1;
        return true;
    }

    bool Name(std::string* name) {
        const std::size_t start = m_pos;
        if (m_pos >= m_text.size() || !IsNameStart(m_text[m_pos]))
            return false;
        while (m_pos < m_text.size() && IsNameChar(m_text[m_pos]))
            ++m_pos;
        *name = std::string(m_text.substr(start, m_pos - start));
        return true;
    }

    bool SkipPast(std::size_t openLength, std::string_view end, const char* what) {
        const std::size_t found = m_text.find(end, m_pos + openLength);
        if (found == std::string_view::npos)
            return Fail(m_pos, what);
        m_pos = found + end.size();
        return true;
    }

    bool Starts(std::string_view what) const {
        return m_text.substr(std::min(m_pos, m_text.size())).starts_with(what);
    }

    // Line and column of an offset; offsets are asked mostly in increasing order, so the count goes on from
    // the last one.
    void Locate(std::size_t offset, std::size_t* line, std::size_t* column) {
        offset = std::min(offset, m_text.size());
        if (offset < m_cursor) {
            m_cursor = m_text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
            m_line = m_column = 1;
        }
        for (; m_cursor < offset; ++m_cursor) {
            const auto c = static_cast<unsigned char>(m_text[m_cursor]);
            if (c == '\n') {
                ++m_line;
                m_column = 1;
            } else if ((c & 0xC0) != 0x80) {
                ++m_column;
            }
        }
        *line = m_line;
        *column = m_column;
    }

    bool Fail(std::size_t offset, std::string what) {
        Locate(offset, &m_error.line, &m_error.column);
        m_error.what = std::move(what);
        return false;
    }

    std::string_view m_text;
    const XmlReader::AttributeFilter& m_keep;
    const XmlReader::ElementFilter& m_keepElement;
    // The attribute names of the current start tag, as views of the text.
    std::unordered_set<std::string_view> m_seen;
    std::size_t m_pos = 0;
    std::size_t m_cursor = 0;
    std::size_t m_line = 1;
    std::size_t m_column = 1;
    XmlError m_error;
};

} // namespace

std::optional<XmlElement> XmlReader::Parse(std::string_view text, XmlError* error,
                                           const AttributeFilter& keep, const ElementFilter& keepElement) {
    // A document too large for the memory there is counts as unreadable; what was read so far is dropped.
    try {
        return Parser(text, keep, keepElement).Run(error);
    } catch (const std::bad_alloc&) {
        if (error) {
            error->line = error->column = 1;
            try {
                error->what = "not enough memory to read the file";
            } catch (const std::bad_alloc&) {
                error->what.clear();
            }
        }
        return std::nullopt;
    }
}

} // namespace qv
