#include "SiteListView.h"

#include <QItemSelectionModel>
#include <QMouseEvent>

namespace qv {

SiteListView::SiteListView(QWidget* parent) : QTreeView(parent) {}

void SiteListView::setSelectionModel(QItemSelectionModel* selectionModel) {
    QTreeView::setSelectionModel(selectionModel);
    if (!selectionModel)
        return;
    connect(selectionModel, &QItemSelectionModel::selectionChanged, this, [this] { m_changed = true; });
    connect(selectionModel, &QItemSelectionModel::currentChanged, this, [this] { m_changed = true; });
}

void SiteListView::ReportChange() {
    if (!m_changed)
        return;
    m_changed = false;
    Q_EMIT selectionStepped();
}

void SiteListView::mousePressEvent(QMouseEvent* event) {
    m_changed = false;
    QTreeView::mousePressEvent(event);
    // Every click on a row is a step, also one that leaves the selection as it was.
    if (indexAt(event->position().toPoint()).isValid())
        m_changed = true;
    ReportChange();
}

void SiteListView::mouseMoveEvent(QMouseEvent* event) {
    QTreeView::mouseMoveEvent(event);
    ReportChange();
}

void SiteListView::mouseReleaseEvent(QMouseEvent* event) {
    QTreeView::mouseReleaseEvent(event);
    ReportChange();
}

void SiteListView::keyPressEvent(QKeyEvent* event) {
    m_changed = false;
    QTreeView::keyPressEvent(event);
    ReportChange();
}

} // namespace qv
