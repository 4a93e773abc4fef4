#include "ErrorDirectoryPage.h"

#include "manager/core/SettingsSession.h"
#include "platform/TextCodec.h"
#include "ui_ErrorDirectoryPage.h"

namespace qv {

namespace {

// ServerState of each radio button.
constexpr std::int32_t kSiteRootOnly = 1;
constexpr std::int32_t kRequestedDirectory = 0;

} // namespace

ErrorDirectoryPage::ErrorDirectoryPage(SettingsSession& session, QWidget* parent)
    : SettingsPage(session, parent), m_ui(std::make_unique<Ui::ErrorDirectoryPage>()) {
    m_ui->setupUi(this);
    m_ui->editDirectory->setMaxLength(kMaxDirectory);
    connect(m_ui->radioSiteRoot, &QRadioButton::clicked, this, [this] { SearchModeClicked(kSiteRootOnly); });
    connect(m_ui->radioRequestedDirectory, &QRadioButton::clicked, this,
            [this] { SearchModeClicked(kRequestedDirectory); });
    connect(m_ui->editDirectory, &QLineEdit::textChanged, this, &ErrorDirectoryPage::DirectoryChanged);
}

ErrorDirectoryPage::~ErrorDirectoryPage() = default;

QWidget* ErrorDirectoryPage::FirstControl() const {
    return Focusable(m_ui->editDirectory);
}

QWidget* ErrorDirectoryPage::LastControl() const {
    if (m_ui->radioRequestedDirectory->hasFocus())
        return m_ui->radioRequestedDirectory;
    return Focusable(m_ui->radioSiteRoot);
}

void ErrorDirectoryPage::ShowCombined() {
    // Without a base the controls keep what they showed; they are disabled.
    if (!m_session.HasBase())
        return;
    const SiteSettings& values = m_session.Combined().Values();
    m_ui->editDirectory->setText(QString::fromLocal8Bit(values.Directory));
    const bool varies = CombinedSettings::Varies(values.ServerState);
    // An exclusive pair never lets both go unchecked, so the pair is released for the moment.
    for (QRadioButton* radio : {m_ui->radioSiteRoot, m_ui->radioRequestedDirectory})
        radio->setAutoExclusive(false);
    m_ui->radioSiteRoot->setChecked(!varies && values.ServerState == kSiteRootOnly);
    m_ui->radioRequestedDirectory->setChecked(!varies && values.ServerState == kRequestedDirectory);
    for (QRadioButton* radio : {m_ui->radioSiteRoot, m_ui->radioRequestedDirectory})
        radio->setAutoExclusive(true);
}

void ErrorDirectoryPage::ApplyControlStates(const ControlStates& states) {
    for (QWidget* control :
         std::initializer_list<QWidget*>{m_ui->labelDirectory, m_ui->editDirectory, m_ui->labelSearchMode,
                                         m_ui->radioSiteRoot, m_ui->radioRequestedDirectory})
        control->setEnabled(states.errorDirectory);
}

void ErrorDirectoryPage::SearchModeClicked(int serverState) {
    m_session.Combined().Values().ServerState = serverState;
    ValueEdited();
}

void ErrorDirectoryPage::DirectoryChanged(const QString& text) {
    // Also while the page is being filled: the session then stores the text without writing it.
    m_session.Combined().Values().Directory =
        TextCodec::Cut(text.left(kMaxDirectory).toLocal8Bit().toStdString(), kMaxDirectory);
    ValueEdited();
}

QString ErrorDirectoryPage::ToolTipFor(const QWidget* control) const {
    QString name = m_ui->editDirectory->text().left(kMaxDirectory);
    if (name.compare(QLatin1String(CombinedSettings::kVariesText.data(),
                                   static_cast<qsizetype>(CombinedSettings::kVariesText.size())),
                     Qt::CaseInsensitive) == 0)
        name.clear();
    const QString directory = name.isEmpty() ? QStringLiteral("the error directory")
                                             : QStringLiteral("the directory \"%1\"").arg(name);
    if (control == m_ui->radioSiteRoot) {
        return QStringLiteral("Quorvane looks for ") + directory +
               QStringLiteral(
                   " (specified above) in the root of the Web site (virtual server) that generated "
                   "the error.");
    }
    if (control == m_ui->radioRequestedDirectory) {
        return QStringLiteral("Quorvane begins searching for ") + directory +
               QStringLiteral(
                   " (specified above) within the same directory as the requested file, and then "
                   "looks to the next highest level directory in the request URL, and so on, until "
                   "the Quorvane directory above is found.  This option allows you to create "
                   "multiple error responses at different places in the site.");
    }
    if (control == m_ui->labelDirectory || control == m_ui->editDirectory)
        return QStringLiteral("The directory where pages/files used in customized error responses for the "
                              "selected site(s) are stored.");
    return {};
}

} // namespace qv
