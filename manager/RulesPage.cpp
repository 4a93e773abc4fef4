#include "RulesPage.h"

#include "ui_RulesPage.h"

namespace qv {

RulesPage::RulesPage(SettingsSession& session, QWidget* parent)
    : SettingsPage(session, parent), m_ui(std::make_unique<Ui::RulesPage>()) {
    m_ui->setupUi(this);
}

RulesPage::~RulesPage() = default;

} // namespace qv
