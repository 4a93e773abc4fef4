#include "settings/RegValues.h"
#include "CleanRegistryTest.h"

#include <limits>
#include <string>
#include <vector>

namespace qv::test {
namespace {

using Items = std::vector<std::string>;

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

    // What RegNumber reads from a value of these bytes and type; templ when nothing was read.
    std::int32_t NumberFrom(std::uint32_t type, std::string_view bytes, std::int32_t templ = -99) {
        Store(kSitesKey, "N", type, bytes);
        std::int32_t target = 1234;
        RegNumber(&m_key, "N", target, templ, ReadStored | UseTemplate);
        return target;
    }
    std::string TextFrom(std::uint32_t type, std::string_view bytes) {
        Store(kSitesKey, "T", type, bytes);
        std::string target = "before";
        RegText(&m_key, "T", target, "template", ReadStored | UseTemplate);
        return target;
    }
    Items ListFrom(std::uint32_t type, std::string_view bytes) {
        Store(kSitesKey, "L", type, bytes);
        ValueList target;
        ParseList(target, "old");
        ValueList templ;
        ParseList(templ, "template");
        RegList(&m_key, "L", target, templ, ReadStored | UseTemplate);
        return target.Items();
    }
    std::optional<std::string> StoredHere(std::string_view name, std::uint32_t* type = nullptr) {
        return Stored(kSitesKey, name, type);
    }

