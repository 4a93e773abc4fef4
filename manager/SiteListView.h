#pragma once
// The site list's view. Qt moves the current row and the selection in separate steps; this view reports one
// settled change after each mouse or key event that made one, with the current row final, so that the
// dialog's selection step always sees the row that received the focus.
#include <QTreeView>

namespace qv {

class SiteListView : public QTreeView {
    Q_OBJECT
public:
    explicit SiteListView(QWidget* parent = nullptr);

    void setSelectionModel(QItemSelectionModel* selectionModel) override;

Q_SIGNALS:
    // The selection or the current row changed through the user.
    void selectionStepped();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ReportChange();

    bool m_changed = false;
};

} // namespace qv
