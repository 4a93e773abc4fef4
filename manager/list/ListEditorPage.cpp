#include "ListEditorPage.h"

#include "ListItemDialog.h"
#include "manager/SettingsPage.h"

#include "ui_ListEditorPage.h"

#include <QSignalBlocker>
#include <QToolTip>

namespace qv {

ListEditorPage::ListEditorPage(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::ListEditorPage>()) {
    m_ui->setupUi(this);
    connect(m_ui->buttonAdd, &QPushButton::clicked, this, &ListEditorPage::AddRow);
    connect(m_ui->buttonEdit, &QPushButton::clicked, this, &ListEditorPage::EditRow);
    connect(m_ui->buttonRemove, &QPushButton::clicked, this, &ListEditorPage::RemoveRow);
    connect(m_ui->buttonUp, &QPushButton::clicked, this, &ListEditorPage::MoveUp);
    connect(m_ui->buttonDown, &QPushButton::clicked, this, &ListEditorPage::MoveDown);
    connect(m_ui->listItems, &QListWidget::itemDoubleClicked, this, &ListEditorPage::EditRow);
    connect(m_ui->listItems, &QListWidget::currentRowChanged, this, [this](int row) {
        m_editor.Select(row < 0 ? ListEditor::Row() : ListEditor::Row(static_cast<std::size_t>(row)));
        ShowButtons();
    });
    ShowButtons();
}

ListEditorPage::~ListEditorPage() = default;

void ListEditorPage::Open(const ListEditorSetup& setup, const ValueList& list) {
    m_setup = &setup;
    m_editor = ListEditor(list);
    m_ui->labelDescription->setText(setup.description ? QString::fromUtf8(setup.description) : QString());
    m_ui->labelDescription->setToolTip(
        setup.hint ? SettingsPage::FittedToolTip(QString::fromUtf8(setup.hint), QToolTip::font())
                   : QString());
    ShowRows();
    m_ui->buttonAdd->setFocus();
}

void ListEditorPage::AddRow() {
    if (const auto text = ListItemDialog::Ask(this, *m_setup, {})) {
        m_editor.Add(*text);
        ShowRows();
    }
}

void ListEditorPage::EditRow() {
    const ListEditor::Row row = m_editor.Selected();
    if (!row)
        return;
    if (const auto text = ListItemDialog::Ask(this, *m_setup, m_editor.Rows()[*row])) {
        m_editor.Edit(*text);
        ShowRows();
    }
}

void ListEditorPage::RemoveRow() {
    m_editor.Remove();
    ShowRows();
}

void ListEditorPage::MoveUp() {
    m_editor.Up();
    ShowRows();
}

void ListEditorPage::MoveDown() {
    m_editor.Down();
    ShowRows();
}

void ListEditorPage::ShowRows() {
    {
        const QSignalBlocker blocker(m_ui->listItems);
        m_ui->listItems->clear();
        for (const std::string& row : m_editor.Rows())
            m_ui->listItems->addItem(QString::fromLocal8Bit(row));
        const ListEditor::Row selected = m_editor.Selected();
        m_ui->listItems->setCurrentRow(selected ? static_cast<int>(*selected) : -1);
    }
    ShowButtons();
}

void ListEditorPage::ShowButtons() {
    const ListEditor::Buttons enabled = m_editor.Enabled();
    m_ui->buttonEdit->setEnabled(enabled.edit);
    m_ui->buttonRemove->setEnabled(enabled.remove);
    m_ui->buttonUp->setEnabled(enabled.up);
    m_ui->buttonDown->setEnabled(enabled.down);
}

} // namespace qv
