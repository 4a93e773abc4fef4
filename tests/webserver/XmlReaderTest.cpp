#include "webserver/XmlReader.h"
#include "AllocationBudget.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

namespace qv::test {
namespace {

// "line:column: what" of a document's first error, or "ok".
std::string Error(std::string_view text) {
    XmlError error;
    const bool parsed = XmlReader::Parse(text, &error).has_value();
    return parsed ? "ok"
                  : std::to_string(error.line) + ":" + std::to_string(error.column) + ": " + error.what;
}

TEST(XmlReader, ReadsElementsAttributesAndPositionsAndSkipsTheRest) {
    const std::string text =
        "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!-- a -->\n<root a='1' b = \"x &amp; &lt;y&gt; "
        "&quot;&apos; &#65;&#x42;&#xe9;\"\n  c=\"line\r\nbreak\ttab\">\n"
        "  text <![CDATA[ <not/> ]]> <?pi x?>\n"
        "  <caf\xC3\xA9 n=\"1\"/><second><third/></second>\n"
        "</root >\n<!-- after -->\n";
    XmlError error;
    const std::optional<XmlElement> root = XmlReader::Parse(text, &error);
    ASSERT_TRUE(root) << error.line << ":" << error.column << " " << error.what;
    EXPECT_EQ(root->name, "root");
    EXPECT_EQ(root->line, 3u);
    EXPECT_EQ(root->column, 1u);
    ASSERT_EQ(root->attributes.size(), 3u);
    EXPECT_EQ(*root->Attribute("b"), "x & <y> \"' AB\xC3\xA9");
    EXPECT_EQ(*root->Attribute("c"), "line break tab"); // line breaks and tabs read as one space each
    EXPECT_EQ(root->Attribute("d"), nullptr);
    ASSERT_EQ(root->children.size(), 2u);
    EXPECT_EQ(root->children[0].name, "caf\xC3\xA9");
    EXPECT_EQ(root->children[1].line, 7u);
    EXPECT_EQ(root->children[1].column, 16u); // characters, not bytes
    ASSERT_EQ(root->children[1].children.size(), 1u);
    EXPECT_EQ(root->children[1].children[0].name, "third");
}

TEST(XmlReader, MalformedDocumentsAreRefusedWithTheFirstErrorsLineAndColumn) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "1:1: no root element"},
        {"  \n <!-- only -->", "2:15: no root element"},
        {"text", "1:1: text before the root element"},
        {"\xFF\xFE<\0a\0/\0>\0", "1:1: the file is UTF-16; it is read as UTF-8 only"},
        {"<!DOCTYPE a [<!ENTITY e \"x\">]><a/>", "1:1: a DOCTYPE or declaration is not read in this file"},
        {"<a>\n<b>\n</a>", "3:1: </a> where </b> of line 2 was expected"},
        {"<a>\n  <b x=\"1\">", "2:12: the file ends inside <b> of line 2"},
        {"<a x=\"1\" x=\"2\"/>", "1:10: x appears twice in <a>"},
        {"<a x=\"1\"y=\"2\"/>", "1:9: white space was expected in <a>"},
        {"<a x=1/>", "1:6: a quoted value was expected"},
        {"<a x/>", "1:5: '=' was expected after x"},
        {"<a x=\"<\"/>", "1:7: '<' is not allowed in an attribute value"},
        {"<a x=\"1/>", "1:6: the attribute value is not closed"},
        {"<a x=\"&nbsp;\"/>", "1:7: unknown entity &nbsp;"},
        {"<a x=\"&#0;\"/>", "1:7: &#0; is no character reference"},
        {"<a x=\"&#xD800;\"/>", "1:7: &#xD800; is no character reference"},
        {"<a x=\"&#1114112;\"/>", "1:7: &#1114112; is no character reference"},
        {"<a x=\"& b\"/>", "1:7: '&' starts no entity"},
        {"<a x=\"\x01\"/>", "1:7: a control character is not allowed in an attribute value"},
        {"<a><!-- open", "1:4: the comment is not closed"},
        {"<a><![CDATA[ x", "1:4: the CDATA section is not closed"},
        {"<a><!ELEMENT a></a>", "1:4: a declaration is not allowed inside an element"},
        {"<a/><b/>", "1:5: content after the root element"},
        {"<1/>", "1:2: an element name was expected"},
        {"<a></ >", "1:6: an element name was expected after </"},
        {"<a></a x>", "1:8: '>' was expected to end </a"},
        {"<a b", "1:5: '=' was expected after b"},
        {"<a b=\"1\" ", "1:10: the file ends inside the tag <a>"},
        {"<a>\n\x80<b x/>", "2:5: '=' was expected after x"}, // a stray continuation byte is no character
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(Error(text), expected) << text;
}

