#pragma once
// A key and everything below it into a RegFileWriter: what "qv_reg export" writes, for other programs of the
// suite that save the store (the wizard's backup).
#include "RegFileWriter.h"
#include "RegKeyPath.h"

#include <string>

namespace qv {

class RegistryKey;

class RegTreeExport {
public:
    // key is open for reading at path. False with one clause in error when a key or value cannot be read or
    // written without a change; the writer then holds a part and must not be used.
    static bool Add(const RegistryKey& key, const RegKeyPath& path, RegFileWriter& writer,
                    std::string& error);
};

} // namespace qv
