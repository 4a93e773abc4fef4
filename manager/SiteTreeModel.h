#pragma once
// The site list's rows as a two-level tree over a session: "Default Settings" and "All Web Sites" at the top,
// the listed sites below "All Web Sites". Texts, status cells and the arrow are read from the session when
// drawn, so an edit only has to say which rows changed. A filter narrows the site rows shown; it never
// changes what "All Web Sites" stands for.
#include <QAbstractItemModel>
#include <QPixmap>
#include <QString>

#include <vector>

namespace qv {

class SettingsSession;

class SiteTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Column { kSitesColumn, kStatusColumn, kColumnCount };

    explicit SiteTreeModel(const SettingsSession& session, QObject* parent = nullptr);

    // Shows only the site rows whose description or site number contains text (case-insensitive); an empty
    // text shows them all.
    void SetFilter(const QString& text);
    const QString& Filter() const { return m_filter; }
    bool Shown(int sessionRow) const;

    // The session's row of an index and back; an invalid index for a row not shown.
    int SessionRow(const QModelIndex& index) const;
    QModelIndex IndexOf(int sessionRow, int column = kSitesColumn) const;

    // The status cells of rows were rewritten; rows in ascending order.
    void StatusChanged(const std::vector<int>& sessionRows);
    // The arrow moved from one row to another (either may be none).
    void ArrowMoved(int fromRow, int toRow);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    bool Matches(int sessionRow) const;
    void RowChanged(int sessionRow, int column);

    const SettingsSession& m_session;
    std::vector<int> m_shownSites; // the session rows of the site rows shown, ascending
    QString m_filter;
    QPixmap m_arrow;
    QPixmap m_blank;
};

} // namespace qv
