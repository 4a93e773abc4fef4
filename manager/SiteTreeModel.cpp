#include "SiteTreeModel.h"

#include "ManagerImages.h"
#include "manager/core/SettingsSession.h"

#include <QBrush>
#include <QColor>

#include <algorithm>

namespace qv {

// Items keep their session row as internal id; a site's parent is always "All Web Sites".
SiteTreeModel::SiteTreeModel(const SettingsSession& session, QObject* parent)
    : QAbstractItemModel(parent), m_session(session), m_arrow(ManagerImages::Arrow()),
      m_blank(ManagerImages::Blank()) {
    SetFilter({});
}

void SiteTreeModel::SetFilter(const QString& text) {
    beginResetModel();
    m_filter = text.trimmed();
    m_shownSites.clear();
    const SiteRows& rows = m_session.Rows();
    for (int row = SiteRows::kFirstSiteRow; rows.IsSiteRow(row); ++row)
        if (Matches(row))
            m_shownSites.push_back(row);
    endResetModel();
}

bool SiteTreeModel::Matches(int sessionRow) const {
    if (m_filter.isEmpty())
        return true;
    const SiteRows& rows = m_session.Rows();
    const SiteSettings* record = rows.RecordOfRow(sessionRow);
    return QString::fromLocal8Bit(rows.Text(sessionRow)).contains(m_filter, Qt::CaseInsensitive) ||
           (record && QString::number(record->siteId).contains(m_filter));
}

bool SiteTreeModel::Shown(int sessionRow) const {
    if (sessionRow == SiteRows::kDefaultRow)
        return m_session.Rows().Valid(sessionRow);
    if (sessionRow == SiteRows::kAllSitesRow)
        return m_session.Rows().HasSites();
    return std::binary_search(m_shownSites.begin(), m_shownSites.end(), sessionRow);
}

int SiteTreeModel::SessionRow(const QModelIndex& index) const {
    return index.isValid() ? static_cast<int>(index.internalId()) : SiteRows::kNoRow;
}

QModelIndex SiteTreeModel::IndexOf(int sessionRow, int column) const {
    if (sessionRow == SiteRows::kDefaultRow || sessionRow == SiteRows::kAllSitesRow)
        return Shown(sessionRow) ? createIndex(sessionRow, column, static_cast<quintptr>(sessionRow))
                                 : QModelIndex();
    const auto found = std::lower_bound(m_shownSites.begin(), m_shownSites.end(), sessionRow);
    if (found == m_shownSites.end() || *found != sessionRow)
        return {};
    return createIndex(static_cast<int>(found - m_shownSites.begin()), column,
                       static_cast<quintptr>(sessionRow));
}

void SiteTreeModel::RowChanged(int sessionRow, int column) {
    const QModelIndex changed = IndexOf(sessionRow, column);
    if (changed.isValid())
        Q_EMIT dataChanged(changed, changed);
}

void SiteTreeModel::StatusChanged(const std::vector<int>& sessionRows) {
    if (sessionRows.empty())
        return;
    if (std::binary_search(sessionRows.begin(), sessionRows.end(), SiteRows::kDefaultRow))
        RowChanged(SiteRows::kDefaultRow, kStatusColumn);
    // One signal for the shown site rows between the first and last written, however many there are.
    const auto first = std::lower_bound(m_shownSites.begin(), m_shownSites.end(), sessionRows.front());
    const auto last = std::upper_bound(m_shownSites.begin(), m_shownSites.end(), sessionRows.back());
    if (first < last) {
        const QModelIndex parentIndex = IndexOf(SiteRows::kAllSitesRow);
        Q_EMIT dataChanged(
            index(static_cast<int>(first - m_shownSites.begin()), kStatusColumn, parentIndex),
            index(static_cast<int>(last - m_shownSites.begin()) - 1, kStatusColumn, parentIndex));
    }
}

void SiteTreeModel::ArrowMoved(int fromRow, int toRow) {
    if (fromRow != toRow)
        RowChanged(fromRow, kSitesColumn);
    RowChanged(toRow, kSitesColumn);
}

QModelIndex SiteTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column < 0 || column >= kColumnCount)
        return {};
    if (!parent.isValid())
        return row < rowCount() ? createIndex(row, column, static_cast<quintptr>(row)) : QModelIndex();
    if (SessionRow(parent) != SiteRows::kAllSitesRow || parent.column() != 0 ||
        row >= static_cast<int>(m_shownSites.size()))
        return {};
    return createIndex(row, column, static_cast<quintptr>(m_shownSites[static_cast<std::size_t>(row)]));
}

QModelIndex SiteTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || SessionRow(child) < SiteRows::kFirstSiteRow)
        return {};
    return createIndex(SiteRows::kAllSitesRow, 0, static_cast<quintptr>(SiteRows::kAllSitesRow));
}

int SiteTreeModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid())
        return m_session.Rows().HasSites() ? 2 : 1;
    if (parent.column() == 0 && SessionRow(parent) == SiteRows::kAllSitesRow)
        return static_cast<int>(m_shownSites.size());
    return 0;
}

int SiteTreeModel::columnCount(const QModelIndex&) const {
    return kColumnCount;
}

QVariant SiteTreeModel::data(const QModelIndex& index, int role) const {
    const int row = SessionRow(index);
    const SiteRows& rows = m_session.Rows();
    if (!rows.Valid(row))
        return {};
    if (index.column() == kSitesColumn) {
        if (role == Qt::DisplayRole)
            return QString::fromLocal8Bit(rows.Text(row));
        if (role == Qt::DecorationRole)
            return row == m_session.ShownRow() ? m_arrow : m_blank;
        return {};
    }
    if (role == Qt::DisplayRole)
        return QString::fromLocal8Bit(rows.StatusOf(row).text);
    if (role == Qt::ForegroundRole && rows.StatusOf(row).grey)
        return QBrush(QColor(153, 153, 153));
    return {};
}

QVariant SiteTreeModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == kSitesColumn ? QStringLiteral("Web Sites") : QStringLiteral("Status");
}

} // namespace qv
