#include "settings/RegValues.h"
#include "CleanRegistryTest.h"

#include <limits>
#include <string>
#include <vector>

namespace qv::test {
namespace {

using Items = std::vector<std::string>;
using namespace std::string_literals;
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::uint32_t kAll = ReadStored | WriteStored | UseTemplate;

ValueList Parsed(const std::string& text) {
    ValueList list;
    EXPECT_TRUE(ParseList(list, text.c_str()));
    return list;
}

TEST(ValueListTest, ParseSplitsAtEveryCommaAndRefusesDuplicatesByteForByte) {
    const std::string longX(300, 'x');
    const std::pair<std::string, Items> cases[] = {
        {"htm, html", {"htm", " html"}}, // pieces are not trimmed
        {",a,,b,", {"a", "b"}},
        {",,,", {}},
        {"htm,HTM,htm,a,HTM", {"htm", "HTM", "a"}},
        {longX + ",z," + longX.substr(0, 270), {std::string(260, 'x'), "z"}}, // compared once cut
    };
    for (const auto& [text, items] : cases)
        EXPECT_EQ(Parsed(text).Items(), items) << text.substr(0, 20);

    // Parsing appends to what the list holds; no text changes nothing. Items end at a zero byte.
    ValueList list = Parsed("gif");
    EXPECT_TRUE(ParseList(list, nullptr));
    ParseList(list, "png,gif");
    EXPECT_TRUE(AddListItem(list, std::string_view("bmp\0png", 7)));
    EXPECT_FALSE(AddListItem(list, std::string_view("\0png", 4)));
    EXPECT_EQ(list.Items(), (Items{"gif", "png", "bmp"}));
}

TEST(ValueListTest, CopyDropsEmptyAndDuplicateItemsAndKeepsASelfCopy) {
    ValueList source;
    source.MutableItems() = {"a", "b", "a", "", "c"}; // as an editor may leave it
    ValueList target = Parsed("x,y");
    EXPECT_EQ(CopyList(target, source), 3u);
    EXPECT_EQ(target.Items(), (Items{"a", "b", "c"}));
    EXPECT_EQ(CopyList(source, source), 3u);
    EXPECT_EQ(source.Items(), (Items{"a", "b", "c"}));
    EXPECT_EQ(CopyList(target, ValueList{}), 0u);
    EXPECT_TRUE(target.Empty());
}

class RegValuesTest : public CleanRegistryTest {
protected:
    void SetUp() override {
        CleanRegistryTest::SetUp();
        ASSERT_EQ(m_key.Create(kSitesKey, RegAccess::ReadWrite), kErrorSuccess);
    }
    void TearDown() override {
        m_key.Close();
        CleanRegistryTest::TearDown();
    }
    // What each helper reads from a value "V" of these bytes and type.
    std::int32_t Number(std::uint32_t type, const std::string& bytes) {
        Store(kSitesKey, "V", type, bytes);
        std::int32_t target = 1234;
        RegNumber(&m_key, "V", target, -99, ReadStored | UseTemplate);
        return target;
    }
    std::string Text(std::uint32_t type, const std::string& bytes) {
        Store(kSitesKey, "V", type, bytes);
        std::string target = "before";
        RegText(&m_key, "V", target, "template", ReadStored | UseTemplate);
        return target;
    }
    Items List(std::uint32_t type, const std::string& bytes) {
        Store(kSitesKey, "V", type, bytes);
        ValueList target = Parsed("old");
        RegList(&m_key, "V", target, ValueList{}, ReadStored | UseTemplate);
        return target.Items();
    }
    std::optional<std::string> Here(std::string_view name) { return Stored(kSitesKey, name); }

