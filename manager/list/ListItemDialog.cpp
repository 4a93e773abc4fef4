#include "ListItemDialog.h"

#include "DialogTestHook.h"

#include "ui_ListItemDialog.h"

namespace qv {

namespace {
DialogTestHook g_testHook;
} // namespace

ListItemDialog::ListItemDialog(const ListEditorSetup& setup, const std::string& text, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::ListItemDialog>()), m_normaliser(setup.normaliser) {
    m_ui->setupUi(this);
    if (setup.itemTitle)
        setWindowTitle(QString::fromUtf8(setup.itemTitle));
    if (setup.prompt)
        m_ui->labelPrompt->setText(QString::fromUtf8(setup.prompt));
    if (setup.label)
        m_ui->labelField->setText(QString::fromUtf8(setup.label));
    m_ui->editText->setText(QString::fromLocal8Bit(text));
    m_ui->editText->setFocus();
    connect(m_ui->buttonOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->buttonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

ListItemDialog::~ListItemDialog() = default;

std::optional<std::string> ListItemDialog::Ask(QWidget* parent, const ListEditorSetup& setup,
                                               const std::string& text) {
    ListItemDialog dialog(setup, text, parent);
    g_testHook.Arm(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Text();
}

void ListItemDialog::SetTestHook(std::function<void(QDialog&)> hook) {
    g_testHook.Set(std::move(hook));
}

std::string ListItemDialog::Text() const {
    std::string text = m_ui->editText->text().toLocal8Bit().toStdString();
    return m_normaliser ? m_normaliser(text) : text;
}

} // namespace qv
