#pragma once
// The key store's file, registry.db: its header checked before SQLite may touch it, a new one made whole
// before any program sees it, its integrity verified and its schema checked or made.
#include <string>

#include <sys/types.h>

struct sqlite3;

namespace qv {

class KeyStoreFile {
public:
    static constexpr const char* kName = "registry.db";

    // The SQLite file header: a file that fails here is not opened.
    static bool HeaderLooksHealthy(const std::string& path, off_t fileSize);
    // Builds a complete, empty store under a temporary name and links it into place. When another program
    // was faster, its store wins.
    static long CreateFresh(const std::string& path);
    // SQLite's quick check; a store that fails it is damaged.
    static long Verify(sqlite3* db);
    // Makes an empty file a store, refuses another program's database or another format, and sets the
    // connection's options.
    static long PrepareSchema(sqlite3* db, bool readOnly);
};

} // namespace qv
