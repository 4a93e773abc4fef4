#pragma once
// The page of the site's redirection rules file.
#include "SettingsPage.h"

#include <memory>

namespace Ui {
class RulesPage;
}

namespace qv {

class RulesPage : public SettingsPage {
    Q_OBJECT
public:
    explicit RulesPage(SettingsSession& session, QWidget* parent = nullptr);
    ~RulesPage() override;

    QString TabText() const override { return QStringLiteral("  Redirection Rules  "); }

private:
    std::unique_ptr<Ui::RulesPage> m_ui;
};

} // namespace qv
