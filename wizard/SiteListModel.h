#pragma once
// The rows of a wizard site list: one per site, its description beside the site picture, under the one
// column "Virtual Server List".
#include <QAbstractListModel>
#include <QPixmap>
#include <QStringList>

#include <string>
#include <vector>

namespace qv {

class SiteListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit SiteListModel(QObject* parent = nullptr);

    // Replaces every row, in the order given.
    void Reset(const std::vector<std::string>& descriptions);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QStringList m_rows;
    QPixmap m_picture;
};

} // namespace qv
