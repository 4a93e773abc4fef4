#pragma once
// The page that names each site's error directory and where the handler looks for it.
#include "SettingsPage.h"

#include <memory>

namespace Ui {
class ErrorDirectoryPage;
}

namespace qv {

class ErrorDirectoryPage : public SettingsPage {
    Q_OBJECT
public:
    explicit ErrorDirectoryPage(SettingsSession& session, QWidget* parent = nullptr);
    ~ErrorDirectoryPage() override;

    QString TabText() const override { return QStringLiteral("  Error Directory  "); }

private:
    std::unique_ptr<Ui::ErrorDirectoryPage> m_ui;
};

} // namespace qv
