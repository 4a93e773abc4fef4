#include "manager/core/ListEditor.h"
#include "platform/TextCodec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace qv;

namespace {

using Rows = std::vector<std::string>;

ValueList ListOf(const Rows& items) {
    ValueList list;
    for (const std::string& item : items)
        AddListItem(list, item);
    return list;
}

// Narrow text as the system writes it: UTF-8 here, the code page under Windows.
std::string Narrow(std::u16string_view text) {
    return TextCodec::FromUtf16(text);
}

} // namespace

TEST(ListEditor, ButtonsFollowTheSelectionAndRowCount) {
    using B = ListEditor::Buttons;
    EXPECT_EQ(ListEditor::ButtonsFor(std::nullopt, 3), B{});
    EXPECT_EQ(ListEditor::ButtonsFor(3, 3), B{});
    EXPECT_EQ(ListEditor::ButtonsFor(0, 3), (B{true, true, false, true}));
    EXPECT_EQ(ListEditor::ButtonsFor(2, 3), (B{true, true, true, false}));
    EXPECT_EQ(ListEditor::ButtonsFor(0, 1), (B{true, true, false, false}));
}

TEST(ListEditor, AddChecksEveryRowIgnoringCase) {
    const std::string umlautUpper = Narrow(u"*/Bilder/\u00DCber*");
    const std::string umlautLower = Narrow(u"*/bilder/\u00FCber*");
    struct Case {
        const char* what;
        Rows rows;
        std::string text;
        bool appended;
    };
    const Case cases[] = {
        {"other case of a row", {"htm", "html"}, "HTM", false},
        {"new text", {"htm"}, "asp", true},
        {"non-ASCII letter in the other case", {umlautUpper}, umlautLower, false},
        {"different non-ASCII letter", {Narrow(u"\u00E4")}, Narrow(u"\u00F6"), true},
        {"an empty row from the normaliser", {}, "", true},
    };
    for (const Case& c : cases) {
        ListEditor editor(ListOf(c.rows));
        ASSERT_FALSE(editor.Changed());
        EXPECT_EQ(editor.Add(c.text), c.appended) << c.what;
        EXPECT_TRUE(editor.Changed()) << c.what;
        EXPECT_EQ(editor.Rows().size(), c.rows.size() + (c.appended ? 1 : 0)) << c.what;
        if (c.appended) {
            EXPECT_EQ(editor.Selected(), editor.Rows().size() - 1) << c.what;
        }
    }
    // The duplicate check never changes what is stored.
    ListEditor editor(ValueList{});
    editor.Add(umlautUpper);
    EXPECT_EQ(editor.Rows(), Rows{umlautUpper});
}

// In code page 932 katakana A is 83 41 and 83 61 another character: folding bytes would merge them.
TEST(ListEditor, CaseNeverFoldsPartOfACharacter) {
    const std::u16string a = u"\u30A2.gif", other = u"\u30C2.gif";
    if (TextCodec::ToUtf16(Narrow(a)) != a || TextCodec::ToUtf16(Narrow(other)) != other)
        GTEST_SKIP() << "the code page has no katakana";
    EXPECT_FALSE(ListEditor::SameIgnoringCase(Narrow(a), Narrow(other)));
    EXPECT_TRUE(ListEditor::SameIgnoringCase(Narrow(a), Narrow(u"\u30A2.GIF")));
    EXPECT_EQ(ListEditor::NormaliseExtension(Narrow(u" .\u30A2.GIF")), Narrow(a));
}

TEST(ListEditor, NormaliseExtension) {
    const std::pair<std::string, std::string> cases[] = {
        {" .HTML ", "html"}, {"\t..Asp\r\n", "asp"}, {" . ", ""}, {"", ""}, {"a.B", "a.b"}, {"..x.", "x."},
    };
    for (const auto& [typed, expected] : cases)
        EXPECT_EQ(ListEditor::NormaliseExtension(typed), expected) << typed;
    EXPECT_EQ(ListEditor::NormaliseExtension(Narrow(u" .\u00C4BC")), Narrow(u"\u00E4bc"));
}

TEST(ListEditor, RemoveEditAndMovesFollowTheSelection) {
    struct Case {
        const char* what;
        Rows rows;
        std::size_t selected;
        char action; // Remove, empty Edit, Up, Down
        Rows after;
        ListEditor::Row selectedAfter;
        bool changed;
    };
    const Case cases[] = {
        {"middle row: the next one", {"a", "b", "c"}, 1, 'R', {"a", "c"}, 1, true},
        {"last row: the one above", {"a", "b", "c"}, 2, 'R', {"a", "b"}, 1, true},
        {"only row: none", {"a"}, 0, 'R', {}, std::nullopt, true},
        {"empty edit removes", {"a", "b"}, 0, 'E', {"b"}, 0, true},
        {"empty edit of the only row", {"a"}, 0, 'E', {}, std::nullopt, true},
        {"up on the first row is disabled", {"a", "b", "c"}, 0, 'U', {"a", "b", "c"}, 0, false},
        {"down on the last row is disabled", {"a", "b", "c"}, 2, 'D', {"a", "b", "c"}, 2, false},
        {"down moves the text", {"a", "b", "c"}, 0, 'D', {"b", "a", "c"}, 1, true},
        {"up moves the text", {"a", "b", "c"}, 2, 'U', {"a", "c", "b"}, 1, true},
    };
    for (const Case& c : cases) {
        ListEditor editor(ListOf(c.rows));
        editor.Select(c.selected);
        if (c.action == 'E')
            editor.Edit("");
        else if (c.action == 'U')
            editor.Up();
        else if (c.action == 'D')
            editor.Down();
        else
            editor.Remove();
        EXPECT_EQ(editor.Rows(), c.after) << c.what;
        EXPECT_EQ(editor.Selected(), c.selectedAfter) << c.what;
        EXPECT_EQ(editor.Changed(), c.changed) << c.what;
    }
    ListEditor none(ListOf({"a"}));
    none.Remove();
    none.Edit("x");
    EXPECT_FALSE(none.Changed());
    EXPECT_EQ(none.Enabled(), ListEditor::Buttons{});
}

TEST(ListEditor, CommitKeepsTheEarlierOfEqualRowsAndCutsLongTexts) {
    ValueList list;
    list.MutableItems() = {"htm", "", "html", "asp"};
    ListEditor editor(list); // empty items are not shown
    EXPECT_EQ(editor.Rows(), (Rows{"htm", "html", "asp"}));
    editor.Select(2);
    editor.Edit("htm"); // no duplicate check on Edit: two equal rows on screen
    EXPECT_EQ(editor.Rows(), (Rows{"htm", "html", "htm"}));
    editor.Add(""); // an empty row is dropped on commit
    editor.CommitTo(list);
    EXPECT_EQ(list.Items(), (Rows{"htm", "html"}));
    // 259 ASCII characters and a two-byte one: the cut keeps whole characters only.
    const std::string wide = Narrow(u"\u00E9");
    const std::string longText = std::string(259, 'x') + wide + "tail";
    ListEditor cut(ValueList{});
    cut.Add(longText);
    cut.CommitTo(list);
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.Items()[0], TextCodec::Cut(longText, kMaxText));
    EXPECT_LE(list.Items()[0].size(), kMaxText);
    EXPECT_EQ(TextCodec::FromUtf16(TextCodec::ToUtf16(list.Items()[0])), list.Items()[0]);
}
