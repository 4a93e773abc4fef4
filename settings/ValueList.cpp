#include "ValueList.h"

#include "platform/TextCodec.h"

#include <algorithm>
#include <new>
#include <unordered_set>

namespace qv {

namespace {

// The text an item keeps: up to a zero byte, as the registry's C strings end there, and at most 260
// characters without splitting one.
std::string ItemText(std::string_view text) {
    return TextCodec::Cut(text.substr(0, text.find('\0')), kMaxText);
}

// Add's rules for many pieces at once. A damaged registry value can hold thousands of pieces; the set keeps
// the duplicate check linear for them.
std::size_t AppendUnique(std::vector<std::string>& items, const std::vector<std::string_view>& pieces) {
    std::size_t appended = 0;
    try {
        std::unordered_set<std::string> seen(items.begin(), items.end());
        for (std::string_view piece : pieces) {
            std::string item = ItemText(piece);
            if (item.empty() || seen.count(item) != 0)
                continue;
            items.push_back(item);
            seen.insert(std::move(item));
            ++appended;
        }
    } catch (const std::bad_alloc&) {
        // Out of memory: the list stays as far as it got.
    }
    return appended;
}

} // namespace

bool ValueList::Add(std::string_view text) {
    try {
        std::string item = ItemText(text);
        if (item.empty())
            return false;
        // Lists are a handful of items: a linear duplicate check is all they need.
        if (std::find(m_items.begin(), m_items.end(), item) != m_items.end())
            return false;
        m_items.push_back(std::move(item));
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool ParseList(ValueList& list, const char* text) {
    if (!text)
        return true;
    std::vector<std::string_view> pieces;
    try {
        std::string_view rest(text);
        while (true) {
            const std::size_t comma = rest.find(',');
            pieces.push_back(rest.substr(0, comma)); // empty pieces are refused on append
            if (comma == std::string_view::npos)
                break;
            rest.remove_prefix(comma + 1);
        }
    } catch (const std::bad_alloc&) {
        // Append what was split so far.
    }
    AppendUnique(list.MutableItems(), pieces);
    return true;
}

std::string JoinList(const ValueList& list) {
    std::string joined;
    bool first = true;
    for (const std::string& item : list.Items()) {
        if (!first)
            joined += ',';
        joined += item;
        first = false;
    }
    return joined;
}

std::size_t CopyList(ValueList& target, const ValueList& source) {
    // Copying a list onto itself keeps its items (duplicates dropped) instead of clearing the source first.
    std::vector<std::string> items;
    std::size_t appended = 0;
    try {
        const std::vector<std::string_view> pieces(source.Items().begin(), source.Items().end());
        appended = AppendUnique(items, pieces);
    } catch (const std::bad_alloc&) {
    }
    target.MutableItems() = std::move(items);
    return appended;
}

} // namespace qv
