#pragma once
// Draws the list's cells as usual and shows a cell's whole text as its tooltip when the column cuts it.
#include <QStyledItemDelegate>

namespace qv {

class LogCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The cell's text does not fit the room its column gives it.
    bool IsCut(const QStyleOptionViewItem& option, const QModelIndex& index) const;

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;
};

} // namespace qv
