#pragma once
// The page of the error files: extension lists, dynamic 404 pages and 404 images. The four lists are edited
// in the list editors; a list whose editor closed with a change is written with every edit after it.
#include "SettingsPage.h"
#include "manager/core/ListChangeFlags.h"

#include <cstdint>
#include <memory>

class QCheckBox;
class QPushButton;

namespace Ui {
class ErrorFilesPage;
}

namespace qv {

struct ListEditorSetup;
class ValueList;

class ErrorFilesPage : public SettingsPage {
    Q_OBJECT
public:
    explicit ErrorFilesPage(SettingsSession& session, QWidget* parent = nullptr);
    ~ErrorFilesPage() override;

    QString TabText() const override { return QStringLiteral("  Error Files  "); }
    QWidget* FirstControl() const override;
    QWidget* LastControl() const override;
    void ShowCombined() override;
    void ApplyControlStates(const ControlStates& states) override;

    QString ToolTipFor(const QWidget* control) const override;

private:
    // A click on a three-state box: an unchecked box is checked, a checked or indeterminate one unchecked.
    void FlagClicked(QCheckBox* box, std::int32_t& value, QPushButton* configure);
    // One list's editor: its change flag is cleared when the editor opens and set when it closes changed.
    void ConfigureList(ListChangeFlags::List flag, const ListEditorSetup& setup, ValueList& list);
    void ConfigureImages();

    std::unique_ptr<Ui::ErrorFilesPage> m_ui;
};

} // namespace qv
