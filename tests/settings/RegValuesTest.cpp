#include "settings/RegValues.h"
#include "CleanRegistryTest.h"

#include <limits>
#include <string>
#include <tuple>
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

TEST(ValueListTest, ParseSplitsAtEveryCommaAndCopyDropsEmptyAndDuplicateItems) {
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
    ValueList source;
    source.MutableItems() = {"a", "b", "a", "", "c"}; // as an editor may leave it
    EXPECT_EQ(CopyList(list, source), 3u);
    EXPECT_EQ(CopyList(source, source), 3u); // a copy onto itself keeps the items
    EXPECT_EQ(list.Items(), source.Items());
    EXPECT_EQ(source.Items(), (Items{"a", "b", "c"}));
    EXPECT_EQ(CopyList(list, ValueList{}), 0u);
    EXPECT_TRUE(list.Empty());
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
    template <typename T, typename Read, typename Templ>
    T From(Read read, std::uint32_t type, const std::string& bytes, T target, const Templ& templ) {
        Store(kSitesKey, "V", type, bytes);
        read(&m_key, "V", target, templ, ReadStored | UseTemplate);
        return target;
    }
    std::int32_t Number(std::uint32_t type, const std::string& bytes) {
        return From(RegNumber, type, bytes, 1234, -99);
    }
    std::string Text(std::uint32_t type, const std::string& bytes) {
        return From(RegText, type, bytes, std::string("before"), std::string("template"));
    }
    Items List(std::uint32_t type, const std::string& bytes) {
        return From(RegList, type, bytes, Parsed("old"), ValueList{}).Items();
    }
    std::optional<std::string> Here(std::string_view name) { return Stored(kSitesKey, name); }

    RegistryKey m_key;
};

TEST_F(RegValuesTest, NumbersReadTheirBytesAsDecimalTextAndTextsAreCutTo260) {
    EXPECT_EQ(Number(kRegSz, " \t-7x\0"s), -7);
    EXPECT_EQ(Number(kRegSz, "- 8\0"s), 0);
    EXPECT_EQ(Number(kRegSz, "99999999999\0"s), kMax); // held at the limit, not wrapped
    EXPECT_EQ(Number(kRegSz, "-99999999999\0"s), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(Number(kRegBinary, "42"), 42);
    EXPECT_EQ(Number(kRegDword, "\x07\0\0\0"s), 0); // any type: the bytes spell the number
    // 261 digits without a terminator still fit the buffer; more do not and count as not read.
    EXPECT_EQ(Number(kRegBinary, std::string(261, '1')), kMax);
    EXPECT_EQ(Number(kRegSz, std::string(300, '1') + '\0'), -99);
    // Texts up to 260 characters are read, and written cut.
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

TEST_F(RegValuesTest, ModesFollowOneRule) {
    StoreText(kSitesKey, "Logging", "12abc");
    // A value, the template, the mode, then the target and the stored text (none: nothing stored).
    const std::tuple<const char*, std::int32_t, std::uint32_t, std::int32_t, const char*> steps[] = {
        {"Logging", 5, kAll, 12, "12abc"},                   // a stored value stops everything, writing too
        {"LogThreshold", -5, kAll, -5, "-5"},                // missing: the template, written back
        {"Dyn404", 9, ReadStored | UseTemplate, 9, nullptr}, // the template, nothing written
        {"Logging", 1, UseTemplate, 1, "12abc"},             // the template alone touches no value
        {"Logging", 7, WriteStored, 1, "1"},                 // writing alone writes the target as it is
    };
    std::int32_t target = 0;
    for (const auto& [name, templ, mode, after, text] : steps) {
        SCOPED_TRACE(std::to_string(templ));
        RegNumber(&m_key, name, target, templ, mode);
        EXPECT_EQ(target, after);
        std::uint32_t type = 0;
        const std::optional<std::string> stored = Stored(kSitesKey, name, &type);
        EXPECT_EQ(stored, text ? std::optional(text + "\0"s) : std::nullopt);
        EXPECT_TRUE(!stored || type == kRegSz);
    }
    RegNumber(nullptr, "Logging", target, 7, kAll); // without a key only the template applies
    EXPECT_EQ(target, 7);
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