    RegistryKey m_key;
};

TEST_F(RegValuesTest, NumbersReadTheirBytesAsDecimalText) {
    EXPECT_EQ(Number(kRegSz, " \t-7x\0"s), -7);
    EXPECT_EQ(Number(kRegSz, "- 8\0"s), 0);
    // Out of 32-bit range: held at the limit instead of wrapping.
    EXPECT_EQ(Number(kRegSz, "99999999999\0"s), kMax);
    EXPECT_EQ(Number(kRegSz, "-99999999999\0"s), std::numeric_limits<std::int32_t>::min());
    // Any type: the bytes spell the number, usually 0.
    EXPECT_EQ(Number(kRegBinary, "42"), 42);
    EXPECT_EQ(Number(kRegDword, "\x07\0\0\0"s), 0);
    // 261 digits without a terminator still fit the buffer; more do not and count as not read.
    EXPECT_EQ(Number(kRegBinary, std::string(261, '1')), kMax);
    EXPECT_EQ(Number(kRegSz, std::string(300, '1') + '\0'), -99);
}

TEST_F(RegValuesTest, ModesFollowOneRule) {
    // A stored value stops everything: nothing is written back, even with WriteStored.
    StoreText(kSitesKey, "Logging", "12abc");
    std::int32_t target = 0;
    RegNumber(&m_key, "Logging", target, 5, kAll);
    EXPECT_EQ(target, 12);
    EXPECT_EQ(Here("Logging"), "12abc\0"s);

    // Missing with every mode: the template, written back as decimal REG_SZ with its terminator.
    RegNumber(&m_key, "LogThreshold", target, -5, kAll);
    EXPECT_EQ(target, -5);
    std::uint32_t type = 0;
    EXPECT_EQ(Stored(kSitesKey, "LogThreshold", &type), "-5\0"s);
    EXPECT_EQ(type, kRegSz);

    // With the template but without writing it takes the template alone.
    RegNumber(&m_key, "Dyn404", target, 9, ReadStored | UseTemplate);
    EXPECT_EQ(target, 9);
    EXPECT_FALSE(Here("Dyn404"));

    // The template alone touches no value; write alone writes the target as it is.
    RegNumber(&m_key, "Logging", target, 1, UseTemplate);
    EXPECT_EQ(target, 1);
    EXPECT_EQ(Here("Logging"), "12abc\0"s);
    target = 0;
    RegNumber(&m_key, "Logging", target, 1, WriteStored);
    EXPECT_EQ(Here("Logging"), "0\0"s);

    // Without a key only the template applies.
    RegNumber(nullptr, "Logging", target, 7, kAll);
    EXPECT_EQ(target, 7);
}

TEST_F(RegValuesTest, TextsUpTo260CharactersAreReadAndWrittenCut) {
    const std::string fits(260, 'd');
    EXPECT_EQ(Text(kRegSz, fits + '\0'), fits);
    // Binary data and texts without a terminator: never read past the data.
    EXPECT_EQ(Text(kRegBinary, "abc"), "abc");
    EXPECT_EQ(Text(kRegSz, fits), fits);
    // What does not fit counts as not read; every mode then writes the template over it.
    EXPECT_EQ(Text(kRegBinary, fits + "d"), "template");
    EXPECT_EQ(Text(kRegSz, std::string(5000, 'd') + '\0'), "template");
    std::string target;
    RegText(&m_key, "V", target, "errors", kAll);
    EXPECT_EQ(Here("V"), "errors\0"s);

    RegText(&m_key, "Directory", target, std::string(300, 'x'), UseTemplate | WriteStored);
    EXPECT_EQ(target, std::string(260, 'x'));
    EXPECT_EQ(Here("Directory"), std::string(260, 'x') + '\0');
}

TEST_F(RegValuesTest, ListsAreReadWholeOrTakeTheTemplateAndWriteItJoined) {
    // Read: the target is replaced; an empty stored list is a list, not a missing value.
    EXPECT_EQ(List(kRegSz, "\0"s), Items{});
    EXPECT_EQ(List(kRegBinary, "gif,png"), (Items{"gif", "png"}));
    EXPECT_EQ(List(kRegSz, "a,b\0c,d"s), (Items{"a", "b"}));
    // A large value is not limited to 261 bytes.
    std::string large;
    for (int i = 0; i < 5000; ++i)
        large += "ext" + std::to_string(i) + ",";
    const Items items = List(kRegSz, large + '\0');
    ASSERT_EQ(items.size(), 5000u);
    EXPECT_EQ(items.back(), "ext4999");

    ValueList templ;
    templ.MutableItems() = {"asp", "aspx", "asp", "php"};
    ValueList target = Parsed("old");
    RegList(&m_key, "DynExtList", target, templ, ReadStored);
    EXPECT_EQ(target.Items(), Items{"old"});
    RegList(&m_key, "DynExtList", target, templ, kAll);
    EXPECT_EQ(target.Items(), (Items{"asp", "aspx", "php"}));
    EXPECT_EQ(Here("DynExtList"), "asp,aspx,php\0"s);
    // An empty list is written as an empty text and read back empty, not as the template.
    RegList(&m_key, "ExtList", target, ValueList{}, UseTemplate | WriteStored);
    RegList(&m_key, "ExtList", target, templ, kAll);
    EXPECT_TRUE(target.Empty());
    EXPECT_EQ(Here("ExtList"), "\0"s);
}

} // namespace
} // namespace qv::test
