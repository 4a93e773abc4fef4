// Writes the key store for the process tests, on the machine its first argument names; exit 1 on a failure.
//   burst <first> [batch]   prints its process id, then writes steps until killed, printing the last step
//                           of each finished step (or batch of 1 to 24 steps)
//   share <id> <n> [batch]  writes n rounds beside other writers (ten in a batch)
//   read <key> <name>       prints a value's bytes; exit 3 when it is missing
#include "StoreProcess.h"
#include "platform/MachineDirectory.h"
#include "platform/RegistryBatch.h"

#include <algorithm>
#include <cstdio>

namespace {

using namespace qv;

// A record every step, a new tree every fourth, the tree of sixteen steps before deleted every eighth.
bool Step(RegistryKey& values, std::uint64_t step, std::uint64_t first) {
    RegistryKey leaf;
    if (test::Set(values, "v" + std::to_string(step % test::kCrashValues), kRegBinary,
                  test::MakeRecord(step)) ||
        (step % 4 == 0 && leaf.Create(test::CrashTree(step) + "\\A\\B", RegAccess::ReadWrite)))
        return false;
    const long gone =
        step % 8 == 0 && step >= first + 16 ? RegistryKey::DeleteTree(test::CrashTree(step - 16)) : 0;
    return gone == kErrorSuccess || gone == kErrorFileNotFound;
}

// Every writer fills the same key, makes keys below the same parents, and deletes trees of its own.
bool ShareRound(const std::string& id, int i) {
    const std::string name = test::SharedName(id, i),
                      scratch = std::string(test::kSharedKey) + "\\Scratch" + id;
    RegistryKey shared, sub, deep;
    return shared.Create(test::kSharedKey, RegAccess::ReadWrite) == kErrorSuccess &&
           test::Set(shared, name, kRegSz, name + '\0') == kErrorSuccess &&
           sub.Create(test::SharedSub(id, i), RegAccess::ReadWrite) == kErrorSuccess &&
           sub.SetValue("n", kRegDword, &i, sizeof i) == kErrorSuccess &&
           deep.Create(scratch + "\\a\\b", RegAccess::ReadWrite) == kErrorSuccess &&
           (i % 5 != 0 || RegistryKey::DeleteTree(scratch) == kErrorSuccess) && test::Get(shared, name);
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc >= 4 ? argv[2] : "";
    if (mode != "burst" && argc < 5)
        return 2;
    MachineDirectory::Set(argv[1]);
    RegistryKey key;
    if (mode == "read") {
        std::string bytes;
        long result = key.Open(argv[3], RegAccess::Read);
        result = result != kErrorSuccess ? result : key.ReadValue(argv[4], nullptr, bytes);
        std::fwrite(bytes.data(), 1, bytes.size(), stdout);
        return result == kErrorSuccess ? 0 : result == kErrorFileNotFound ? 3 : 1;
    }
    const bool batched = std::string(argv[argc - 1]) == "batch", burst = mode == "burst";
    if (burst && (key.Create(test::kCrashKey, RegAccess::ReadWrite) || std::printf("%d\n", ::getpid()) < 0))
        return 1;
    const std::uint64_t first = burst ? std::strtoull(argv[3], nullptr, 10) : 0;
    const std::uint64_t end = burst ? UINT64_MAX : std::strtoull(argv[4], nullptr, 10);
    for (std::uint64_t step = first; step < end;) {
        const std::uint64_t last = std::min(end - 1, step + (!batched ? 0 : burst ? step * 7 % 24 : 9));
        std::optional<RegistryBatch> batch;
        if (batched)
            batch.emplace();
        for (; step <= last; ++step) {
            if (!(burst ? Step(key, step, first) : ShareRound(argv[3], static_cast<int>(step))))
                return 1;
        }
        if ((batch && batch->End()) ||
            (burst &&
             (std::printf("%llu\n", static_cast<unsigned long long>(last)) < 0 || std::fflush(stdout))))
            return 1;
    }
    return 0;
}
