#include "LoggingPage.h"

#include "manager/core/ControlStates.h"
#include "manager/core/LoggingChoices.h"
#include "manager/core/SettingsSession.h"
#include "platform/Process.h"
#include "ui_LoggingPage.h"

#include <QDir>
#include <QFileDialog>

#include <utility>

namespace qv {

namespace {

LoggingPage::FolderChooser& CurrentChooser() {
    static LoggingPage::FolderChooser chooser;
    return chooser;
}

QString ChooseFolder(QWidget* owner, const QString& title, const QString& start) {
    if (const LoggingPage::FolderChooser& chooser = CurrentChooser())
        return chooser(owner, title, start);
    return QFileDialog::getExistingDirectory(owner, title, start, QFileDialog::ShowDirsOnly);
}

} // namespace

LoggingPage::LoggingPage(SettingsSession& session, QWidget* parent)
    : SettingsPage(session, parent), m_ui(std::make_unique<Ui::LoggingPage>()) {
    m_ui->setupUi(this);
    m_ui->editLogDir->setMaxLength(static_cast<int>(LoggingChoices::kMaxLogDir));
    connect(m_ui->checkLogging, &QCheckBox::clicked, this, &LoggingPage::ToggleLogging);
    connect(m_ui->editLogDir, &QLineEdit::textChanged, this, &LoggingPage::LogDirEdited);
    connect(m_ui->buttonView, &QPushButton::clicked, this, &LoggingPage::View);
    connect(m_ui->buttonBrowse, &QPushButton::clicked, this, &LoggingPage::Browse);
}

LoggingPage::~LoggingPage() = default;

QWidget* LoggingPage::FirstControl() const {
    return m_ui->checkLogging;
}

QWidget* LoggingPage::LastControl() const {
    if (m_ui->checkLogging->checkState() == Qt::Unchecked)
        return m_ui->checkLogging;
    return m_ui->buttonView;
}

void LoggingPage::ShowCombined() {
    const SiteSettings& values = m_session.Combined().Values();
    m_ui->checkLogging->setCheckState(CheckStateOf(m_session.HasBase() ? values.Logging : 0));
    m_ui->editLogDir->setText(m_session.HasBase() ? QString::fromLocal8Bit(values.LogDir) : QString());
}

void LoggingPage::ApplyControlStates(const ControlStates& states) {
    m_ui->checkLogging->setEnabled(states.loggingBox);
    EnableDetails(states.loggingDetails);
    m_ui->buttonView->setVisible(states.viewVisible);
}

LoggingPage::FolderChooser LoggingPage::SetFolderChooser(FolderChooser chooser) {
    return std::exchange(CurrentChooser(), std::move(chooser));
}

void LoggingPage::EnableDetails(bool enabled) {
    m_ui->labelLogDir->setEnabled(enabled);
    m_ui->editLogDir->setEnabled(enabled);
    m_ui->buttonView->setEnabled(enabled);
    m_ui->buttonBrowse->setEnabled(enabled);
}

void LoggingPage::ToggleLogging() {
    std::int32_t& logging = m_session.Combined().Values().Logging;
    ToggleFlag(m_ui->checkLogging, logging);
    EnableDetails(logging == 1);
    ValueEdited();
}

void LoggingPage::LogDirEdited(const QString& text) {
    m_session.Combined().Values().LogDir =
        text.toLocal8Bit().left(static_cast<int>(LoggingChoices::kMaxLogDir)).toStdString();
    ValueEdited();
}

void LoggingPage::View() {
    if (const std::optional<std::string> command = LoggingChoices::ViewerCommand(m_session))
        Process::StartShown(*command);
}

void LoggingPage::Browse() {
    const std::string text = m_ui->editLogDir->text()
                                 .toLocal8Bit()
                                 .left(static_cast<int>(LoggingChoices::kMaxLogDir))
                                 .toStdString();
    const QString chosen = ChooseFolder(this, QString::fromLatin1(LoggingChoices::kChooserTitle),
                                        QString::fromLocal8Bit(LoggingChoices::StartFolder(text)));
    if (chosen.isEmpty())
        return;
    const std::string folder =
        LoggingChoices::ChosenFolder(QDir::toNativeSeparators(chosen).toLocal8Bit().toStdString());
    m_ui->editLogDir->setText(QString::fromLocal8Bit(folder));
    ValueEdited();
}

} // namespace qv
