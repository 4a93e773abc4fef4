#include "LoggingPage.h"

#include "ui_LoggingPage.h"

namespace qv {

LoggingPage::LoggingPage(SettingsSession& session, QWidget* parent)
    : SettingsPage(session, parent), m_ui(std::make_unique<Ui::LoggingPage>()) {
    m_ui->setupUi(this);
}

LoggingPage::~LoggingPage() = default;

} // namespace qv
