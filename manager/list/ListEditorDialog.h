#pragma once
// The list editor as a dialog of its own: one list, committed on OK only.
#include "ListEditorSetup.h"
#include "settings/ValueList.h"

#include <QDialog>

#include <functional>
#include <memory>

namespace Ui {
class ListEditorDialog;
}

namespace qv {

class ListEditorPage;

class ListEditorDialog : public QDialog {
    Q_OBJECT
public:
    ListEditorDialog(const ListEditorSetup& setup, const ValueList& list, QWidget* parent = nullptr);
    ~ListEditorDialog() override;

    // Modal. On OK the edited rows replace list, and true tells that a confirmed action changed them;
    // Cancel or the close box leave list as it was and give false.
    static bool Edit(QWidget* parent, const ListEditorSetup& setup, ValueList& list);
    // Called with the dialog once it is shown, so that a test can click, type and close it.
    static void SetTestHook(std::function<void(QDialog&)> hook);

    ListEditorPage* Page() const;

private:
    std::unique_ptr<Ui::ListEditorDialog> m_ui;
};

} // namespace qv
