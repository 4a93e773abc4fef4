// What both registry backends promise (POSIX key store here, the Win32 registry under Wine). Portable code
// only: every test works below its own random key, which it deletes afterwards, since Wine's registry is
// shared between runs.
#include "platform/RegistryBatch.h"
#include "platform/RegistryKey.h"
#include "platform/WinError.h"
#include "support/TempMachine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace qv {
namespace {

class RegistryContractTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device random;
        m_base = "SOFTWARE\\QuorvaneTest\\" + std::to_string(random()) + std::to_string(random());
    }
    void TearDown() override { RegistryKey::DeleteTree(m_base); }

    std::string Path(const std::string& relative) const { return m_base + "\\" + relative; }

    RegistryKey CreateKey(const std::string& relative) {
        RegistryKey key;
        EXPECT_EQ(key.Create(Path(relative), RegAccess::ReadWrite), kErrorSuccess);
        return key;
    }

    // The value's bytes; the size asked for first must be the size then read.
    static std::string Query(const RegistryKey& key, const std::string& name, std::uint32_t* type = nullptr) {
        std::uint32_t size = 0;
        EXPECT_EQ(key.QueryValue(name, type, nullptr, &size), kErrorSuccess) << name;
        std::string bytes(size + 1, '\xcc');
        std::uint32_t capacity = size + 1;
        EXPECT_EQ(key.QueryValue(name, type, bytes.data(), &capacity), kErrorSuccess) << name;
        EXPECT_EQ(capacity, size) << name;
        bytes.resize(std::min<std::size_t>(capacity, bytes.size()));
        return bytes;
    }

    static long Set(RegistryKey& key, const std::string& name, std::uint32_t type, const std::string& bytes) {
        return key.SetValue(name, type, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    }

    static std::vector<std::string> Enumerate(const RegistryKey& key, bool subkeys) {
        std::vector<std::string> names;
        std::string name;
        long result = kErrorSuccess;
        for (std::uint32_t i = 0;
             (result = subkeys ? key.EnumSubKey(i, name) : key.EnumValue(i, name)) == kErrorSuccess; ++i)
            names.push_back(name);
        EXPECT_EQ(result, kErrorNoMoreItems);
        return names;
    }

    test::TempMachine m_machine;
    std::string m_base;
};

TEST_F(RegistryContractTest, OpeningAMissingKeyGivesNotFound) {
    RegistryKey key;
    EXPECT_EQ(key.Open(Path("Missing"), RegAccess::Read), kErrorFileNotFound);
    EXPECT_FALSE(key.IsOpen());
    EXPECT_EQ(key.Open(Path("Missing\\Deeper"), RegAccess::ReadWrite), kErrorFileNotFound);
    std::uint32_t size = 0;
    EXPECT_EQ(key.QueryValue("x", nullptr, nullptr, &size), kErrorInvalidHandle);
}

TEST_F(RegistryContractTest, CreateMakesMissingParentsAndTellsWhetherTheKeyIsNew) {
    const std::pair<const char*, bool> steps[] = {
        {"A\\B\\C", true}, {"A\\B\\C", false}, {"A", false}, {"A\\D", true}};
    for (const auto& [path, isNew] : steps) {
        RegistryKey key;
        bool created = !isNew;
        ASSERT_EQ(key.Create(Path(path), RegAccess::ReadWrite, &created), kErrorSuccess) << path;
        EXPECT_EQ(created, isNew) << path;
        EXPECT_TRUE(key.IsOpen());
    }
    RegistryKey parent;
    EXPECT_EQ(parent.Open(Path("A\\B"), RegAccess::Read), kErrorSuccess);
}

TEST_F(RegistryContractTest, KeyAndValueNamesIgnoreAsciiLetterCase) {
    RegistryKey key = CreateKey("MixedCase");
    ASSERT_EQ(Set(key, "ValueName", kRegSz, "one\0"s), kErrorSuccess);

    RegistryKey other;
    bool created = true;
    ASSERT_EQ(other.Create(m_base + "\\MIXEDCASE", RegAccess::ReadWrite, &created), kErrorSuccess);
    EXPECT_FALSE(created);
    EXPECT_EQ(Query(other, "VALUENAME"), "one\0"s);
    ASSERT_EQ(Set(other, "valuename", kRegSz, "two\0"s), kErrorSuccess);
    EXPECT_EQ(Query(key, "ValueName"), "two\0"s);
    EXPECT_EQ(Enumerate(key, false).size(), 1u);

    std::string upperBase = m_base;
    std::transform(upperBase.begin(), upperBase.end(), upperBase.begin(),
                   [](char c) { return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c); });
    EXPECT_EQ(other.Open(upperBase + "\\mixedcase", RegAccess::Read), kErrorSuccess);
}

