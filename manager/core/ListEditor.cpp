#include "ListEditor.h"

#include "platform/TextCodec.h"

#include <utility>

namespace qv {

namespace {

// Lower case of the letters of the code pages the suite meets: ASCII, Latin-1, Latin Extended-A, Greek
// and Cyrillic. Other characters are their own.
char16_t Lower(char16_t c) {
    if ((c >= u'A' && c <= u'Z') || (c >= 0x00C0 && c <= 0x00DE && c != 0x00D7) ||
        (c >= 0x0391 && c <= 0x03AB && c != 0x03A2) || (c >= 0x0410 && c <= 0x042F))
        return static_cast<char16_t>(c + 0x20);
    if (c >= 0x0400 && c <= 0x040F)
        return static_cast<char16_t>(c + 0x50);
    if (c == 0x0178)
        return 0x00FF;
    const bool evenUpper =
        (c >= 0x0100 && c <= 0x012F) || (c >= 0x0132 && c <= 0x0137) || (c >= 0x014A && c <= 0x0177);
    const bool oddUpper = (c >= 0x0139 && c <= 0x0148) || (c >= 0x0179 && c <= 0x017E);
    if ((evenUpper && c % 2 == 0) || (oddUpper && c % 2 == 1))
        return static_cast<char16_t>(c + 1);
    return c;
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

// The text in lower case. Through UTF-16 so that no byte of a multi-byte character is taken for a letter;
// a text that does not survive the round trip (malformed) has its ASCII letters lowered only, which is safe
// in UTF-8 and leaves the other bytes exactly as they were.
std::string LowerText(std::string_view text) {
    std::u16string wide = TextCodec::ToUtf16(text);
    if (TextCodec::FromUtf16(wide) == text) {
        for (char16_t& c : wide)
            c = Lower(c);
        return TextCodec::FromUtf16(wide);
    }
    std::string lowered(text);
    for (char& c : lowered)
        c = LowerAscii(c);
    return lowered;
}

} // namespace

ListEditor::ListEditor(const ValueList& list) {
    for (const std::string& item : list.Items())
        if (!item.empty())
            m_rows.push_back(item);
}

void ListEditor::Select(Row row) {
    m_selected = row && *row < m_rows.size() ? row : std::nullopt;
}

ListEditor::Buttons ListEditor::ButtonsFor(Row selected, std::size_t rowCount) {
    if (!selected || *selected >= rowCount)
        return {};
    return {true, true, *selected > 0, *selected + 1 < rowCount};
}

bool ListEditor::Add(std::string_view text) {
    m_changed = true;
    for (const std::string& row : m_rows)
        if (SameIgnoringCase(row, text))
            return false;
    m_rows.emplace_back(text);
    m_selected = m_rows.size() - 1;
    return true;
}

void ListEditor::Edit(std::string_view text) {
    if (!m_selected)
        return;
    if (text.empty()) {
        Remove();
        return;
    }
    m_rows[*m_selected] = std::string(text);
    m_changed = true;
}

void ListEditor::Remove() {
    if (!m_selected)
        return;
    const std::size_t row = *m_selected;
    m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(row));
    if (row < m_rows.size())
        m_selected = row;
    else if (row > 0)
        m_selected = row - 1;
    else
        m_selected.reset();
    m_changed = true;
}

void ListEditor::Up() {
    if (Enabled().up)
        Swap(*m_selected, *m_selected - 1);
}

void ListEditor::Down() {
    if (Enabled().down)
        Swap(*m_selected, *m_selected + 1);
}

void ListEditor::Swap(std::size_t row, std::size_t other) {
    std::swap(m_rows[row], m_rows[other]);
    m_selected = other;
    m_changed = true;
}

void ListEditor::CommitTo(ValueList& list) const {
    ValueList committed;
    for (const std::string& row : m_rows)
        AddListItem(committed, row);
    list = std::move(committed);
}

bool ListEditor::SameIgnoringCase(std::string_view a, std::string_view b) {
    return a == b || LowerText(a) == LowerText(b);
}

std::string ListEditor::NormaliseExtension(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\r\n\v\f";
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    text = text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
    std::string lowered = LowerText(text);
    lowered.erase(0, lowered.find_first_not_of('.'));
    return lowered;
}

} // namespace qv
