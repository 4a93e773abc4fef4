#pragma once
// The page of the error files: extension lists, dynamic 404 pages and 404 images.
#include "SettingsPage.h"

#include <memory>

namespace Ui {
class ErrorFilesPage;
}

namespace qv {

class ErrorFilesPage : public SettingsPage {
    Q_OBJECT
public:
    explicit ErrorFilesPage(SettingsSession& session, QWidget* parent = nullptr);
    ~ErrorFilesPage() override;

    QString TabText() const override { return QStringLiteral("  Error Files  "); }

private:
    std::unique_ptr<Ui::ErrorFilesPage> m_ui;
};

} // namespace qv
