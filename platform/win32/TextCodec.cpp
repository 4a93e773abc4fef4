#include "platform/TextCodec.h"

#include <windows.h>

#include <climits>

namespace qv {

std::u16string TextCodec::ToUtf16(std::string_view narrow) {
    if (narrow.empty() || narrow.size() > INT_MAX)
        return std::u16string();
    const int length = static_cast<int>(narrow.size());
    const int needed = MultiByteToWideChar(CP_ACP, 0, narrow.data(), length, nullptr, 0);
    if (needed <= 0)
        return std::u16string();
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(CP_ACP, 0, narrow.data(), length, wide.data(), needed);
    return std::u16string(wide.begin(), wide.end());
}

std::string TextCodec::FromUtf16(std::u16string_view wide) {
    if (wide.empty() || wide.size() > INT_MAX)
        return std::string();
    const std::wstring text(wide.begin(), wide.end());
    const int length = static_cast<int>(text.size());
    const int needed = WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return std::string();
    std::string narrow(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), length, narrow.data(), needed, nullptr, nullptr);
    return narrow;
}

std::string TextCodec::Cut(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes)
        return std::string(text);
    std::size_t end = 0;
    while (end < text.size()) {
        // A lead byte and its trail byte stay together; a lead byte at the very end stands alone.
        const bool pair = IsDBCSLeadByte(static_cast<BYTE>(text[end])) && end + 1 < text.size();
        const std::size_t step = pair ? 2 : 1;
        if (end + step > maxBytes)
            break;
        end += step;
    }
    return std::string(text.substr(0, end));
}

bool TextCodec::NarrowIsUtf8() {
    return false;
}

} // namespace qv
