#include "WindowPlacement.h"

#include "platform/RegistryKey.h"
#include "platform/WinError.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cstring>

namespace qv {

WindowPlacement::WindowPlacement(std::string key) : m_key(std::move(key)) {}

std::optional<std::vector<std::int32_t>> WindowPlacement::Read(const std::string& name,
                                                               std::size_t count) const {
    RegistryKey key;
    if (key.Open(m_key, RegAccess::Read) != kErrorSuccess)
        return std::nullopt;
    const std::size_t bytes = count * sizeof(std::int32_t);
    std::string data;
    if (key.ReadValue(name, nullptr, data, static_cast<std::uint32_t>(bytes)) != kErrorSuccess ||
        data.size() != bytes)
        return std::nullopt;
    // Every target we build for is little-endian, as the stored values are.
    std::vector<std::int32_t> numbers(count);
    std::memcpy(numbers.data(), data.data(), bytes);
    return numbers;
}

std::optional<QRect> WindowPlacement::ReadRect(const std::string& name) const {
    const auto numbers = Read(name, 4);
    if (!numbers)
        return std::nullopt;
    return RectFromNumbers(numbers->data());
}

QList<int> WindowPlacement::ReadWidths(const std::string& name, const QList<int>& defaults) const {
    QList<int> widths = defaults;
    if (const auto numbers = Read(name, static_cast<std::size_t>(defaults.size()))) {
        for (qsizetype i = 0; i < widths.size(); ++i) {
            const std::int32_t width = (*numbers)[static_cast<std::size_t>(i)];
            if (width > 0)
                widths[i] = width;
        }
    }
    return widths;
}

void WindowPlacement::Set(const std::string& name, std::vector<std::int32_t> numbers) {
    const auto same = std::find_if(m_pending.begin(), m_pending.end(),
                                   [&name](const auto& value) { return value.first == name; });
    if (same != m_pending.end())
        same->second = std::move(numbers);
    else
        m_pending.emplace_back(name, std::move(numbers));
}

void WindowPlacement::SetRect(const std::string& name, const QRect& rect) {
    Set(name, RectNumbers(rect));
}

void WindowPlacement::SetWidths(const std::string& name, const QList<int>& widths) {
    Set(name, std::vector<std::int32_t>(widths.begin(), widths.end()));
}

bool WindowPlacement::Save() const {
    RegistryKey key;
    if (key.Open(m_key, RegAccess::Write) != kErrorSuccess &&
        key.Create(m_key, RegAccess::Write) != kErrorSuccess)
        return false;
    bool written = true;
    for (const auto& [name, numbers] : m_pending)
        written = key.SetValue(name, kRegBinary, numbers.data(),
                               static_cast<std::uint32_t>(numbers.size() * sizeof(std::int32_t))) ==
                      kErrorSuccess &&
                  written;
    return written;
}

std::vector<std::int32_t> WindowPlacement::RectNumbers(const QRect& rect) {
    // QRect's right() is the last pixel; the kept right edge is one past it.
    return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

QRect WindowPlacement::RectFromNumbers(const std::int32_t* numbers) {
    return QRect(QPoint(numbers[0], numbers[1]), QSize(numbers[2] - numbers[0], numbers[3] - numbers[1]));
}

QList<int> WindowPlacement::SectionWidths(const QHeaderView* header) {
    QList<int> widths;
    for (int section = 0; section < header->count(); ++section)
        widths.append(header->sectionSize(section));
    return widths;
}

void WindowPlacement::ResizeSections(QHeaderView* header, const QList<int>& widths) {
    for (qsizetype i = 0; i < widths.size() && i < header->count(); ++i)
        header->resizeSection(static_cast<int>(i), widths[i]);
}

QRect WindowPlacement::NormalPlace(const QWidget* window) {
    return window->isMaximized() || window->isMinimized() ? window->normalGeometry() : window->geometry();
}

void WindowPlacement::MoveOntoScreen(QWidget* window, const QRect& place) {
    if (QGuiApplication::screenAt(place.center()))
        window->setGeometry(place);
    else
        window->resize(place.size());
}

} // namespace qv
