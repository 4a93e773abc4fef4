#pragma once
// The list editor's controls: the description, the list and its five buttons over one ListEditor. The
// single-list dialog holds one, the image dialog one per tab.
#include "ListEditorSetup.h"
#include "manager/core/ListEditor.h"

#include <QWidget>

#include <memory>

namespace Ui {
class ListEditorPage;
}

namespace qv {

class ListEditorPage : public QWidget {
    Q_OBJECT
public:
    explicit ListEditorPage(QWidget* parent = nullptr);
    ~ListEditorPage() override;

    // Shows a working copy of list with the set-up's texts; setup outlives the page.
    void Open(const ListEditorSetup& setup, const ValueList& list);
    const ListEditor& Editor() const { return m_editor; }

private:
    void AddRow();
    void EditRow();
    void RemoveRow();
    void MoveUp();
    void MoveDown();
    // The list and the buttons as the editor has them.
    void ShowRows();
    void ShowButtons();

    std::unique_ptr<Ui::ListEditorPage> m_ui;
    const ListEditorSetup* m_setup = nullptr;
    ListEditor m_editor{ValueList{}};
};

} // namespace qv
