#pragma once
// An ordered list of texts of at most 260 characters; the order is the handler's priority order.
// Stored in the registry as one comma-joined REG_SZ text.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

inline constexpr std::size_t kMaxText = 260;

class ValueList {
public:
    const std::vector<std::string>& Items() const { return m_items; }
    std::size_t Count() const { return m_items.size(); }
    bool Empty() const { return m_items.empty(); }
    bool operator==(const ValueList&) const = default;

    // AddListItem: appends text (cut at 260 characters); refused (false) when empty or already present
    // byte for byte.
    bool Add(std::string_view text);
    void Clear() { m_items.clear(); }
    // Editors (Settings Manager) reorder and replace items in place.
    std::vector<std::string>& MutableItems() { return m_items; }

private:
    std::vector<std::string> m_items;
};

// The operations as the settings code calls them.
bool ParseList(ValueList& list, const char* text);
inline bool AddListItem(ValueList& list, std::string_view text) { return list.Add(text); }
std::string JoinList(const ValueList& list);
std::size_t CopyList(ValueList& target, const ValueList& source);
inline void ClearList(ValueList& list) { list.Clear(); }

} // namespace qv