TEST_F(RegistryContractTest, ABufferTooSmallGivesMoreDataAndTheSizeNeeded) {
    RegistryKey key = CreateKey("Small");
    ASSERT_EQ(Set(key, "v", kRegSz, "abcdef\0"s), kErrorSuccess);
    char buffer[16] = {};
    std::uint32_t size = 3;
    std::uint32_t type = 0;
    EXPECT_EQ(key.QueryValue("v", &type, buffer, &size), kErrorMoreData);
    EXPECT_EQ(size, 7u);
    EXPECT_EQ(type, kRegSz);
    size = 7;
    EXPECT_EQ(key.QueryValue("v", nullptr, buffer, &size), kErrorSuccess);
    EXPECT_STREQ(buffer, "abcdef");
    EXPECT_EQ(key.QueryValue("v", &type, nullptr, nullptr), kErrorSuccess);
    EXPECT_EQ(key.QueryValue("missing", nullptr, nullptr, &size), kErrorFileNotFound);
}

// Text keeps its terminating zero, and empty values (the default one included) stay empty.
TEST_F(RegistryContractTest, EveryTypeRoundTripsByteForByteEmptyValuesIncluded) {
    RegistryKey key = CreateKey("Types");
    std::string binary;
    for (int i = 0; i < 256; ++i)
        binary += static_cast<char>(i);
    const std::string dword = "\x78\x56\x34\x12"s;
    struct Case {
        std::string name;
        std::uint32_t type;
        std::string bytes;
    };
    const Case cases[] = {
        {"Sz", kRegSz, "C:\\Inetpub\\wwwroot\0"s},
        {"EmptySz", kRegSz, "\0"s},
        {"", kRegSz, "default\0"s},
        {"Expand", kRegExpandSz, "%SystemRoot%\\qv\0"s},
        {"Multi", kRegMultiSz, "htm\0asp\0\0"s},
        {"EmptyMulti", kRegMultiSz, "\0\0"s},
        {"Dword", kRegDword, dword},
        {"Binary", kRegBinary, binary},
        {"EmptyBinary", kRegBinary, ""},
    };
    std::uint32_t size = 0;
    EXPECT_EQ(key.QueryValue("", nullptr, nullptr, &size), kErrorFileNotFound);
    for (const Case& c : cases)
        ASSERT_EQ(Set(key, c.name, c.type, c.bytes), kErrorSuccess) << c.name;

    RegistryKey reader;
    ASSERT_EQ(reader.Open(Path("Types"), RegAccess::Read), kErrorSuccess);
    for (const Case& c : cases) {
        std::uint32_t type = 0;
        EXPECT_EQ(Query(reader, c.name, &type), c.bytes) << c.name;
        EXPECT_EQ(type, c.type) << c.name;
    }
    // Overwriting changes type and size.
    ASSERT_EQ(Set(key, "Binary", kRegDword, dword), kErrorSuccess);
    std::uint32_t type = 0;
    EXPECT_EQ(Query(reader, "Binary", &type), dword);
    EXPECT_EQ(type, kRegDword);
}

TEST_F(RegistryContractTest, AccessModesAreEnforced) {
    {
        RegistryKey writer = CreateKey("Access");
        ASSERT_EQ(Set(writer, "v", kRegSz, "old\0"s), kErrorSuccess);
    }
    RegistryKey reader;
    ASSERT_EQ(reader.Open(Path("Access"), RegAccess::Read), kErrorSuccess);
    EXPECT_EQ(Set(reader, "v", kRegSz, "new\0"s), kErrorAccessDenied);
    EXPECT_EQ(Set(reader, "w", kRegSz, "new\0"s), kErrorAccessDenied);
    EXPECT_EQ(reader.DeleteValue("v"), kErrorAccessDenied);
    EXPECT_EQ(Query(reader, "v"), "old\0"s);
    RegistryKey created;
    ASSERT_EQ(created.Create(Path("Access"), RegAccess::Read), kErrorSuccess);
    EXPECT_EQ(Set(created, "v", kRegSz, "new\0"s), kErrorAccessDenied);

    RegistryKey writeOnly;
    ASSERT_EQ(writeOnly.Open(Path("Access"), RegAccess::Write), kErrorSuccess);
    std::uint32_t size = 0;
    EXPECT_EQ(writeOnly.QueryValue("v", nullptr, nullptr, &size), kErrorAccessDenied);
    EXPECT_EQ(Set(writeOnly, "v", kRegSz, "new\0"s), kErrorSuccess);
    EXPECT_EQ(Query(reader, "v"), "new\0"s);
}

TEST_F(RegistryContractTest, EnumeratesSubkeysInNameOrderAndEveryValue) {
    RegistryKey key = CreateKey("Enum");
    for (const char* sub : {"charlie", "Alpha", "bravo\\nested"})
        CreateKey(std::string("Enum\\") + sub);
    for (const char* value : {"Zulu", "yankee", "Xray"})
        ASSERT_EQ(Set(key, value, kRegDword, std::string(4, '\1')), kErrorSuccess);
    EXPECT_THAT(Enumerate(key, true), ::testing::ElementsAre("Alpha", "bravo", "charlie"));
    EXPECT_THAT(Enumerate(key, false), ::testing::UnorderedElementsAre("Zulu", "yankee", "Xray"));
    RegistryKey empty = CreateKey("Enum\\Alpha");
    EXPECT_TRUE(Enumerate(empty, true).empty());
    EXPECT_TRUE(Enumerate(empty, false).empty());
}

