#pragma once
// Groups registry writes. While a RegistryBatch is alive, the POSIX key store puts the writes of the whole
// process (SetValue, DeleteValue, key creation, DeleteTree) into one transaction instead of one each: the
// first write takes the store's write lock, and the last batch to end commits. Batches nest; only the
// outermost one commits. On Win32 a batch does nothing: every write goes to the registry at once.
//
// What a batch changes on POSIX:
// - Reads see the batch's writes at once; other programs see them after the commit. A write that finds the
//   transaction older than 50 ms commits it and begins a new one, so that other programs writing the same
//   store never wait much longer: a batch groups writes, it is no unit of atomicity.
// - Each write stays whole: a write that fails leaves its value (or key path) as it was and the batch goes
//   on. When the writer dies, the values of its last, uncommitted transaction are simply old.
// - When SQLite loses the transaction (an I/O error, a full disk), the writes since the last commit are
//   gone: the write that finds out returns the error, and End gives it too.
// - The batch belongs to the process, not to a thread: the store's connection is shared, so writes made by
//   any thread while a batch is alive join its transaction, and a batch may end on another thread than the
//   one that began it.
// - Keep slow work (file copies, waits for other programs) out of a batch: its transaction holds the
//   store's write lock until the next write after 50 ms, or until the batch ends.
// - A switch of the machine directory commits the transaction on the old store; the batch goes on in the
//   new one.
// - A forked child never uses its parent's connection nor ends its transaction; batches it inherited
//   count on in the child. It reads the store through a connection of its own, but SQLite's lock records
//   in the child still hold the write lock the parent held at the fork: a child forked while a batch (or
//   any write) was under way gets kErrorBusy for every write to that store. Children that need to write
//   should be started with exec, as Process.h does.
namespace qv {

class RegistryBatch {
public:
    RegistryBatch();
    ~RegistryBatch();
    RegistryBatch(const RegistryBatch&) = delete;
    RegistryBatch& operator=(const RegistryBatch&) = delete;

    // Ends the batch now rather than at destruction. Returns 0, or the first error that lost writes made
    // since the outermost batch began (a failed commit included); later calls return 0.
    long End();

private:
    bool m_active = true;
};

} // namespace qv
