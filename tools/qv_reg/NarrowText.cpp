#include "NarrowText.h"

#include "platform/TextCodec.h"

namespace qv {

bool NarrowText::ToUtf16(std::string_view narrow, std::u16string& wide) {
    wide = TextCodec::ToUtf16(narrow);
    return TextCodec::FromUtf16(wide) == narrow;
}

bool NarrowText::FromUtf16(std::u16string_view wide, std::string& narrow) {
    narrow = TextCodec::FromUtf16(wide);
    return TextCodec::ToUtf16(narrow) == wide;
}

} // namespace qv
