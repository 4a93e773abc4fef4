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
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace qv {
namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

class RegistryContractTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device random;
        m_base = "SOFTWARE\\QuorvaneTest\\" + std::to_string(random()) + std::to_string(random());
    }
    void TearDown() override { RegistryKey::DeleteTree(m_base); }

    std::string Path(const std::string& relative) const { return m_base + "\\" + relative; }

    RegistryKey CreateKey(const std::string& relative, RegAccess access = RegAccess::ReadWrite) {
        RegistryKey key;
        EXPECT_EQ(key.Create(Path(relative), access), kErrorSuccess);
        return key;
    }

    static std::vector<unsigned char> Query(const RegistryKey& key, const std::string& name,
                                            std::uint32_t* type = nullptr) {
        std::uint32_t size = 0;
        EXPECT_EQ(key.QueryValue(name, type, nullptr, &size), kErrorSuccess) << name;
        std::vector<unsigned char> bytes(size + 1, 0xcc);
        std::uint32_t capacity = static_cast<std::uint32_t>(bytes.size());
        EXPECT_EQ(key.QueryValue(name, type, bytes.data(), &capacity), kErrorSuccess) << name;
        EXPECT_EQ(capacity, size) << name;
        bytes.resize(std::min<std::size_t>(capacity, bytes.size()));
        return bytes;
    }

    static long Set(RegistryKey& key, const std::string& name, std::uint32_t type, const std::string& bytes) {
        return key.SetValue(name, type, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    }

    static std::vector<unsigned char> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

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
    RegistryKey key;
    bool created = false;
    ASSERT_EQ(key.Create(Path("A\\B\\C"), RegAccess::ReadWrite, &created), kErrorSuccess);
    EXPECT_TRUE(created);
    EXPECT_TRUE(key.IsOpen());

    RegistryKey parent;
    EXPECT_EQ(parent.Open(Path("A"), RegAccess::Read), kErrorSuccess);
    EXPECT_EQ(parent.Open(Path("A\\B"), RegAccess::Read), kErrorSuccess);

    created = true;
    ASSERT_EQ(key.Create(Path("A\\B\\C"), RegAccess::ReadWrite, &created), kErrorSuccess);
    EXPECT_FALSE(created);
    created = true;
    ASSERT_EQ(key.Create(Path("A"), RegAccess::Read, &created), kErrorSuccess);
    EXPECT_FALSE(created);
    created = false;
    ASSERT_EQ(key.Create(Path("A\\D"), RegAccess::Read, &created), kErrorSuccess);
    EXPECT_TRUE(created);
}

TEST_F(RegistryContractTest, KeyAndValueNamesIgnoreAsciiLetterCase) {
    RegistryKey key = CreateKey("MixedCase");
    ASSERT_EQ(Set(key, "ValueName", kRegSz, std::string("one\0", 4)), kErrorSuccess);

    RegistryKey other;
    bool created = true;
    ASSERT_EQ(other.Create(m_base + "\\MIXEDCASE", RegAccess::ReadWrite, &created), kErrorSuccess);
    EXPECT_FALSE(created);
    EXPECT_EQ(Query(other, "VALUENAME"), Bytes(std::string("one\0", 4)));

    ASSERT_EQ(Set(other, "valuename", kRegSz, std::string("two\0", 4)), kErrorSuccess);
    EXPECT_EQ(Query(key, "ValueName"), Bytes(std::string("two\0", 4)));
    std::string name;
    EXPECT_EQ(key.EnumValue(0, name), kErrorSuccess);
    EXPECT_EQ(key.EnumValue(1, name), kErrorNoMoreItems);

    std::string upperBase = m_base;
    std::transform(upperBase.begin(), upperBase.end(), upperBase.begin(),
                   [](char c) { return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c); });
    EXPECT_EQ(other.Open(upperBase + "\\mixedcase", RegAccess::Read), kErrorSuccess);
}

