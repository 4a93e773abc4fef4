// A program that writes the key store for the store's process tests:
//   qv_store_writer <machine> burst <first> [batch]   writes records until it is killed, printing each
//                                                     step it finished on stdout; in batches of 1 to 24
//                                                     steps, printing the last step of each
//   qv_store_writer <machine> share <id> <n> [batch]  writes n values beside other writers, ten rounds in
//                                                     a batch; exit code 1 and a message on the first
//                                                     call that fails
//   qv_store_writer <machine> read <key> <name>       prints a value's bytes; exit code 3 when it is missing
#include "StoreRecord.h"
#include "platform/MachineDirectory.h"
#include "platform/RegistryBatch.h"
#include "platform/RegistryKey.h"
#include "platform/WinError.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include <unistd.h>

namespace {

using namespace qv;

bool Check(long result, const char* what, const std::string& detail) {
    if (result == kErrorSuccess)
        return true;
    std::fprintf(stderr, "%s %s failed with %ld\n", what, detail.c_str(), result);
    return false;
}

// One step: a record, every fourth step a new tree, every eighth the tree of sixteen steps before deleted.
bool WriteStep(RegistryKey& values, std::uint64_t step, std::uint64_t first) {
    std::string record = test::MakeRecord(step);
    std::string name = "v" + std::to_string(step % test::kCrashValues);
    if (!Check(values.SetValue(name, kRegBinary, record.data(), static_cast<std::uint32_t>(record.size())),
               "SetValue", name))
        return false;
    if (step % 4 == 0) {
        std::string tree = test::CrashTree(step);
        RegistryKey leaf;
        if (!Check(leaf.Create(tree + "\\A\\B", RegAccess::ReadWrite), "Create", tree))
            return false;
    }
    if (step % 8 == 0 && step >= first + 16) {
        std::string tree = test::CrashTree(step - 16);
        long result = RegistryKey::DeleteTree(tree);
        if (result != kErrorFileNotFound && !Check(result, "DeleteTree", tree))
            return false;
    }
    return true;
}

int Burst(std::uint64_t first, bool batched) {
    RegistryKey values;
    if (!Check(values.Create(test::kCrashKey, RegAccess::ReadWrite), "Create", test::kCrashKey))
        return 1;
    for (std::uint64_t step = first;;) {
        const std::uint64_t last = step + (batched ? step * 7 % 24 : 0);
        {
            std::optional<RegistryBatch> batch;
            if (batched)
                batch.emplace();
            for (; step <= last; ++step) {
                if (!WriteStep(values, step, first))
                    return 1;
            }
            if (batch && !Check(batch->End(), "End", std::to_string(last)))
                return 1;
        }
        std::string line = std::to_string(last) + "\n";
        if (::write(1, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
            return 1;
    }
}

// Round i of a sharing writer.
bool ShareRound(const std::string& id, int i) {
    // Every writer fills the same key and makes keys below the same parents.
    RegistryKey shared;
    if (!Check(shared.Create(test::kSharedKey, RegAccess::ReadWrite), "Create", test::kSharedKey))
        return false;
    std::string name = test::SharedValueName(id, i);
    std::string value = name + '\0';
    if (!Check(shared.SetValue(name, kRegSz, value.data(), static_cast<std::uint32_t>(value.size())),
               "SetValue", name))
        return false;
    std::string path = test::SharedSubKey(id, i);
    RegistryKey sub;
    if (!Check(sub.Create(path, RegAccess::ReadWrite), "Create", path))
        return false;
    if (!Check(sub.SetValue("n", kRegDword, &i, sizeof i), "SetValue", path))
        return false;
    // Short-lived trees of its own, deleted while the others write.
    std::string scratch = std::string(test::kSharedKey) + "\\Scratch" + id;
    RegistryKey deep;
    if (!Check(deep.Create(scratch + "\\a\\b", RegAccess::ReadWrite), "Create", scratch))
        return false;
    if (i % 5 == 0 && !Check(RegistryKey::DeleteTree(scratch), "DeleteTree", scratch))
        return false;
    std::uint32_t size = 0;
    return Check(shared.QueryValue(name, nullptr, nullptr, &size), "QueryValue", name);
}

int Share(const std::string& id, int count, bool batched) {
    for (int group = 0; group < count; group += 10) {
        std::optional<RegistryBatch> batch;
        if (batched)
            batch.emplace();
        for (int i = group; i < std::min(group + 10, count); ++i) {
            if (!ShareRound(id, i))
                return 1;
        }
        if (batch && !Check(batch->End(), "End", id))
            return 1;
    }
    return 0;
}

int Read(const std::string& path, const std::string& name) {
    RegistryKey key;
    long result = key.Open(path, RegAccess::Read);
    std::uint32_t size = 0;
    if (result == kErrorSuccess)
        result = key.QueryValue(name, nullptr, nullptr, &size);
    if (result == kErrorFileNotFound)
        return 3;
    std::string bytes(size, '\0');
    if (!Check(result, "QueryValue", name) ||
        !Check(key.QueryValue(name, nullptr, bytes.data(), &size), "QueryValue", name))
        return 1;
    return std::fwrite(bytes.data(), 1, size, stdout) == size ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    qv::MachineDirectory::Set(argv[1]);
    std::string mode = argv[2];
    const bool batched = std::string(argv[argc - 1]) == "batch";
    if (mode == "burst" && argc == 4 + batched)
        return Burst(std::strtoull(argv[3], nullptr, 10), batched);
    if (mode == "share" && argc == 5 + batched)
        return Share(argv[3], std::atoi(argv[4]), batched);
    if (mode == "read" && argc == 5)
        return Read(argv[3], argv[4]);
    return 2;
}
