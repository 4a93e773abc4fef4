#pragma once
// A window's place and its lists' column widths, kept as REG_BINARY values of 32-bit signed integers under
// one key of HKEY_LOCAL_MACHINE. A rectangle is kept as left, top, right, bottom, right and bottom one past
// the last pixel. A value that is missing or has another size than asked for reads as nothing; the values set
// reach the registry only on Save, all through one open of the key.
#include <QList>
#include <QRect>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QHeaderView;
class QWidget;

namespace qv {

class WindowPlacement {
public:
    explicit WindowPlacement(std::string key);

    const std::string& Key() const { return m_key; }

    // Exactly count numbers, or nothing.
    std::optional<std::vector<std::int32_t>> Read(const std::string& name, std::size_t count) const;
    std::optional<QRect> ReadRect(const std::string& name) const;
    // As many widths as defaults: all the defaults when the value cannot be read, and a width below 1 gives
    // way to its column's default.
    QList<int> ReadWidths(const std::string& name, const QList<int>& defaults) const;

    void Set(const std::string& name, std::vector<std::int32_t> numbers);
    void SetRect(const std::string& name, const QRect& rect);
    void SetWidths(const std::string& name, const QList<int>& widths);
    // Opens the key for writing, or creates it; when neither works nothing is written and false comes back.
    bool Save() const;

    static std::vector<std::int32_t> RectNumbers(const QRect& rect);
    static QRect RectFromNumbers(const std::int32_t* numbers);

    // The widths of a header's sections, and the other way round (sections past the list are left alone).
    static QList<int> SectionWidths(const QHeaderView* header);
    static void ResizeSections(QHeaderView* header, const QList<int>& widths);
    // The window's place when it is neither maximised nor minimised.
    static QRect NormalPlace(const QWidget* window);
    // Puts the window at place; a place that no screen shows any more (a monitor removed) keeps the size
    // only.
    static void MoveOntoScreen(QWidget* window, const QRect& place);

private:
    std::string m_key;
    std::vector<std::pair<std::string, std::vector<std::int32_t>>> m_pending;
};

} // namespace qv