TEST_F(RegistryContractTest, DeletesValuesAndTreesAndMovedHandlesFollow) {
    RegistryKey key = CreateKey("Tree\\Inner\\Leaf");
    ASSERT_EQ(Set(key, "v", kRegSz, "x\0"s), kErrorSuccess);
    EXPECT_EQ(key.DeleteValue("V"), kErrorSuccess);
    EXPECT_EQ(key.DeleteValue("v"), kErrorFileNotFound);
    ASSERT_EQ(Set(key, "v", kRegSz, "x\0"s), kErrorSuccess);

    RegistryKey sibling = CreateKey("Tree2");
    EXPECT_EQ(RegistryKey::DeleteTree(Path("Tree")), kErrorSuccess);
    RegistryKey probe;
    EXPECT_EQ(probe.Open(Path("Tree\\Inner\\Leaf"), RegAccess::Read), kErrorFileNotFound);
    EXPECT_EQ(probe.Open(Path("Tree2"), RegAccess::Read), kErrorSuccess);
    EXPECT_EQ(RegistryKey::DeleteTree(Path("Tree")), kErrorFileNotFound);

    // A handle whose key is gone reads and writes nothing, and a new key of the same name is another key.
    std::uint32_t size = 0;
    EXPECT_EQ(key.QueryValue("v", nullptr, nullptr, &size), kErrorKeyDeleted);
    EXPECT_EQ(Set(key, "v", kRegSz, "y\0"s), kErrorKeyDeleted);
    RegistryKey again = CreateKey("Tree\\Inner\\Leaf");
    EXPECT_EQ(again.QueryValue("v", nullptr, nullptr, &size), kErrorFileNotFound);

    // The handle moves with the object.
    RegistryKey moved(std::move(sibling));
    EXPECT_FALSE(sibling.IsOpen());
    EXPECT_EQ(Set(moved, "v", kRegDword, std::string(4, '\0')), kErrorSuccess);
    again = std::move(moved);
    EXPECT_FALSE(moved.IsOpen());
    EXPECT_EQ(Query(again, "v"), std::string(4, '\0'));
}

TEST_F(RegistryContractTest, InsideABatchEveryCallWorksAsWithoutOne) {
    RegistryKey kept = CreateKey("Kept");
    {
        RegistryBatch outer;
        RegistryKey key;
        bool created = false;
        ASSERT_EQ(key.Create(Path("Batch\\Inner\\Leaf"), RegAccess::ReadWrite, &created), kErrorSuccess);
        EXPECT_TRUE(created);
        ASSERT_EQ(key.Create(Path("Batch\\Inner\\Leaf"), RegAccess::ReadWrite, &created), kErrorSuccess);
        EXPECT_FALSE(created);
        {
            RegistryBatch inner;
            ASSERT_EQ(Set(key, "a", kRegSz, "one\0"s), kErrorSuccess);
            ASSERT_EQ(Set(key, "b", kRegDword, std::string(4, '\1')), kErrorSuccess);
            EXPECT_EQ(inner.End(), kErrorSuccess);
        }
        EXPECT_EQ(Query(key, "a"), "one\0"s);
        ASSERT_EQ(Set(key, "a", kRegSz, "two\0"s), kErrorSuccess);
        EXPECT_EQ(key.DeleteValue("b"), kErrorSuccess);

        // A write that fails leaves the batch going.
        RegistryKey doomed = CreateKey("Doomed");
        ASSERT_EQ(RegistryKey::DeleteTree(Path("Doomed")), kErrorSuccess);
        EXPECT_EQ(Set(doomed, "v", kRegSz, "x\0"s), kErrorKeyDeleted);
        ASSERT_EQ(Set(kept, "c", kRegSz, "three\0"s), kErrorSuccess);
        EXPECT_EQ(outer.End(), kErrorSuccess);
        EXPECT_EQ(outer.End(), kErrorSuccess);
    }
    RegistryKey probe;
    ASSERT_EQ(probe.Open(Path("Batch\\Inner\\Leaf"), RegAccess::Read), kErrorSuccess);
    EXPECT_THAT(Enumerate(probe, false), ::testing::ElementsAre("a"));
    EXPECT_EQ(Query(probe, "a"), "two\0"s);
    EXPECT_EQ(Query(kept, "c"), "three\0"s);
    EXPECT_EQ(probe.Open(Path("Doomed"), RegAccess::Read), kErrorFileNotFound);
}

} // namespace
} // namespace qv
