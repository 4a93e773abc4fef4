#pragma once
// Reading, defaulting and writing one settings value. Every value is REG_SZ, numbers included.
#include "ValueList.h"
#include "platform/RegistryKey.h"

#include <cstdint>
#include <string>

namespace qv {

enum RegMode : unsigned {
    ReadStored = 1,
    WriteStored = 2,
    UseTemplate = 4,
};

// key may be null or closed: nothing is read or written then. Each answers 0, or the error of a write that
// failed (reads that fall back to the template are no error).
long RegNumber(RegistryKey* key, const char* name, std::int32_t& target, std::int32_t templ, unsigned mode);
long RegText(RegistryKey* key, const char* name, std::string& target, const std::string& templ,
             unsigned mode);
long RegList(RegistryKey* key, const char* name, ValueList& target, const ValueList& templ, unsigned mode);

} // namespace qv
