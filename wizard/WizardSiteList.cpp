#include "WizardSiteList.h"

#include "SiteListModel.h"
#include "WizardImages.h"

#include <QHeaderView>
#include <QItemSelection>

#include <algorithm>

namespace qv {

WizardSiteList::WizardSiteList(QWidget* parent) : QTreeView(parent), m_model(new SiteListModel(this)) {
    setModel(m_model);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIconSize(QSize(WizardImages::kSiteImageSize, WizardImages::kSiteImageSize));
    QHeaderView* columns = header();
    columns->setSectionsClickable(false);
    columns->setSectionsMovable(false);
    columns->setStretchLastSection(false);
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->resizeSection(0, kColumnWidth);
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The selection looks the same with the focus elsewhere.
    QPalette colours = palette();
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
    setPalette(colours);
}

std::vector<std::size_t> WizardSiteList::SelectedRows() const {
    std::vector<std::size_t> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.push_back(static_cast<std::size_t>(index.row()));
    std::sort(rows.begin(), rows.end());
    return rows;
}

void WizardSiteList::SelectRows(const std::vector<std::size_t>& rows) {
    QItemSelection selection;
    const auto count = static_cast<std::size_t>(m_model->rowCount());
    for (const std::size_t row : rows) {
        if (row >= count)
            continue;
        const QModelIndex index = m_model->index(static_cast<int>(row));
        // Neighbouring rows join one range, so that a thousand chosen sites make one range.
        if (!selection.isEmpty() && selection.last().bottom() + 1 == index.row())
            selection.last() = QItemSelectionRange(selection.last().topLeft(), index);
        else
            selection.select(index, index);
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

} // namespace qv