TEST_F(RegistryContractTest, TextWrittenWithItsTerminatingZeroReadsBackWithIt) {
    RegistryKey key = CreateKey("Text");
    ASSERT_EQ(Set(key, "Directory", kRegSz, std::string("QvErrors\0", 9)), kErrorSuccess);
    std::uint32_t type = 0;
    std::vector<unsigned char> bytes = Query(key, "Directory", &type);
    EXPECT_EQ(type, kRegSz);
    ASSERT_EQ(bytes.size(), 9u);
    EXPECT_EQ(bytes.back(), 0);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end() - 1), "QvErrors");
}

TEST_F(RegistryContractTest, ABufferTooSmallGivesMoreDataAndTheSizeNeeded) {
    RegistryKey key = CreateKey("Small");
    ASSERT_EQ(Set(key, "v", kRegSz, std::string("abcdef\0", 7)), kErrorSuccess);

    char buffer[16] = {};
    std::uint32_t size = 3;
    std::uint32_t type = 0;
    EXPECT_EQ(key.QueryValue("v", &type, buffer, &size), kErrorMoreData);
    EXPECT_EQ(size, 7u);
    EXPECT_EQ(type, kRegSz);

    size = 0;
    EXPECT_EQ(key.QueryValue("v", nullptr, nullptr, &size), kErrorSuccess);
    EXPECT_EQ(size, 7u);
    EXPECT_EQ(key.QueryValue("v", &type, nullptr, nullptr), kErrorSuccess);

    size = 7;
    EXPECT_EQ(key.QueryValue("v", nullptr, buffer, &size), kErrorSuccess);
    EXPECT_EQ(size, 7u);
    EXPECT_STREQ(buffer, "abcdef");

    EXPECT_EQ(key.QueryValue("missing", nullptr, nullptr, &size), kErrorFileNotFound);
}

TEST_F(RegistryContractTest, EveryTypeRoundTripsByteForByteEmptyValuesIncluded) {
    RegistryKey key = CreateKey("Types");
    std::string binary;
    for (int i = 0; i < 256; ++i)
        binary += static_cast<char>(i);
    const std::uint32_t dword = 0x12345678;
    const std::string dwordBytes(reinterpret_cast<const char*>(&dword), sizeof dword);
    struct Case {
        std::string name;
        std::uint32_t type;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"Sz", kRegSz, std::string("C:\\Inetpub\\wwwroot\0", 19)},
        {"EmptySz", kRegSz, std::string("\0", 1)},
        {"Expand", kRegExpandSz, std::string("%SystemRoot%\\qv\0", 16)},
        {"Multi", kRegMultiSz, std::string("htm\0asp\0\0", 9)},
        {"EmptyMulti", kRegMultiSz, std::string("\0\0", 2)},
        {"Dword", kRegDword, dwordBytes},
        {"Binary", kRegBinary, binary},
        {"EmptyBinary", kRegBinary, std::string()},
    };
    for (const Case& c : cases)
        ASSERT_EQ(Set(key, c.name, c.type, c.bytes), kErrorSuccess) << c.name;

    RegistryKey reader;
    ASSERT_EQ(reader.Open(Path("Types"), RegAccess::Read), kErrorSuccess);
    for (const Case& c : cases) {
        std::uint32_t type = 0;
        EXPECT_EQ(Query(reader, c.name, &type), Bytes(c.bytes)) << c.name;
        EXPECT_EQ(type, c.type) << c.name;
    }

    // Overwriting changes type and size.
    ASSERT_EQ(Set(key, "Binary", kRegDword, dwordBytes), kErrorSuccess);
    std::uint32_t type = 0;
    EXPECT_EQ(Query(reader, "Binary", &type), Bytes(dwordBytes));
    EXPECT_EQ(type, kRegDword);
}

TEST_F(RegistryContractTest, TheDefaultValueHasTheEmptyName) {
    RegistryKey key = CreateKey("Default");
    std::uint32_t size = 0;
    EXPECT_EQ(key.QueryValue("", nullptr, nullptr, &size), kErrorFileNotFound);
    ASSERT_EQ(Set(key, "", kRegSz, std::string("d\0", 2)), kErrorSuccess);
    EXPECT_EQ(Query(key, ""), Bytes(std::string("d\0", 2)));
}

