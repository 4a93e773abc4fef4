#include "platform/Paths.h"
#include "platform/TextCodec.h"

#include <windows.h>

namespace qv {

bool FileNamesEqual(std::string_view a, std::string_view b) {
    // NTFS folds letter case with its upcase table; the ordinal comparison without case is the same rule.
    const std::u16string wideA = TextCodec::ToUtf16(a);
    const std::u16string wideB = TextCodec::ToUtf16(b);
    return CompareStringOrdinal(reinterpret_cast<LPCWCH>(wideA.data()), static_cast<int>(wideA.size()),
                                reinterpret_cast<LPCWCH>(wideB.data()), static_cast<int>(wideB.size()),
                                TRUE) == CSTR_EQUAL;
}

} // namespace qv
