#pragma once
// The page of the site's redirection rules file: where it lies, how many rules it holds, when it last
// changed, and "Edit..." to open it in the text editor (creating a missing site file from the template). It
// holds no setting: nothing here marks a record modified.
#include "SettingsPage.h"

#include <memory>

namespace Ui {
class RulesPage;
}

namespace qv {

class RulesPage : public SettingsPage {
    Q_OBJECT
public:
    // The width the path line is compacted to.
    static constexpr int kPathWidth = 375;
    static constexpr const char* kQuestion =
        "Are you sure you want to open the rules files for each of the selected sites?";
    static constexpr const char* kQuestionTitle = "Quorvane Rules Files";

    explicit RulesPage(SettingsSession& session, QWidget* parent = nullptr);
    ~RulesPage() override;

    QString TabText() const override { return QStringLiteral("  Redirection Rules  "); }
    QWidget* FirstControl() const override;
    QWidget* LastControl() const override;
    void ShowCombined() override;
    void ApplyControlStates(const ControlStates& states) override;

    // Reads the count and time of the base record's file again.
    void RefreshRulesInfo();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Edit();

    std::unique_ptr<Ui::RulesPage> m_ui;
};

} // namespace qv