TEST(XmlReader, NestingIsBoundedWithoutRecursionAndFilteredAttributesAreLeftOut) {
    std::string deep;
    for (std::size_t i = 0; i < XmlReader::kMaxDepth; ++i)
        deep += "<e>";
    EXPECT_EQ(Error(deep + "<e/>"),
              "1:" + std::to_string(3 * XmlReader::kMaxDepth + 1) + ": elements are nested too deeply");
    std::string closed = deep.substr(3);
    for (std::size_t i = 1; i < XmlReader::kMaxDepth; ++i)
        closed += "</e>";
    EXPECT_EQ(Error(closed), "ok");

    const auto keep = [](std::string_view element, std::string_view attribute) {
        return !(element == "user" && attribute == "password");
    };
    const std::optional<XmlElement> root =
        XmlReader::Parse("<r password=\"kept\"><user name=\"u\" password=\"secret\"/></r>", nullptr, keep);
    ASSERT_TRUE(root);
    EXPECT_NE(root->Attribute("password"), nullptr);
    ASSERT_EQ(root->children.size(), 1u);
    EXPECT_EQ(root->children[0].attributes.size(), 1u);
    EXPECT_EQ(root->children[0].Attribute("password"), nullptr);
}

// "name(children)" of a tree, for comparing whole trees at a glance.
std::string Shape(const XmlElement& element) {
    std::string shape = element.name;
    if (element.children.empty())
        return shape;
    shape += "(";
    for (const XmlElement& child : element.children)
        shape += Shape(child);
    return shape + ")";
}

TEST(XmlReader, ElementsLeftOutAreReadAndCheckedButNotKept) {
    struct Case {
        const char* text;
        std::vector<std::string> kept; // "parent>child"
        const char* expected;          // the tree's shape, or the error
    };
    const Case cases[] = {
        // Inside an element left out, nothing is kept, whatever its name.
        {"<r><a><b/><z/></a><z><a><b/></a></z><c/></r>", {"r>a", "a>b", "r>c"}, "r(a(b)c)"},
        {"<r><z/><z></z></r>", {}, "r"},
        // The errors of a part left out are those of the whole document.
        {"<r><z>\n<y></z></r>", {}, "2:4: </z> where </y> of line 2 was expected"},
        {"<r><z><y a=\"1\" a=\"2\"/></z></r>", {}, "1:16: a appears twice in <y>"},
        {"<r><z>", {}, "1:7: the file ends inside <z> of line 1"},
        {"<r><z a=\"&bad;\"/></r>", {}, "1:10: unknown entity &bad;"},
    };
    for (const Case& c : cases) {
        const auto keep = [&](std::string_view parent, std::string_view element) {
            const std::string pair = std::string(parent) + ">" + std::string(element);
            return std::find(c.kept.begin(), c.kept.end(), pair) != c.kept.end();
        };
        XmlError error;
        const std::optional<XmlElement> root = XmlReader::Parse(c.text, &error, {}, keep);
        const std::string got =
            root ? Shape(*root)
                 : std::to_string(error.line) + ":" + std::to_string(error.column) + ": " + error.what;
        EXPECT_EQ(got, c.expected) << c.text;
    }

    // Left out or not, nesting counts to the same bound.
    std::string deep;
    for (std::size_t i = 0; i <= XmlReader::kMaxDepth; ++i)
        deep += "<e>";
    XmlError error;
    EXPECT_FALSE(
        XmlReader::Parse(deep, &error, {}, [](std::string_view, std::string_view) { return false; }));
    EXPECT_EQ(error.what, "elements are nested too deeply");
}

TEST(XmlReader, AnElementOfVeryManyAttributesIsReadInOnePass) {
    std::string text = "<r";
    for (int i = 0; i < 100000; ++i)
        text += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
    const std::optional<XmlElement> root = XmlReader::Parse(text + "/>", nullptr);
    ASSERT_TRUE(root);
    EXPECT_EQ(root->attributes.size(), 100000u);
    EXPECT_EQ(*root->Attribute("a99999"), "99999");
    const std::size_t again = text.size() + 2;
    EXPECT_EQ(Error(text + " a500=\"\"/>"), "1:" + std::to_string(again) + ": a500 appears twice in <r>");
}

TEST(XmlReader, RunningOutOfMemoryIsAnErrorOfTheDocument) {
    std::string text = "<r>";
    for (int i = 0; i < 20000; ++i)
        text += "<element name=\"" + std::to_string(i) + "\"/>";
    text += "</r>";
    for (const std::size_t budget : {std::size_t{4096}, std::size_t{64} << 10, std::size_t{1} << 20}) {
        XmlError error;
        std::optional<XmlElement> root;
        {
            const AllocationBudget limit(budget);
            root = XmlReader::Parse(text, &error);
        }
        EXPECT_FALSE(root) << budget;
        EXPECT_EQ(std::to_string(error.line) + ":" + std::to_string(error.column) + ": " + error.what,
                  "1:1: not enough memory to read the file")
            << budget;
    }
    EXPECT_EQ(Error(text), "ok");
}

} // namespace
} // namespace qv::test
