#pragma once
// The page of the handler's daily log files.
#include "SettingsPage.h"

#include <memory>

namespace Ui {
class LoggingPage;
}

namespace qv {

class LoggingPage : public SettingsPage {
    Q_OBJECT
public:
    explicit LoggingPage(SettingsSession& session, QWidget* parent = nullptr);
    ~LoggingPage() override;

    QString TabText() const override { return QStringLiteral("  Logging  "); }

private:
    std::unique_ptr<Ui::LoggingPage> m_ui;
};

} // namespace qv
