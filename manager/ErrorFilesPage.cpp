#include "ErrorFilesPage.h"

#include "ui_ErrorFilesPage.h"

namespace qv {

ErrorFilesPage::ErrorFilesPage(SettingsSession& session, QWidget* parent)
    : SettingsPage(session, parent), m_ui(std::make_unique<Ui::ErrorFilesPage>()) {
    m_ui->setupUi(this);
}

ErrorFilesPage::~ErrorFilesPage() = default;

} // namespace qv
