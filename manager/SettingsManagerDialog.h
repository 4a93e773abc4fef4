#pragma once
// The Settings Manager's dialog: the site list, the enable box and the four pages over one session of the
// loaded store. Every edit goes into the records at once; OK, Apply and File > Exit save them.
#include "manager/core/DialogSizes.h"
#include "manager/core/SettingsApplier.h"

#include <QDialog>
#include <QRect>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QMenu;

namespace Ui {
class SettingsManagerDialog;
}

namespace qv {

class SettingsPage;
class SettingsSession;
class SettingsStore;
class SiteTreeModel;

// The numeric ids of the dialog's controls and commands.
enum ManagerControlId : int {
    kControlOk = 1,
    kControlCancel = 2,
    kControlEnable = 1004,
    kControlApply = 1046,
    kControlTabs = 1070,
    kControlSiteList = 1073,
    kControlSeparator = 1075,
    kControlBannerLeft = 1086,
    kControlBannerRight = 1087,
    kControlBannerMiddle = 1088,
};
enum ManagerCommandId : int {
    kCommandDocumentation = 9,
    kCommandExit = 32771,
    kCommandAbout = 32772,
    kCommandTechSupport = 32774,
};

class SettingsManagerDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMinimumWidth = 600;

    // The calling program's property sheet: its title narrows the sites listed, and the dialog opens
    // centred on it.
    struct Caller {
        std::string title;
        QRect rect;
    };

    // store: loaded; it outlives the dialog. save: how a record is saved, the store's SaveSettings unless
    // given.
    SettingsManagerDialog(SettingsStore& store, const std::optional<Caller>& caller = std::nullopt,
                          SettingsApplier::SaveRecord save = {}, QWidget* parent = nullptr);
    ~SettingsManagerDialog() override;

    QWidget* Control(int id) const;
    QAction* Command(int id) const;
    SettingsSession& Session() { return *m_session; }
    SiteTreeModel* Model() const { return m_model; }
    const std::vector<SettingsPage*>& Pages() const { return m_pages; }

    // The context menu of the site list for its selection, after the selection step with the first
    // selected row; its one action toggles the enable box.
    std::unique_ptr<QMenu> ContextMenu();
    // Saves every modified record; with applyOnly the dialog stays open.
    void ApplySettings(bool applyOnly);

protected:
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetUpBanner();
    void SetUpMenus();
    void SetUpList();
    void SetUpPages();
    void RestoreSizes(const std::optional<DialogSizes>& saved);
    void SaveSizes() const;

    void OnListStepped();
    void SelectionStep(int focusRow);
    void ShowSelection();
    void ToggleEnable();
    void Edited(const std::vector<int>& rows);
    void OnFilterChanged(const QString& text);
    void SelectInView(const std::vector<int>& sessionRows, int currentRow);
    std::vector<int> SelectedRows() const;
    int FirstSelectedRow() const;

    void OnExit();
    void OnAbout();
    void OpenInstalled(const char* fileName);
    void ReportFailedSaves(const std::vector<std::uint32_t>& failedSites);

    bool HandleEnter(QObject* watched, QEvent* event);
    bool HandleTab(QObject* watched, QKeyEvent* event);
    SettingsPage* CurrentPage() const;

    std::unique_ptr<Ui::SettingsManagerDialog> m_ui;
    SettingsStore& m_store;
    std::unique_ptr<SettingsSession> m_session;
    SettingsApplier::SaveRecord m_save;
    SiteTreeModel* m_model = nullptr;
    std::vector<SettingsPage*> m_pages;
    QAction* m_exit = nullptr;
    QAction* m_documentation = nullptr;
    QAction* m_techSupport = nullptr;
    QAction* m_about = nullptr;
};

} // namespace qv
