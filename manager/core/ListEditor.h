#pragma once
// The working copy of one list in the list editor: its rows, the selected row, the buttons that apply to
// them and the changed flag. The dialogs only show it; the list they were given is replaced on OK alone.
#include "settings/ValueList.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

class ListEditor {
public:
    using Row = std::optional<std::size_t>;
    struct Buttons {
        bool edit = false;
        bool remove = false;
        bool up = false;
        bool down = false;
        bool operator==(const Buttons&) const = default;
    };

    // The rows are the list's items in order, empty ones left out; nothing is selected.
    explicit ListEditor(const ValueList& list);

    const std::vector<std::string>& Rows() const { return m_rows; }
    Row Selected() const { return m_selected; }
    // A row past the end selects nothing.
    void Select(Row row);
    bool Changed() const { return m_changed; }

    static Buttons ButtonsFor(Row selected, std::size_t rowCount);
    Buttons Enabled() const { return ButtonsFor(m_selected, m_rows.size()); }

    // The confirmed actions; each sets the changed flag when it applies. Add appends and selects text
    // unless a row holds it in any letter case (true when appended). Edit replaces the selected row's text
    // without that check; an empty text removes the row.
    bool Add(std::string_view text);
    void Edit(std::string_view text);
    void Remove();
    void Up();
    void Down();

    // The rows into list, through AddListItem: empty rows and exact repeats dropped, long texts cut.
    void CommitTo(ValueList& list) const;

    // Equal when they differ in letter case only; multi-byte characters are compared whole.
    static bool SameIgnoringCase(std::string_view a, std::string_view b);
    // " .HTML " -> "html": trimmed, lower case, leading full stops removed.
    static std::string NormaliseExtension(std::string_view text);

private:
    void Swap(std::size_t row, std::size_t other);

    std::vector<std::string> m_rows;
    Row m_selected;
    bool m_changed = false;
};

} // namespace qv
