#pragma once
// A wizard site list: a flat list of SiteListModel rows with one 160-pixel column whose header does not
// react to clicks. The selection stays visible when the list has no focus.
#include <QTreeView>

#include <cstddef>
#include <vector>

namespace qv {

class SiteListModel;

class WizardSiteList : public QTreeView {
    Q_OBJECT
public:
    static constexpr int kColumnWidth = 160;

    explicit WizardSiteList(QWidget* parent = nullptr);

    SiteListModel* Sites() const { return m_model; }
    // The selected rows, ascending.
    std::vector<std::size_t> SelectedRows() const;
    // Selects exactly these rows (ascending); rows past the list are ignored.
    void SelectRows(const std::vector<std::size_t>& rows);

private:
    SiteListModel* m_model;
};

} // namespace qv
