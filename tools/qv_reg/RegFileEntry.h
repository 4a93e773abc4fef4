#pragma once
// One step of a .reg file, in file order: open (or create) a key, delete a key tree, set or delete a value
// of the key opened last.
#include "RegValue.h"

#include <string>

namespace qv {

struct RegFileEntry {
    enum class Kind { CreateKey, DeleteKey, SetValue, DeleteValue };

    Kind kind = Kind::CreateKey;
    std::string key; // below HKEY_LOCAL_MACHINE; for values, the key they belong to
    RegValue value;  // SetValue: all of it; DeleteValue: the name
    int line = 0;

    bool operator==(const RegFileEntry&) const = default;
};

} // namespace qv
