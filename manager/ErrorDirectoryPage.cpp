#include "ErrorDirectoryPage.h"

#include "ui_ErrorDirectoryPage.h"

namespace qv {

ErrorDirectoryPage::ErrorDirectoryPage(SettingsSession& session, QWidget* parent)
    : SettingsPage(session, parent), m_ui(std::make_unique<Ui::ErrorDirectoryPage>()) {
    m_ui->setupUi(this);
}

ErrorDirectoryPage::~ErrorDirectoryPage() = default;

} // namespace qv
