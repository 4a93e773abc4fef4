#include "ImageListsDialog.h"

#include "DialogTestHook.h"

#include "ListEditorPage.h"
#include "ListEditorSetup.h"

#include "ui_ImageListsDialog.h"

namespace qv {

namespace {
DialogTestHook g_testHook;
} // namespace

ImageListsDialog::ImageListsDialog(const ValueList& selectors, const ValueList& extensions, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::ImageListsDialog>()) {
    m_ui->setupUi(this);
    setWindowTitle(QString::fromUtf8(ListEditorSetups::ImageListsTitle()));
    const ListEditorSetup& selectorSetup = ListEditorSetups::ImageSelectors();
    const ListEditorSetup& extensionSetup = ListEditorSetups::ImageExtensions();
    m_ui->tabs->setTabText(0, QString::fromUtf8(selectorSetup.title));
    m_ui->tabs->setTabText(1, QString::fromUtf8(extensionSetup.title));
    m_ui->pageSelectors->Open(selectorSetup, selectors);
    m_ui->pageExtensions->Open(extensionSetup, extensions);
    m_ui->tabs->setCurrentIndex(0);
    connect(m_ui->buttonOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->buttonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

ImageListsDialog::~ImageListsDialog() = default;

ImageListsResult ImageListsDialog::Edit(QWidget* parent, ValueList& selectors, ValueList& extensions) {
    ImageListsDialog dialog(selectors, extensions, parent);
    g_testHook.Arm(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const ListEditor& selectorEditor = dialog.SelectorsPage()->Editor();
    const ListEditor& extensionEditor = dialog.ExtensionsPage()->Editor();
    selectorEditor.CommitTo(selectors);
    extensionEditor.CommitTo(extensions);
    return {selectorEditor.Changed(), extensionEditor.Changed()};
}

void ImageListsDialog::SetTestHook(std::function<void(QDialog&)> hook) {
    g_testHook.Set(std::move(hook));
}

ListEditorPage* ImageListsDialog::SelectorsPage() const {
    return m_ui->pageSelectors;
}

ListEditorPage* ImageListsDialog::ExtensionsPage() const {
    return m_ui->pageExtensions;
}

} // namespace qv
