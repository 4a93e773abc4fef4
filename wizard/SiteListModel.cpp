#include "SiteListModel.h"

#include "WizardImages.h"

namespace qv {

SiteListModel::SiteListModel(QObject* parent) : QAbstractListModel(parent), m_picture(WizardImages::Site()) {}

void SiteListModel::Reset(const std::vector<std::string>& descriptions) {
    beginResetModel();
    m_rows.clear();
    m_rows.reserve(static_cast<qsizetype>(descriptions.size()));
    for (const std::string& description : descriptions)
        m_rows.append(QString::fromLocal8Bit(description));
    endResetModel();
}

int SiteListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant SiteListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return m_rows[index.row()];
    case Qt::DecorationRole:
        return m_picture;
    default:
        return {};
    }
}

QVariant SiteListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return QStringLiteral("Virtual Server List");
    return {};
}

} // namespace qv
