#pragma once
// The page of the handler's daily log files: whether it writes them and where, the Log Viewer on the shown
// site and a folder chooser for the directory.
#include "SettingsPage.h"

#include <functional>
#include <memory>

namespace Ui {
class LoggingPage;
}

namespace qv {

class LoggingPage : public SettingsPage {
    Q_OBJECT
public:
    // Asks for a folder: the title and the folder to start at (empty: none preselected); the folder chosen,
    // empty when cancelled.
    using FolderChooser = std::function<QString(QWidget* owner, const QString& title, const QString& start)>;

    explicit LoggingPage(SettingsSession& session, QWidget* parent = nullptr);
    ~LoggingPage() override;

    QString TabText() const override { return QStringLiteral("  Logging  "); }
    QWidget* FirstControl() const override;
    QWidget* LastControl() const override;
    void ShowCombined() override;
    void ApplyControlStates(const ControlStates& states) override;

    // Tests answer the chooser; an empty one shows the real dialog again. The one replaced comes back.
    static FolderChooser SetFolderChooser(FolderChooser chooser);

private:
    void ToggleLogging();
    void LogDirEdited(const QString& text);
    void View();
    void Browse();
    void EnableDetails(bool enabled);

    std::unique_ptr<Ui::LoggingPage> m_ui;
};

} // namespace qv
