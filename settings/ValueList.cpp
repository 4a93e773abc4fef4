#include "ValueList.h"

#include "platform/TextCodec.h"

#include <algorithm>

namespace qv {

bool ValueList::Add(std::string_view text) {
    if (text.empty())
        return false;
    std::string item = TextCodec::Cut(text, kMaxText);
    // Lists are a handful of items: a linear duplicate check is all they need.
    if (std::find(m_items.begin(), m_items.end(), item) != m_items.end())
        return false;
    m_items.push_back(std::move(item));
    return true;
}

bool ParseList(ValueList& list, const char* text) {
    if (!text)
        return true;
    std::string_view rest(text);
    while (true) {
        const std::size_t comma = rest.find(',');
        list.Add(rest.substr(0, comma)); // empty pieces are refused by Add
        if (comma == std::string_view::npos)
            break;
        rest.remove_prefix(comma + 1);
    }
    return true;
}

std::string JoinList(const ValueList& list) {
    std::string joined;
    for (const std::string& item : list.Items()) {
        if (!joined.empty())
            joined += ',';
        joined += item;
    }
    return joined;
}

std::size_t CopyList(ValueList& target, const ValueList& source) {
    target.Clear();
    std::size_t appended = 0;
    for (const std::string& item : source.Items())
        appended += target.Add(item) ? 1 : 0;
    return appended;
}

} // namespace qv
