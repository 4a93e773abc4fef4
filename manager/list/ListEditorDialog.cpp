#include "ListEditorDialog.h"

#include "DialogTestHook.h"

#include "ListEditorPage.h"

#include "ui_ListEditorDialog.h"

namespace qv {

namespace {
DialogTestHook g_testHook;
} // namespace

ListEditorDialog::ListEditorDialog(const ListEditorSetup& setup, const ValueList& list, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::ListEditorDialog>()) {
    m_ui->setupUi(this);
    if (setup.title)
        setWindowTitle(QString::fromUtf8(setup.title));
    m_ui->pageEditor->Open(setup, list);
    connect(m_ui->buttonOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->buttonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

ListEditorDialog::~ListEditorDialog() = default;

bool ListEditorDialog::Edit(QWidget* parent, const ListEditorSetup& setup, ValueList& list) {
    ListEditorDialog dialog(setup, list, parent);
    g_testHook.Arm(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const ListEditor& editor = dialog.Page()->Editor();
    editor.CommitTo(list);
    return editor.Changed();
}

void ListEditorDialog::SetTestHook(std::function<void(QDialog&)> hook) {
    g_testHook.Set(std::move(hook));
}

ListEditorPage* ListEditorDialog::Page() const {
    return m_ui->pageEditor;
}

} // namespace qv
