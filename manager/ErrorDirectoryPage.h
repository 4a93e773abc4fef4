#pragma once
// The page that names each site's error directory and where the handler looks for it.
#include "SettingsPage.h"

#include <memory>

class QRadioButton;

namespace Ui {
class ErrorDirectoryPage;
}

namespace qv {

class ErrorDirectoryPage : public SettingsPage {
    Q_OBJECT
public:
    // The longest directory name the edit box takes.
    static constexpr int kMaxDirectory = 259;

    explicit ErrorDirectoryPage(SettingsSession& session, QWidget* parent = nullptr);
    ~ErrorDirectoryPage() override;

    QString TabText() const override { return QStringLiteral("  Error Directory  "); }
    QWidget* FirstControl() const override;
    QWidget* LastControl() const override;
    void ShowCombined() override;
    void ApplyControlStates(const ControlStates& states) override;

    // Composed from the name in the edit box each time it is asked for.
    QString ToolTipFor(const QWidget* control) const override;

private:
    void SearchModeClicked(int serverState);
    void DirectoryChanged(const QString& text);

    std::unique_ptr<Ui::ErrorDirectoryPage> m_ui;
};

} // namespace qv
