// applicationHost.config: the input is the main file and, after each NUL byte, the next file a configSource
// asks for. The XML reader gives the same tree twice, places a refusal inside the text and every element on
// its own '<', nests no deeper than it allows, and leaves out exactly the elements a filter asks; the model
// is read the same twice, a refusal names a file with its line and column, every key is found again, and
// every text in the model is the value of an attribute other than a password, so no password reaches it.
#include "FuzzCheck.h"
#include "FuzzModelChecks.h"
#include "platform/TextCodec.h"
#include "webserver/ApplicationHostConfig.h"
#include "webserver/MetabaseModel.h"
#include "webserver/XmlReader.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

const std::string kDirectory = "C:\\Windows\\System32\\inetsrv\\config\\";
const std::string kName = kDirectory + "applicationHost.config";

bool SameTree(const qv::XmlElement& a, const qv::XmlElement& b) {
    if (a.name != b.name || a.attributes != b.attributes || a.line != b.line || a.column != b.column ||
        a.children.size() != b.children.size())
        return false;
    for (std::size_t i = 0; i < a.children.size(); ++i) {
        if (!SameTree(a.children[i], b.children[i]))
            return false;
    }
    return true;
}

// The byte offset of a line and a column counted in characters; none when the text has no such place.
std::optional<std::size_t> OffsetOf(std::string_view text, std::size_t line, std::size_t column) {
    std::size_t at = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    for (std::size_t l = 1; l < line; ++l) {
        const std::size_t newline = text.find('\n', at);
        if (newline == std::string_view::npos)
            return std::nullopt;
        at = newline + 1;
    }
    // A stray continuation byte belongs to the character before it, or to none at the start of a line.
    while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80)
        ++at;
    for (std::size_t c = 1; c < column; ++c) {
        if (at >= text.size() || text[at] == '\n')
            return std::nullopt;
        ++at;
        while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80)
            ++at;
    }
    return at;
}

// Every element starts at its own "<name", and none lies deeper than the reader allows.
void CheckElements(std::string_view text, const qv::XmlElement& element, std::size_t depth) {
    QV_FUZZ_CHECK(depth <= qv::XmlReader::kMaxDepth, "elements deeper than allowed");
    const std::optional<std::size_t> at = OffsetOf(text, element.line, element.column);
    QV_FUZZ_CHECK(at && text.substr(*at).starts_with("<" + element.name), "an element not at its place");
    for (const qv::XmlElement& child : element.children)
        CheckElements(text, child, depth + 1);
}

// An element filter of no meaning, so that every name may be left out somewhere.
bool Chosen(std::string_view parent, std::string_view element) {
    return (parent.size() + 2 * element.size()) % 3 != 0;
}

// The tree as the filter would leave it: the children it keeps, and inside them only theirs.
qv::XmlElement Pruned(const qv::XmlElement& element) {
    qv::XmlElement pruned = element;
    pruned.children.clear();
    for (const qv::XmlElement& child : element.children) {
        if (Chosen(element.name, child.name))
            pruned.children.push_back(Pruned(child));
    }
    return pruned;
}

bool HasPassword(const qv::XmlElement& element) {
    if (element.Attribute("password"))
        return true;
    for (const qv::XmlElement& child : element.children) {
        if (HasPassword(child))
            return true;
    }
    return false;
}

// The file's tree, checked; with values, the UTF-16 of every attribute value other than a password.
void ReadXml(std::string_view text, std::set<std::u16string>* values) {
    qv::XmlError error;
    const std::optional<qv::XmlElement> root = qv::XmlReader::Parse(text, &error);
    qv::XmlError again;
    const std::optional<qv::XmlElement> second = qv::XmlReader::Parse(text, &again);
    QV_FUZZ_CHECK(root.has_value() == second.has_value(), "two XML reads disagree");
    if (!root) {
        // Elements left out are read all the same: the same error.
        qv::XmlError filtered;
        QV_FUZZ_CHECK(!qv::XmlReader::Parse(text, &filtered, {}, Chosen) && filtered.line == error.line &&
                          filtered.column == error.column && filtered.what == error.what,
                      "a refusal that depends on the elements kept");
        QV_FUZZ_CHECK(error.line == again.line && error.column == again.column && error.what == again.what,
                      "two XML refusals differ");
        QV_FUZZ_CHECK(!error.what.empty(), "an XML refusal without a message");
        // A refusal at the end of the text is one column past its last character.
        QV_FUZZ_CHECK(OffsetOf(std::string(text) + " ", error.line, error.column).has_value(),
                      "an XML refusal placed outside the text");
        return;
    }
    QV_FUZZ_CHECK(SameTree(*root, *second), "two XML reads give different trees");
    CheckElements(text, *root, 1);
    const std::optional<qv::XmlElement> chosen = qv::XmlReader::Parse(text, nullptr, {}, Chosen);
    QV_FUZZ_CHECK(chosen && SameTree(*chosen, Pruned(*root)), "elements left out otherwise than asked");

    const std::optional<qv::XmlElement> filtered = qv::XmlReader::Parse(
        text, nullptr, [](std::string_view, std::string_view attribute) { return attribute != "password"; });
    QV_FUZZ_CHECK(filtered && !HasPassword(*filtered), "a filtered attribute kept");
    if (!values)
        return;
    std::vector<const qv::XmlElement*> pending{&*filtered};
    while (!pending.empty()) {
        const qv::XmlElement* element = pending.back();
        pending.pop_back();
        for (const auto& [name, value] : element->attributes)
            values->insert(qv::TextCodec::Utf8ToUtf16(value));
        for (const qv::XmlElement& child : element->children)
            pending.push_back(&child);
    }
}

