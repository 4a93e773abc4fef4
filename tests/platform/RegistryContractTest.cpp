// What both registry backends promise; each test works below a random key, as Wine's registry outlives runs.
#include "platform/RegistryBatch.h"
#include "platform/RegistryKey.h"
#include "platform/WinError.h"
#include "support/TempMachine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

using namespace std::string_literals;
using ::testing::ElementsAre;

namespace qv {
namespace {

const std::string kNotFound = "error " + std::to_string(kErrorFileNotFound);

class RegistryContractTest : public ::testing::Test {
protected:
    void SetUp() override { m_base = "SOFTWARE\\QuorvaneTest\\" + std::to_string(std::random_device()()); }
    void TearDown() override { RegistryKey::DeleteTree(m_base); }
    std::string Path(const std::string& relative) const { return m_base + "\\" + relative; }
    RegistryKey Make(const std::string& relative, RegAccess access = RegAccess::ReadWrite) {
        RegistryKey key;
        EXPECT_EQ(key.Create(Path(relative), access), kErrorSuccess) << relative;
        return key;
    }
    long Open(const std::string& relative) { return RegistryKey().Open(Path(relative), RegAccess::Read); }
    // The value's bytes (the size asked for first must be the size then read), or its error as text.
    static std::string Query(const RegistryKey& key, const std::string& name, std::uint32_t* type = nullptr) {
        std::uint32_t size = 0;
        if (const long result = key.QueryValue(name, type, nullptr, &size); result != kErrorSuccess)
            return "error " + std::to_string(result);
        std::string bytes(size + 1, '\xcc');
        std::uint32_t capacity = size + 1;
        EXPECT_EQ(key.QueryValue(name, type, bytes.data(), &capacity), kErrorSuccess) << name;
        EXPECT_EQ(capacity, size) << name;
        return bytes.substr(0, std::min(capacity, size));
    }
    static long Set(RegistryKey& key, const std::string& name, std::uint32_t type, const std::string& bytes) {
        return key.SetValue(name, type, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    }
    static std::vector<std::string> Names(const RegistryKey& key, bool subkeys) {
        std::vector<std::string> names;
        EXPECT_EQ(subkeys ? key.SubKeyNames(names) : key.ValueNames(names), kErrorSuccess);
        return names;
    }
    test::TempMachine m_machine;
    std::string m_base;
};

TEST_F(RegistryContractTest, OpenCreateAndEnumerateKeysWithoutLetterCase) {
    RegistryKey key;
    std::uint32_t size = 0;
    EXPECT_EQ(key.Open(Path("Missing\\Deeper"), RegAccess::ReadWrite), kErrorFileNotFound);
    EXPECT_EQ(key.QueryValue("x", nullptr, nullptr, &size), kErrorInvalidHandle);
    // Create makes missing parents and tells whether the key is new, whatever the case of its name.
    for (const auto& [path, isNew] :
         {std::pair{"A\\B\\C", true}, {"a\\b\\c", false}, {"A", false}, {"A\\D", true}}) {
        bool created = !isNew;
        ASSERT_EQ(key.Create(Path(path), RegAccess::ReadWrite, &created), kErrorSuccess) << path;
        EXPECT_EQ(created, isNew) << path;
    }
    EXPECT_EQ(key.Open(Path("a\\d").replace(0, 8, "software"), RegAccess::ReadWrite), kErrorSuccess);
    ASSERT_EQ(Set(key, "ValueName", kRegSz, "one\0"s), kErrorSuccess);
    ASSERT_EQ(Set(key, "valuename", kRegSz, "two\0"s), kErrorSuccess);
    EXPECT_EQ(Query(key, "VALUENAME"), "two\0"s);
    EXPECT_EQ(Names(key, false).size(), 1u);
    // Subkeys come in name order, values all.
    key = Make("Enum");
    for (const char* sub : {"charlie", "Alpha", "bravo\\nested"})
        Make(std::string("Enum\\") + sub);
    for (const char* value : {"Zulu", "yankee", "Xray"})
        ASSERT_EQ(Set(key, value, kRegDword, std::string(4, '\1')), kErrorSuccess);
    EXPECT_THAT(Names(key, true), ElementsAre("Alpha", "bravo", "charlie"));
    EXPECT_THAT(Names(key, false), ::testing::UnorderedElementsAre("Zulu", "yankee", "Xray"));
    EXPECT_TRUE(Names(Make("Enum\\Alpha"), true).empty() && Names(Make("Enum\\Alpha"), false).empty());
}

// Text keeps its terminating zero, and empty values (the default one included) stay empty.
TEST_F(RegistryContractTest, EveryTypeRoundTripsByteForByteEmptyValuesIncluded) {
    RegistryKey key = Make("Types"), reader = Make("Types", RegAccess::Read);
    const std::tuple<std::string, std::uint32_t, std::string> cases[] = {
        {"Sz", kRegSz, "C:\\Inetpub\\wwwroot\0"s},
        {"EmptySz", kRegSz, "\0"s},
        {"", kRegSz, "default\0"s},
        {"Expand", kRegExpandSz, "%SystemRoot%\\qv\0"s},
        {"Multi", kRegMultiSz, "htm\0asp\0\0"s},
        {"EmptyMulti", kRegMultiSz, "\0\0"s},
        {"Dword", kRegDword, "\x78\x56\x34\x12"s},
        {"Binary", kRegBinary, "\0\x01\x7f\x80\xfe\xff"s},
        {"EmptyBinary", kRegBinary, ""},
        {"Binary", kRegDword, "\1\0\0\0"s}}; // overwriting changes type and size
    EXPECT_EQ(Query(key, ""), kNotFound);
    for (const auto& [name, type, bytes] : cases) {
        ASSERT_EQ(Set(key, name, type, bytes), kErrorSuccess) << name;
        std::uint32_t read = 0;
        EXPECT_EQ(Query(reader, name, &read), bytes) << name;
        EXPECT_EQ(read, type) << name;
    }
    // A buffer too small gives the size needed and the type.
    std::uint32_t size = 3, type = 0, buffer[4] = {};
    const long result = key.QueryValue("Sz", &type, buffer, &size);
    EXPECT_EQ(std::tuple(result, size, type), std::tuple(kErrorMoreData, 19u, kRegSz));
}

// The reads written once on QueryValue: whole values however they change meanwhile, bounded ones, text.
TEST_F(RegistryContractTest, ReadHelpersTakeWholeBoundedAndTextValues) {
    RegistryKey key = Make("Read");
    const std::string big(70000, 'b');
    ASSERT_EQ(Set(key, "Big", kRegBinary, big), kErrorSuccess);
    ASSERT_EQ(Set(key, "Text", kRegSz, "abc\0def\0"s), kErrorSuccess);
    ASSERT_EQ(Set(key, "Bare", kRegBinary, "abcd"), kErrorSuccess);
    std::string data = "stale";
    std::uint32_t type = 0;
    EXPECT_TRUE(key.ReadValue("Big", &type, data) == kErrorSuccess && data == big && type == kRegBinary);
    EXPECT_TRUE(key.ReadValue("Big", nullptr, data, 16) == kErrorMoreData && data.empty());
    EXPECT_TRUE(key.ReadValue("Bare", nullptr, data, 4) == kErrorSuccess && data == "abcd");
    // Text ends at its first zero; the whole value, and one without a zero its terminator, must fit.
    const std::tuple<const char*, std::uint32_t, long, const char*> texts[] = {
        {"Text", 6, kErrorMoreData, ""}, {"Text", 7, kErrorSuccess, "abc"},
        {"Text", 2, kErrorMoreData, ""}, {"Bare", 4, kErrorSuccess, "abcd"},
        {"Bare", 3, kErrorMoreData, ""}, {"None", 9, kErrorFileNotFound, ""}};
    for (const auto& [name, limit, result, text] : texts)
        EXPECT_TRUE(key.ReadText(name, limit, data, &type) == result && data == text)
            << name << limit << data;
    // A value that changes size between the size asked and the read is read whole all the same.
    std::atomic<bool> done{false};
    std::thread writer([&] {
        RegistryKey mine; // no assertions here: Wine's test framework is not thread-safe
        mine.Create(Path("Read"), RegAccess::Write);
        for (int i = 0; i < 200; ++i)
            Set(mine, "Moving", kRegBinary, std::string(i % 2 ? 5000 : 5, static_cast<char>('a' + i % 2)));
        done = true;
    });
    for (long result = kErrorSuccess; !done && (result == kErrorSuccess || result == kErrorFileNotFound);) {
        result = key.ReadValue("Moving", nullptr, data);
        const bool whole = data == std::string(5, 'a') || data == std::string(5000, 'b');
        EXPECT_TRUE(result == kErrorFileNotFound || (result == kErrorSuccess && whole))
            << result << " " << data.size();
    }
    writer.join();
}

TEST_F(RegistryContractTest, AccessModesAreEnforced) {
    RegistryKey writer = Make("Access"), reader = Make("Access", RegAccess::Read), writeOnly;
    ASSERT_EQ(Set(writer, "v", kRegSz, "old\0"s), kErrorSuccess);
    EXPECT_EQ(Set(reader, "w", kRegSz, "new\0"s), kErrorAccessDenied);
    EXPECT_EQ(reader.DeleteValue("v"), kErrorAccessDenied);
    ASSERT_EQ(writeOnly.Open(Path("Access"), RegAccess::Write), kErrorSuccess);
    EXPECT_EQ(Query(writeOnly, "v"), "error " + std::to_string(kErrorAccessDenied));
    EXPECT_EQ(Set(writeOnly, "v", kRegSz, "new\0"s), kErrorSuccess);
    EXPECT_EQ(Query(reader, "v"), "new\0"s);
}

TEST_F(RegistryContractTest, DeletesValuesAndTreesAndMovedHandlesFollow) {
    RegistryKey key = Make("Tree\\Inner\\Leaf"), sibling = Make("Tree2");
    ASSERT_EQ(Set(key, "v", kRegSz, "x\0"s), kErrorSuccess);
    EXPECT_EQ(key.DeleteValue("V"), kErrorSuccess);
    EXPECT_EQ(key.DeleteValue("v"), kErrorFileNotFound);
    ASSERT_EQ(Set(key, "v", kRegSz, "x\0"s), kErrorSuccess);
    EXPECT_EQ(RegistryKey::DeleteTree(Path("Tree")), kErrorSuccess);
    EXPECT_EQ(RegistryKey::DeleteTree(Path("Tree")), kErrorFileNotFound);
    EXPECT_EQ(Open("Tree\\Inner\\Leaf"), kErrorFileNotFound);
    EXPECT_EQ(Open("Tree2"), kErrorSuccess);
    // A handle whose key is gone reads and writes nothing, and a new key of the same name is another key.
    EXPECT_EQ(Query(key, "v"), "error " + std::to_string(kErrorKeyDeleted));
    EXPECT_EQ(Set(key, "v", kRegSz, "y\0"s), kErrorKeyDeleted);
    RegistryKey again = Make("Tree\\Inner\\Leaf");
    EXPECT_EQ(Query(again, "v"), kNotFound);
    RegistryKey moved(std::move(sibling)); // the handle moves with the object
    again = std::move(moved);
    EXPECT_FALSE(sibling.IsOpen() || moved.IsOpen());
    EXPECT_EQ(Set(again, "v", kRegDword, std::string(4, '\0')), kErrorSuccess);
    EXPECT_EQ(Query(Make("Tree2", RegAccess::Read), "v"), std::string(4, '\0'));
}

TEST_F(RegistryContractTest, InsideABatchEveryCallWorksAsWithoutOne) {
    RegistryKey kept = Make("Kept");
    {
        RegistryBatch batch;
        RegistryKey key;
        bool created[2] = {false, true};
        ASSERT_EQ(key.Create(Path("Batch\\Inner\\Leaf"), RegAccess::ReadWrite, &created[0]), kErrorSuccess);
        ASSERT_EQ(key.Create(Path("Batch\\Inner\\Leaf"), RegAccess::ReadWrite, &created[1]), kErrorSuccess);
        EXPECT_TRUE(created[0] && !created[1]);
        ASSERT_EQ(Set(key, "a", kRegSz, "one\0"s), kErrorSuccess);
        ASSERT_EQ(Set(key, "b", kRegDword, std::string(4, '\1')), kErrorSuccess);
        EXPECT_EQ(Query(key, "a"), "one\0"s);
        ASSERT_EQ(Set(key, "a", kRegSz, "two\0"s), kErrorSuccess);
        EXPECT_EQ(key.DeleteValue("b"), kErrorSuccess);
        // A write that fails leaves the batch going.
        RegistryKey doomed = Make("Doomed");
        ASSERT_EQ(RegistryKey::DeleteTree(Path("Doomed")), kErrorSuccess);
        EXPECT_EQ(Set(doomed, "v", kRegSz, "x\0"s), kErrorKeyDeleted);
        ASSERT_EQ(Set(kept, "c", kRegSz, "three\0"s), kErrorSuccess);
        EXPECT_EQ(batch.End(), kErrorSuccess);
        EXPECT_EQ(batch.End(), kErrorSuccess);
    }
    RegistryKey probe = Make("Batch\\Inner\\Leaf", RegAccess::Read);
    EXPECT_THAT(Names(probe, false), ElementsAre("a"));
    EXPECT_EQ(Query(probe, "a") + Query(kept, "c"), "two\0three\0"s);
    EXPECT_EQ(Open("Doomed"), kErrorFileNotFound);
}

} // namespace
} // namespace qv
