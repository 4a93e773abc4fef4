#include "LogTableModel.h"

#include "logviewer/parse/LogRecord.h"
#include "logviewer/parse/LogText.h"

#include <QString>

#include <algorithm>
#include <limits>
#include <numeric>

namespace qv {

namespace {
// A view counts its rows in int.
constexpr std::size_t kMaxRows = static_cast<std::size_t>(std::numeric_limits<int>::max());

QString Local(std::string_view text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}
} // namespace

LogTableModel::LogTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void LogTableModel::SetFile(std::shared_ptr<const LogFile> file) {
    beginResetModel();
    m_file = std::move(file);
    m_available = 0;
    m_filtered = false;
    m_shown.clear();
    endResetModel();
    Q_EMIT countsChanged();
}

void LogTableModel::Clear() {
    SetFile(nullptr);
}

void LogTableModel::SetAvailableRows(std::size_t rows) {
    rows = std::min(rows, kMaxRows);
    if (!m_file || rows <= m_available)
        return;
    if (m_filtered) {
        m_available = rows;
    } else {
        beginInsertRows(QModelIndex(), static_cast<int>(m_available), static_cast<int>(rows - 1));
        m_available = rows;
        endInsertRows();
    }
    Q_EMIT countsChanged();
}

void LogTableModel::RowChanged(std::size_t fileRow) {
    if (fileRow >= m_available)
        return;
    const auto [first, last] = ListRows(fileRow, fileRow);
    if (first <= last)
        Q_EMIT dataChanged(index(first, 0), index(last, columnCount() - 1), {Qt::DisplayRole});
}

void LogTableModel::BeginFilter() {
    beginResetModel();
    m_filtered = true;
    m_shown.clear();
    endResetModel();
    Q_EMIT countsChanged();
}

void LogTableModel::AppendShown(const std::vector<std::uint32_t>& rows) {
    if (!m_filtered || rows.empty())
        return;
    const std::size_t room = kMaxRows - m_shown.size();
    const std::size_t count = std::min(rows.size(), room);
    if (count == 0)
        return;
    beginInsertRows(QModelIndex(), static_cast<int>(m_shown.size()),
                    static_cast<int>(m_shown.size() + count - 1));
    m_shown.insert(m_shown.end(), rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(count));
    endInsertRows();
    Q_EMIT countsChanged();
}

void LogTableModel::EndFilter() {
    if (!m_filtered)
        return;
    beginResetModel();
    m_filtered = false;
    m_shown.clear();
    m_shown.shrink_to_fit();
    endResetModel();
    Q_EMIT countsChanged();
}

std::size_t LogTableModel::FileRow(int row) const {
    return m_filtered ? m_shown[static_cast<std::size_t>(row)] : static_cast<std::size_t>(row);
}

std::vector<std::uint32_t> LogTableModel::ShownFileRows() const {
    if (m_filtered)
        return m_shown;
    std::vector<std::uint32_t> rows(m_available);
    std::iota(rows.begin(), rows.end(), 0u);
    return rows;
}

std::pair<int, int> LogTableModel::ListRows(std::size_t first, std::size_t last) const {
    if (!m_filtered) {
        const std::size_t end = std::min(last + 1, m_available);
        return {static_cast<int>(first), static_cast<int>(end) - 1};
    }
    const auto begin = std::lower_bound(m_shown.begin(), m_shown.end(), first);
    const auto end = std::upper_bound(begin, m_shown.end(), last);
    return {static_cast<int>(begin - m_shown.begin()), static_cast<int>(end - m_shown.begin()) - 1};
}

int LogTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(ShownRows());
}

int LogTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(kLogColumnCount);
}

QVariant LogTableModel::data(const QModelIndex& index, int role) const {
    if (!m_file || !index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::DisplayRole) {
        const std::size_t row = FileRow(index.row());
        const LogRecord record = m_file->Record(row);
        const bool decode = LogText::Decodes(m_file->Line(row));
        return QString::fromStdString(
            LogText::Utf8(record.Column(static_cast<std::size_t>(index.column())), decode));
    }
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    return {};
}

QVariant LogTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= static_cast<int>(kLogColumnCount))
        return {};
    if (role == Qt::DisplayRole)
        return Local(kLogColumnNames[static_cast<std::size_t>(section)]);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    return {};
}

} // namespace qv