std::u16string TextOf(const qv::MetabaseProperty& property) {
    std::u16string text(property.bytes.size() / 2, u'\0');
    std::memcpy(text.data(), property.bytes.data(), text.size() * 2);
    while (!text.empty() && text.back() == u'\0')
        text.pop_back();
    return text;
}

struct Files {
    std::vector<std::string_view> parts; // the main file first
    std::size_t served = 0;
};

bool ReadModel(std::string_view text, Files& files, qv::MetabaseModel& model, std::string* error) {
    files.served = 0;
    const qv::ApplicationHostConfig::FileSource source = [&files](const std::string& path) {
        // A configSource stays beside the main file.
        QV_FUZZ_CHECK(path.rfind(kDirectory, 0) == 0 && path.find("..") == std::string::npos &&
                          path.find(':', 2) == std::string::npos,
                      "a configSource read from outside the configuration's directory");
        ++files.served;
        return files.served < files.parts.size() ? std::optional<std::string>(files.parts[files.served])
                                                 : std::nullopt;
    };
    // A variable the test cannot know gives no path.
    const qv::ApplicationHostConfig::Expander expand = [](std::string_view value) {
        return value.find("%UNKNOWN%") == std::string_view::npos ? std::optional<std::string>(value)
                                                                 : std::nullopt;
    };
    return qv::ApplicationHostConfig::Parse(text, kName, source, model, error, expand);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    Files files;
    for (std::size_t start = 0;;) {
        const std::size_t nul = std::min(input.find('\0', start), input.size());
        files.parts.push_back(input.substr(start, nul - start));
        if (nul == input.size())
            break;
        start = nul + 1;
    }
    std::set<std::u16string> values;
    for (const std::string_view part : files.parts)
        ReadXml(part, &values);

    // A refused file leaves the model as it was.
    qv::MetabaseModel first;
    qv::MetabaseModel second;
    first.AddKey(u"/Before");
    second.AddKey(u"/Before");
    std::string firstError = "left over";
    std::string secondError;
    const bool read = ReadModel(files.parts.front(), files, first, &firstError);
    QV_FUZZ_CHECK(read == ReadModel(files.parts.front(), files, second, &secondError), "two reads disagree");
    QV_FUZZ_CHECK(firstError == secondError, "two reads give different messages");
    QV_FUZZ_CHECK(read == firstError.empty(), "a refusal without a message, or a message without one");
    if (!read) {
        // "file:line:column: what", the file being the main one or a configSource beside it.
        QV_FUZZ_CHECK(firstError.rfind(kDirectory, 0) == 0, "a message that does not name the file");
        const std::size_t colon = firstError.find(':', kDirectory.size());
        std::size_t line = 0, column = 0;
        const int fields = std::sscanf(firstError.c_str() + colon, ":%zu:%zu: ", &line, &column);
        QV_FUZZ_CHECK(fields == 2 && line >= 1 && column >= 1, "a message without line and column");
        QV_FUZZ_CHECK(first.NodeCount() == 2 && first.Find(u"/Before"), "a refused file changed the model");
        return 0;
    }
    QV_FUZZ_CHECK(qv::fuzz::SameKeys(first, second), "two reads give different keys");
    qv::fuzz::CheckKeys(first);
    for (qv::MetabaseModel::NodeId node = 0; node < first.NodeCount(); ++node) {
        for (const qv::MetabaseProperty& property : first.Properties(node)) {
            if (property.dataType == 2)
                QV_FUZZ_CHECK(values.count(TextOf(property)) == 1,
                              "a text in the model that is no attribute's value");
        }
    }
    return 0;
}
