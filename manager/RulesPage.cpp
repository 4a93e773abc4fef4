#include "RulesPage.h"

#include "manager/core/ControlStates.h"
#include "manager/core/RulesFileStatus.h"
#include "manager/core/RulesTargets.h"
#include "manager/core/SettingsSession.h"
#include "platform/FileSystem.h"
#include "platform/TextEditor.h"

#include "ui_RulesPage.h"
#include "widgets/MessageBox.h"
#include <QStringList>

#include <QFontMetrics>

namespace qv {

RulesPage::RulesPage(SettingsSession& session, QWidget* parent)
    : SettingsPage(session, parent), m_ui(std::make_unique<Ui::RulesPage>()) {
    m_ui->setupUi(this);
    // Room for the missing-file message's two lines.
    m_ui->textCount->setMinimumHeight(2 * m_ui->textCount->fontMetrics().lineSpacing());
    connect(m_ui->buttonEdit, &QPushButton::clicked, this, &RulesPage::Edit);
}

RulesPage::~RulesPage() = default;

QWidget* RulesPage::FirstControl() const {
    return m_ui->buttonEdit;
}

QWidget* RulesPage::LastControl() const {
    return m_ui->buttonEdit;
}

void RulesPage::ShowCombined() {
    const QString line = QString::fromLocal8Bit(RulesTargets::PathLine(m_session));
    m_ui->textPath->setText(m_ui->textPath->fontMetrics().elidedText(line, Qt::ElideMiddle, kPathWidth));
}

void RulesPage::ApplyControlStates(const ControlStates& states) {
    for (QWidget* control :
         {static_cast<QWidget*>(m_ui->labelLocation), static_cast<QWidget*>(m_ui->textPath),
          static_cast<QWidget*>(m_ui->buttonEdit), static_cast<QWidget*>(m_ui->labelCount),
          static_cast<QWidget*>(m_ui->textCount), static_cast<QWidget*>(m_ui->labelUpdated),
          static_cast<QWidget*>(m_ui->textUpdated)})
        control->setEnabled(states.rules);
}

void RulesPage::RefreshRulesInfo() {
    // The default entry has no file of its own: its count and time are the template's, as its path line.
    const SiteSettings* base = RulesTargets::BaseRecord(m_session);
    const RulesFileStatus status =
        base ? RulesFileStatus::Read(RulesTargets::PathOf(*base, m_session.InstallDirectory()))
             : RulesFileStatus{};
    m_ui->textCount->setText(QString::fromLocal8Bit(status.CountText()));
    m_ui->textUpdated->setText(QString::fromLocal8Bit(status.ModifiedText()));
}

void RulesPage::showEvent(QShowEvent* event) {
    SettingsPage::showEvent(event);
    RefreshRulesInfo();
}

void RulesPage::Edit() {
    const RulesTargets::EditPlan plan = RulesTargets::PlanEdit(m_session);
    if (plan.ask && MessageBox::ShowTitled(this, QMessageBox::Question, QString::fromLatin1(kQuestionTitle),
                                           QString::fromLatin1(kQuestion),
                                           QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    const std::string& install = m_session.InstallDirectory();
    QStringList unopened;
    for (const SiteSettings* record : plan.records) {
        const bool created = RulesTargets::PrepareFile(*record, install);
        if (created && !plan.ask)
            RefreshRulesInfo();
        const std::string path = FileSystem::LocalPath(RulesTargets::PathOf(*record, install));
        if (!TextEditor::Open(path))
            unopened << QString::fromLocal8Bit(path);
    }
    // A desktop that names no editor for plain text would otherwise leave the click without any answer.
    if (!unopened.isEmpty())
        MessageBox::Warn(
            this,
            QStringLiteral("No text editor could be started for:\n%1\n\nSet %2 to the program "
                           "to use.")
                .arg(unopened.join(QLatin1Char('\n')), QString::fromLatin1(TextEditor::kOverrideVariable)));
}

} // namespace qv