TEST_F(RegistryContractTest, AccessModesAreEnforced) {
    {
        RegistryKey writer = CreateKey("Access");
        ASSERT_EQ(Set(writer, "v", kRegSz, std::string("old\0", 4)), kErrorSuccess);
    }
    RegistryKey reader;
    ASSERT_EQ(reader.Open(Path("Access"), RegAccess::Read), kErrorSuccess);
    EXPECT_EQ(Set(reader, "v", kRegSz, std::string("new\0", 4)), kErrorAccessDenied);
    EXPECT_EQ(Set(reader, "w", kRegSz, std::string("new\0", 4)), kErrorAccessDenied);
    EXPECT_EQ(reader.DeleteValue("v"), kErrorAccessDenied);
    EXPECT_EQ(Query(reader, "v"), Bytes(std::string("old\0", 4)));

    RegistryKey created;
    ASSERT_EQ(created.Create(Path("Access"), RegAccess::Read), kErrorSuccess);
    EXPECT_EQ(Set(created, "v", kRegSz, std::string("new\0", 4)), kErrorAccessDenied);

    RegistryKey writeOnly;
    ASSERT_EQ(writeOnly.Open(Path("Access"), RegAccess::Write), kErrorSuccess);
    std::uint32_t size = 0;
    EXPECT_EQ(writeOnly.QueryValue("v", nullptr, nullptr, &size), kErrorAccessDenied);
    EXPECT_EQ(Set(writeOnly, "v", kRegSz, std::string("new\0", 4)), kErrorSuccess);
    EXPECT_EQ(Query(reader, "v"), Bytes(std::string("new\0", 4)));
}

TEST_F(RegistryContractTest, EnumeratesSubkeysInNameOrderAndEveryValue) {
    RegistryKey key = CreateKey("Enum");
    for (const char* sub : {"charlie", "Alpha", "bravo\\nested"})
        CreateKey(std::string("Enum\\") + sub);
    for (const char* value : {"Zulu", "yankee", "Xray"})
        ASSERT_EQ(Set(key, value, kRegDword, std::string(4, '\1')), kErrorSuccess);

    std::vector<std::string> subkeys;
    std::string name;
    long result = kErrorSuccess;
    for (std::uint32_t i = 0; (result = key.EnumSubKey(i, name)) == kErrorSuccess; ++i)
        subkeys.push_back(name);
    EXPECT_EQ(result, kErrorNoMoreItems);
    EXPECT_THAT(subkeys, ElementsAre("Alpha", "bravo", "charlie"));

    std::vector<std::string> values;
    for (std::uint32_t i = 0; (result = key.EnumValue(i, name)) == kErrorSuccess; ++i)
        values.push_back(name);
    EXPECT_EQ(result, kErrorNoMoreItems);
    EXPECT_THAT(values, UnorderedElementsAre("Zulu", "yankee", "Xray"));

    RegistryKey empty = CreateKey("Enum\\Alpha");
    EXPECT_EQ(empty.EnumSubKey(0, name), kErrorNoMoreItems);
    EXPECT_EQ(empty.EnumValue(0, name), kErrorNoMoreItems);
}