    RegistryKey m_key;
};

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

TEST_F(RegValuesTest, NumbersReadAsDecimalText) {
    EXPECT_EQ(NumberFrom(kRegSz, std::string("5\0", 2)), 5);
    EXPECT_EQ(NumberFrom(kRegSz, std::string("12abc\0", 6)), 12);
    EXPECT_EQ(NumberFrom(kRegSz, std::string("abc\0", 4)), 0);
    EXPECT_EQ(NumberFrom(kRegSz, std::string(" \t-7x\0", 6)), -7);
    EXPECT_EQ(NumberFrom(kRegSz, std::string("+8\0", 3)), 8);
    EXPECT_EQ(NumberFrom(kRegSz, std::string("- 8\0", 4)), 0);
    EXPECT_EQ(NumberFrom(kRegSz, std::string("\0", 1)), 0);
    // Out of 32-bit range: held at the limit instead of wrapping.
    EXPECT_EQ(NumberFrom(kRegSz, std::string("99999999999\0", 12)), kMax);
    EXPECT_EQ(NumberFrom(kRegSz, std::string("-2147483648\0", 12)), kMin);
    EXPECT_EQ(NumberFrom(kRegSz, std::string("-99999999999\0", 13)), kMin);
}

TEST_F(RegValuesTest, NumbersOfOtherTypesReadTheirBytesAsText) {
    // Any type: the bytes spell the number, usually 0.
    EXPECT_EQ(NumberFrom(kRegBinary, "42"), 42); // no terminator
    EXPECT_EQ(NumberFrom(kRegBinary, std::string("\x01\x02", 2)), 0);
    EXPECT_EQ(NumberFrom(kRegDword, std::string("\x07\0\0\0", 4)), 0);
    EXPECT_EQ(NumberFrom(kRegBinary, ""), 0);
    // 261 digits without a terminator still fit the buffer; 262 bytes do not and count as not read.
    EXPECT_EQ(NumberFrom(kRegBinary, std::string(261, '1')), kMax);
    EXPECT_EQ(NumberFrom(kRegSz, std::string(300, '1') + '\0'), -99);
}

TEST_F(RegValuesTest, ModesFollowOneRule) {
    // A stored value stops everything: nothing is written back, even with WriteStored.
    StoreText(kSitesKey, "Logging", "12abc");
    std::int32_t target = 0;
    RegNumber(&m_key, "Logging", target, 5, ReadStored | WriteStored | UseTemplate);
    EXPECT_EQ(target, 12);
    EXPECT_EQ(StoredHere("Logging"), std::string("12abc\0", 6));

    // Missing with mode 7: the template, written back as decimal REG_SZ with its terminator.
    RegNumber(&m_key, "LogThreshold", target, -5, ReadStored | WriteStored | UseTemplate);
    EXPECT_EQ(target, -5);
    std::uint32_t type = 0;
    EXPECT_EQ(StoredHere("LogThreshold", &type), std::string("-5\0", 3));
    EXPECT_EQ(type, kRegSz);

    // Mode 1: a missing value leaves the target; mode 5 takes the template without writing.
    target = 3;
    RegNumber(&m_key, "Dyn404", target, 9, ReadStored);
    EXPECT_EQ(target, 3);
    RegNumber(&m_key, "Dyn404", target, 9, ReadStored | UseTemplate);
    EXPECT_EQ(target, 9);
    EXPECT_FALSE(StoredHere("Dyn404"));

    // Mode 4 touches no value even when one is stored; mode 2 writes the target as it is.
    RegNumber(&m_key, "Logging", target, 1, UseTemplate);
    EXPECT_EQ(target, 1);
    EXPECT_EQ(StoredHere("Logging"), std::string("12abc\0", 6));
    target = 0;
    RegNumber(&m_key, "Logging", target, 1, WriteStored);
    EXPECT_EQ(StoredHere("Logging"), std::string("0\0", 2));

    // Without a key only the template applies.
    RegNumber(nullptr, "Logging", target, 7, ReadStored | WriteStored | UseTemplate);
    EXPECT_EQ(target, 7);
    RegistryKey closed;
    std::string text;
    RegText(&closed, "Directory", text, "errors", ReadStored | WriteStored | UseTemplate);
    EXPECT_EQ(text, "errors");
    ValueList list;
    ValueList templ;
    ParseList(templ, "htm");
    RegList(nullptr, "ExtList", list, templ, ReadStored | WriteStored | UseTemplate);
    EXPECT_EQ(list, templ);
}

TEST_F(RegValuesTest, TextsUpTo260CharactersAreRead) {
    EXPECT_EQ(TextFrom(kRegSz, std::string("errors\0", 7)), "errors");
    EXPECT_EQ(TextFrom(kRegSz, std::string("\0", 1)), "");
    EXPECT_EQ(TextFrom(kRegSz, std::string(260, 'd') + '\0'), std::string(260, 'd'));
    EXPECT_EQ(TextFrom(kRegSz, std::string("abc\0def\0", 8)), "abc");
    // Binary data and texts without a terminator where a text is expected: never past the data.
    EXPECT_EQ(TextFrom(kRegBinary, "abc"), "abc");
    EXPECT_EQ(TextFrom(kRegSz, std::string(260, 'e')), std::string(260, 'e'));
}

TEST_F(RegValuesTest, TextsThatDoNotFitCountAsNotRead) {
    EXPECT_EQ(TextFrom(kRegSz, std::string(261, 'd') + '\0'), "template");
    EXPECT_EQ(TextFrom(kRegBinary, std::string(261, 'd')), "template");
    EXPECT_EQ(TextFrom(kRegSz, std::string(5000, 'd') + '\0'), "template");

    // Mode 7 then writes the template over the oversized value.
    std::string target;
    RegText(&m_key, "T", target, "errors", ReadStored | WriteStored | UseTemplate);
    EXPECT_EQ(target, "errors");
    EXPECT_EQ(StoredHere("T"), std::string("errors\0", 7));
}

TEST_F(RegValuesTest, TextsAreCutAndWrittenWithTheirTerminator) {
    std::string target;
    RegText(&m_key, "Directory", target, std::string(300, 'x'), UseTemplate | WriteStored);
    EXPECT_EQ(target, std::string(260, 'x'));
    std::uint32_t type = 0;
    EXPECT_EQ(StoredHere("Directory", &type), std::string(260, 'x') + '\0');
    EXPECT_EQ(type, kRegSz);

    target = std::string(280, 'y');
    RegText(&m_key, "Directory", target, "", WriteStored);
    EXPECT_EQ(StoredHere("Directory"), std::string(260, 'y') + '\0');
}

TEST_F(RegValuesTest, NonAsciiNamesAndTextsRoundTrip) {
    const std::string name = "Verzeichnis-\xc3\xa4\xc3\xb6\xc3\xbc";  // "Verzeichnis-äöü"
    const std::string text = "Fehlerseiten \xc3\xa9t\xc3\xa9 [SITE]"; // "Fehlerseiten été [SITE]"
    std::string target = text;
    RegText(&m_key, name.c_str(), target, "", WriteStored);
    std::string read;
    RegText(&m_key, name.c_str(), read, "template", ReadStored | UseTemplate);
    EXPECT_EQ(read, text);

    ValueList list;
    ParseList(list, "\xc3\xa4sp,h\xc3\xbcm");
    RegList(&m_key, name.c_str(), list, ValueList{}, WriteStored);
    ValueList readList;
    RegList(&m_key, name.c_str(), readList, ValueList{}, ReadStored);
    EXPECT_EQ(readList, list);
}

TEST_F(RegValuesTest, ListsReplaceTheTargetWhenRead) {
    EXPECT_EQ(ListFrom(kRegSz, std::string("htm,,html\0", 10)), (Items{"htm", "html"}));
    EXPECT_EQ(ListFrom(kRegSz, std::string("htm, html\0", 10)), (Items{"htm", " html"}));
    // An empty stored list is a list, not a missing value.
    EXPECT_EQ(ListFrom(kRegSz, std::string("\0", 1)), Items{});
    EXPECT_EQ(ListFrom(kRegSz, ""), Items{});
    // Without a terminator, and binary: the buffer is one zero byte longer than the data.
    EXPECT_EQ(ListFrom(kRegBinary, "gif,png"), (Items{"gif", "png"}));
    EXPECT_EQ(ListFrom(kRegSz, std::string("a,b\0c,d", 7)), (Items{"a", "b"}));
    EXPECT_EQ(ListFrom(kRegSz, std::string(300, 'x') + ",htm" + '\0'), (Items{std::string(260, 'x'), "htm"}));

    // A large value is not limited to 261 bytes.
    std::string large;
    for (int i = 0; i < 5000; ++i)
        large += "ext" + std::to_string(i) + ",";
    const Items items = ListFrom(kRegSz, large + '\0');
    ASSERT_EQ(items.size(), 5000u);
    EXPECT_EQ(items.back(), "ext4999");
}

TEST_F(RegValuesTest, MissingListsTakeTheTemplateAndWriteItJoined) {
    ValueList templ;
    templ.MutableItems() = {"asp", "aspx", "asp", "php"};
    ValueList target;
    ParseList(target, "old");
    RegList(&m_key, "DynExtList", target, templ, ReadStored);
    EXPECT_EQ(target.Items(), Items{"old"});

    RegList(&m_key, "DynExtList", target, templ, ReadStored | WriteStored | UseTemplate);
    EXPECT_EQ(target.Items(), (Items{"asp", "aspx", "php"}));
    std::uint32_t type = 0;
    EXPECT_EQ(StoredHere("DynExtList", &type), std::string("asp,aspx,php\0", 13));
    EXPECT_EQ(type, kRegSz);

    // Read back with mode 7: nothing changes and nothing is written.
    ValueList again;
    RegList(&m_key, "DynExtList", again, ValueList{}, ReadStored | WriteStored | UseTemplate);
    EXPECT_EQ(again, target);
}

TEST_F(RegValuesTest, AnEmptyListIsWrittenAsAnEmptyTextAndReadBackEmpty) {
    ValueList empty;
    RegList(&m_key, "ExtList", empty, ValueList{}, WriteStored);
    EXPECT_EQ(StoredHere("ExtList"), std::string("\0", 1));

    ValueList templ;
    ParseList(templ, "htm,html");
    ValueList target;
    RegList(&m_key, "ExtList", target, templ, ReadStored | WriteStored | UseTemplate);
    EXPECT_TRUE(target.Empty());
    EXPECT_EQ(StoredHere("ExtList"), std::string("\0", 1));
}

} // namespace
} // namespace qv::test
