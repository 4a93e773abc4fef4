#include "settings/ValueList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qv {
namespace {

using Items = std::vector<std::string>;

ValueList Parsed(const char* text) {
    ValueList list;
    EXPECT_TRUE(ParseList(list, text));
    return list;
}

TEST(ValueListTest, ParseSplitsAtEveryCommaAndSkipsOnlyEmptyPieces) {
    EXPECT_EQ(Parsed("htm,,html").Items(), (Items{"htm", "html"}));
    // Pieces are not trimmed.
    EXPECT_EQ(Parsed("htm, html").Items(), (Items{"htm", " html"}));
    EXPECT_EQ(Parsed(",a,,b,").Items(), (Items{"a", "b"}));
    EXPECT_TRUE(Parsed("").Empty());
    EXPECT_TRUE(Parsed(",,,").Empty());
    EXPECT_EQ(Parsed("asp,aspx,php,cfm").Items(), (Items{"asp", "aspx", "php", "cfm"}));

    // Parsing appends to what the list holds; no text changes nothing.
    ValueList list = Parsed("gif");
    EXPECT_TRUE(ParseList(list, nullptr));
    ParseList(list, "png,gif,jpg");
    EXPECT_EQ(list.Items(), (Items{"gif", "png", "jpg"}));
}

TEST(ValueListTest, DuplicatesAreRefusedByteForByte) {
    EXPECT_EQ(Parsed("htm,HTM").Items(), (Items{"htm", "HTM"}));
    EXPECT_EQ(Parsed("htm,htm").Items(), (Items{"htm"}));
    EXPECT_EQ(Parsed("a,b,a,c,b").Items(), (Items{"a", "b", "c"}));

    ValueList list;
    EXPECT_TRUE(AddListItem(list, "htm"));
    EXPECT_FALSE(AddListItem(list, "htm"));
    EXPECT_FALSE(AddListItem(list, ""));
    EXPECT_TRUE(AddListItem(list, "htm "));
    EXPECT_TRUE(AddListItem(list, "\xc3\xa4sp")); // "äsp"
    EXPECT_FALSE(AddListItem(list, "\xc3\xa4sp"));
    EXPECT_EQ(list.Items(), (Items{"htm", "htm ", "\xc3\xa4sp"}));
}

TEST(ValueListTest, LongItemsAreCutAt260AndCompareCut) {
    const std::string longText(300, 'x');
    ValueList list;
    EXPECT_TRUE(AddListItem(list, longText));
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.Items()[0], std::string(260, 'x'));
    // Same first 260 characters: the same item once cut.
    EXPECT_FALSE(AddListItem(list, std::string(270, 'x')));

    ParseList(list, (std::string(300, 'y') + ",z").c_str());
    EXPECT_EQ(list.Items(), (Items{std::string(260, 'x'), std::string(260, 'y'), "z"}));
}

TEST(ValueListTest, ItemsEndAtAZeroByte) {
    ValueList list;
    EXPECT_TRUE(AddListItem(list, std::string_view("gif\0png", 7)));
    EXPECT_FALSE(AddListItem(list, std::string_view("\0png", 4)));
    EXPECT_EQ(list.Items(), (Items{"gif"}));
}

TEST(ValueListTest, JoinUsesCommasWithoutSpacesAndRoundTrips) {
    EXPECT_EQ(JoinList(ValueList{}), "");
    EXPECT_EQ(JoinList(Parsed("htm")), "htm");
    EXPECT_EQ(JoinList(Parsed("*/images/*, *.gif,,*.jpg")), "*/images/*, *.gif,*.jpg");
    const ValueList list = Parsed("gif,jpg,png,bmp");
    EXPECT_EQ(Parsed(JoinList(list).c_str()), list);
}

TEST(ValueListTest, CopyReplacesTargetAndDropsDuplicatesOfSource) {
    ValueList source;
    source.MutableItems() = {"a", "b", "a", "", "c"}; // as an editor may leave it
    ValueList target = Parsed("x,y");
    EXPECT_EQ(CopyList(target, source), 3u);
    EXPECT_EQ(target.Items(), (Items{"a", "b", "c"}));

    EXPECT_EQ(CopyList(target, ValueList{}), 0u);
    EXPECT_TRUE(target.Empty());

    // Onto itself: the items stay.
    EXPECT_EQ(CopyList(source, source), 3u);
    EXPECT_EQ(source.Items(), (Items{"a", "b", "c"}));
    ClearList(source);
    EXPECT_TRUE(source.Empty());
}

TEST(ValueListTest, ManyPiecesKeepOrderAndDropDuplicates) {
    // A damaged registry value can hold far more than a handful of items.
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += std::to_string(i % 15000) + ",";
    const ValueList list = Parsed(text.c_str());
    ASSERT_EQ(list.Count(), 15000u);
    EXPECT_EQ(list.Items().front(), "0");
    EXPECT_EQ(list.Items()[1234], "1234");
    EXPECT_EQ(list.Items().back(), "14999");
}

} // namespace
} // namespace qv