TEST_F(RegistryContractTest, DeletesValuesAndTrees) {
    RegistryKey key = CreateKey("Tree\\Inner\\Leaf");
    ASSERT_EQ(Set(key, "v", kRegSz, std::string("x\0", 2)), kErrorSuccess);
    EXPECT_EQ(key.DeleteValue("V"), kErrorSuccess);
    std::uint32_t size = 0;
    EXPECT_EQ(key.QueryValue("v", nullptr, nullptr, &size), kErrorFileNotFound);
    EXPECT_EQ(key.DeleteValue("v"), kErrorFileNotFound);
    ASSERT_EQ(Set(key, "v", kRegSz, std::string("x\0", 2)), kErrorSuccess);

    RegistryKey sibling = CreateKey("Tree2");
    EXPECT_EQ(RegistryKey::DeleteTree(Path("Tree")), kErrorSuccess);
    RegistryKey probe;
    EXPECT_EQ(probe.Open(Path("Tree"), RegAccess::Read), kErrorFileNotFound);
    EXPECT_EQ(probe.Open(Path("Tree\\Inner\\Leaf"), RegAccess::Read), kErrorFileNotFound);
    EXPECT_EQ(probe.Open(Path("Tree2"), RegAccess::Read), kErrorSuccess);
    EXPECT_EQ(RegistryKey::DeleteTree(Path("Tree")), kErrorFileNotFound);

    // A handle whose key is gone reads and writes nothing.
    EXPECT_EQ(key.QueryValue("v", nullptr, nullptr, &size), kErrorKeyDeleted);
    EXPECT_EQ(Set(key, "v", kRegSz, std::string("y\0", 2)), kErrorKeyDeleted);

    // A new key of the same name is a different key.
    RegistryKey again = CreateKey("Tree\\Inner\\Leaf");
    EXPECT_EQ(again.QueryValue("v", nullptr, nullptr, &size), kErrorFileNotFound);
}

TEST_F(RegistryContractTest, AMovedKeyKeepsItsHandle) {
    RegistryKey key = CreateKey("Moved");
    RegistryKey moved(std::move(key));
    EXPECT_FALSE(key.IsOpen());
    ASSERT_TRUE(moved.IsOpen());
    EXPECT_EQ(Set(moved, "v", kRegDword, std::string(4, '\0')), kErrorSuccess);
    RegistryKey assigned;
    assigned = std::move(moved);
    EXPECT_FALSE(moved.IsOpen());
    EXPECT_EQ(Query(assigned, "v"), Bytes(std::string(4, '\0')));
    assigned.Close();
    EXPECT_FALSE(assigned.IsOpen());
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
            ASSERT_EQ(Set(key, "a", kRegSz, std::string("one\0", 4)), kErrorSuccess);
            ASSERT_EQ(Set(key, "b", kRegDword, std::string(4, '\1')), kErrorSuccess);
            EXPECT_EQ(inner.End(), kErrorSuccess);
        }
        EXPECT_EQ(Query(key, "a"), Bytes(std::string("one\0", 4)));
        ASSERT_EQ(Set(key, "a", kRegSz, std::string("two\0", 4)), kErrorSuccess);
        EXPECT_EQ(key.DeleteValue("b"), kErrorSuccess);
        std::uint32_t size = 0;
        EXPECT_EQ(key.QueryValue("b", nullptr, nullptr, &size), kErrorFileNotFound);

        // A write that fails leaves the batch going.
        RegistryKey doomed = CreateKey("Doomed");
        ASSERT_EQ(RegistryKey::DeleteTree(Path("Doomed")), kErrorSuccess);
        EXPECT_EQ(Set(doomed, "v", kRegSz, std::string("x\0", 2)), kErrorKeyDeleted);
        ASSERT_EQ(Set(kept, "c", kRegSz, std::string("three\0", 6)), kErrorSuccess);
        EXPECT_EQ(outer.End(), kErrorSuccess);
        EXPECT_EQ(outer.End(), kErrorSuccess);
    }
    RegistryKey probe;
    ASSERT_EQ(probe.Open(Path("Batch\\Inner\\Leaf"), RegAccess::Read), kErrorSuccess);
    EXPECT_EQ(Query(probe, "a"), Bytes(std::string("two\0", 4)));
    std::string name;
    EXPECT_EQ(probe.EnumValue(1, name), kErrorNoMoreItems);
    EXPECT_EQ(Query(kept, "c"), Bytes(std::string("three\0", 6)));
    EXPECT_EQ(probe.Open(Path("Doomed"), RegAccess::Read), kErrorFileNotFound);
}

} // namespace
} // namespace qv
