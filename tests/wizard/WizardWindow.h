#pragma once
// The wizard's frame over a WindowMachine, shown offscreen, with message boxes answered.
#include "WindowMachine.h"
#include "widgets/MessageBox.h"
#include "wizard/DefaultSettingsPage.h"
#include "wizard/FinishPage.h"
#include "wizard/SiteSelectionPage.h"
#include "wizard/WizardControlId.h"
#include "wizard/WizardFrame.h"
#include "wizard/WizardSiteList.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace qv::test {

class WizardWindow {
public:
    explicit WizardWindow(std::vector<WindowMachine::Site> sites = {{1, u"Alpha"},
                                                                    {2, u"Beta"},
                                                                    {3, u"Gamma"}},
                          bool fromSettings = false)
        : machine(sites) {
        MessageBox::SetHook([this](const MessageBox::Request& request) {
            asked << request.text;
            return answer;
        });
        machine.Load();
        frame = std::make_unique<WizardFrame>(*machine.sites, fromSettings);
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
    }
    ~WizardWindow() {
        frame.reset();
        MessageBox::SetHook({});
    }

    WizardPage* Current() const { return frame->CurrentPage(); }
    WizardPageId CurrentId() const { return Current()->Id(); }
    template <typename T = QWidget> T* Control(int id) const {
        return qobject_cast<T*>(Current()->Control(id));
    }
    void Press(int button) const { QTest::mouseClick(Current()->Button(button), Qt::LeftButton); }
    WizardSiteList* Sites() const { return frame->SiteSelection()->List(); }
    WizardSiteList* Chosen() const { return frame->DefaultSettings()->List(); }
    QStringList Rows(const WizardSiteList* list) const {
        QStringList rows;
        for (int row = 0; row < list->model()->rowCount(); ++row)
            rows << list->model()->index(row, 0).data().toString();
        return rows;
    }
    void ClickRow(int row, Qt::KeyboardModifiers modifiers = {}) const {
        QTest::mouseClick(Sites()->viewport(), Qt::LeftButton, modifiers,
                          Sites()->visualRect(Sites()->model()->index(row, 0)).center());
    }
    // Page 3 to page 4, waiting for the deployment to end.
    void Deploy() {
        QSignalSpy deployed(frame->Finish(), &FinishPage::deployed);
        Press(kControlNext);
        QVERIFY(deployed.wait(20000) || deployed.count() == 1);
    }
    void Shot(const char* name) const {
        const QString directory = qEnvironmentVariable("QV_SCREENSHOT_DIR");
        if (!directory.isEmpty())
            QVERIFY(frame->grab().save(directory + QLatin1Char('/') + QLatin1String(name) +
                                       QLatin1String(".png")));
    }

    WindowMachine machine;
    std::unique_ptr<WizardFrame> frame;
    QMessageBox::StandardButton answer = QMessageBox::No;
    QStringList asked;
};

} // namespace qv::test
