// A program that writes the key store for the store's process tests:
//   qv_store_writer <machine> burst <first>   writes records until it is killed, printing each step it
//                                             finished on stdout
//   qv_store_writer <machine> share <id> <n>  writes n values beside other writers; exit code 1 and a
//                                             message on the first call that fails
#include "StoreRecord.h"
#include "platform/MachineDirectory.h"
#include "platform/RegistryKey.h"
#include "platform/WinError.h"

#include <cstdio>
#include <cstdlib>
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

int Burst(std::uint64_t first) {
    RegistryKey values;
    if (!Check(values.Create(test::kCrashKey, RegAccess::ReadWrite), "Create", test::kCrashKey))
        return 1;
    for (std::uint64_t step = first;; ++step) {
        std::string record = test::MakeRecord(step);
        std::string name = "v" + std::to_string(step % test::kCrashValues);
        if (!Check(
                values.SetValue(name, kRegBinary, record.data(), static_cast<std::uint32_t>(record.size())),
                "SetValue", name))
            return 1;
        if (step % 4 == 0) {
            std::string tree = test::CrashTree(step);
            RegistryKey leaf;
            if (!Check(leaf.Create(tree + "\\A\\B", RegAccess::ReadWrite), "Create", tree))
                return 1;
        }
        if (step % 8 == 0 && step >= first + 16) {
            std::string tree = test::CrashTree(step - 16);
            long result = RegistryKey::DeleteTree(tree);
            if (result != kErrorFileNotFound && !Check(result, "DeleteTree", tree))
                return 1;
        }
        std::string line = std::to_string(step) + "\n";
        if (::write(1, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
            return 1;
    }
}

int Share(const std::string& id, int count) {
    for (int i = 0; i < count; ++i) {
        // Every writer fills the same key and makes keys below the same parents.
        RegistryKey shared;
        if (!Check(shared.Create(test::kSharedKey, RegAccess::ReadWrite), "Create", test::kSharedKey))
            return 1;
        std::string name = test::SharedValueName(id, i);
        std::string value = name + '\0';
        if (!Check(shared.SetValue(name, kRegSz, value.data(), static_cast<std::uint32_t>(value.size())),
                   "SetValue", name))
            return 1;
        std::string path = test::SharedSubKey(id, i);
        RegistryKey sub;
        if (!Check(sub.Create(path, RegAccess::ReadWrite), "Create", path))
            return 1;
        if (!Check(sub.SetValue("n", kRegDword, &i, sizeof i), "SetValue", path))
            return 1;
        // Short-lived trees of its own, deleted while the others write.
        std::string scratch = std::string(test::kSharedKey) + "\\Scratch" + id;
        RegistryKey deep;
        if (!Check(deep.Create(scratch + "\\a\\b", RegAccess::ReadWrite), "Create", scratch))
            return 1;
        if (i % 5 == 0 && !Check(RegistryKey::DeleteTree(scratch), "DeleteTree", scratch))
            return 1;
        std::uint32_t size = 0;
        if (!Check(shared.QueryValue(name, nullptr, nullptr, &size), "QueryValue", name))
            return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    qv::MachineDirectory::Set(argv[1]);
    std::string mode = argv[2];
    if (mode == "burst" && argc == 4)
        return Burst(std::strtoull(argv[3], nullptr, 10));
    if (mode == "share" && argc == 5)
        return Share(argv[3], std::atoi(argv[4]));
    return 2;
}
