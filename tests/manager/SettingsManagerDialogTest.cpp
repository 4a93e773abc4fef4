#include "ManagerDialog.h"
#include "manager/SettingsPage.h"
#include "widgets/DesktopOpen.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QSignalSpy>

#include <algorithm>

using namespace qv;

namespace {

// The stored text of a site's value (0: the default entry), without its terminator; empty when missing.
std::string Stored(std::uint32_t siteId, const char* name) {
    RegistryKey key;
    std::string bytes;
    const std::string path = siteId ? std::string(kSitesKey) + "\\" + std::to_string(siteId) : kSitesKey;
    if (key.Open(path, RegAccess::Read) != 0 || key.ReadValue(name, nullptr, bytes) != 0)
        return {};
    return bytes.substr(0, bytes.find('\0'));
}

using Manager = test::ManagerDialog;

} // namespace

class SettingsManagerDialogTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void setUpShowsRowsAndClicksToggle() {
        Manager manager;
        manager.Site(1).EnableDisable = 0;
        manager.Open();
        QCOMPARE(manager.dialog->windowTitle(), QStringLiteral("Quorvane Settings Manager"));
        QCOMPARE(manager.Index(SiteRows::kAllSitesRow).data().toString(), QStringLiteral("All Web Sites"));
        QCOMPARE(manager.dialog->Model()->rowCount(manager.Index(SiteRows::kAllSitesRow)), 4);
        QCOMPARE(manager.Status(3), QStringLiteral("Disabled"));
        QVERIFY(manager.Grey(3) && !manager.Grey(2));
        QCOMPARE(manager.Selected(), std::vector<int>{2});
        QVERIFY(manager.Arrow(2));
        QVERIFY(!manager.Button(kControlApply)->isEnabled());
        QCOMPARE(manager.Tabs()->tabText(3), QStringLiteral("  Logging  "));
        // The expand box of "All Web Sites" and a double click on it leave it open.
        SiteListView* list = manager.List();
        const QRect row = list->visualRect(manager.Index(SiteRows::kAllSitesRow));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          QPoint(row.left() - list->indentation() / 2, row.center().y()));
        QTest::keyClick(list, Qt::Key_Left);
        QVERIFY(list->isExpanded(manager.Index(SiteRows::kAllSitesRow)));
        // The context menu and a double click toggle the selection.
        manager.Click(2);
        manager.Click(3, Qt::ControlModifier);
        std::unique_ptr<QMenu> menu = manager.dialog->ContextMenu();
        QAction* enabled = menu->findChild<QAction*>(QStringLiteral("actionEnabled"));
        QVERIFY(enabled && enabled->isChecked()); // varies counts as enabled
        enabled->trigger();
        QCOMPARE(manager.Status(2), QStringLiteral("Disabled"));
        manager.Click(4);
        QTest::mouseDClick(manager.List()->viewport(), Qt::LeftButton, {},
                           manager.List()->visualRect(manager.Index(4)).center());
        QCOMPARE(manager.Selected(), std::vector<int>{4});
        QCOMPARE(manager.Site(2).EnableDisable, 0);
    }

    void indeterminateBoxClickedOnceUnchecksEverySelectedSite() {
        Manager manager;
        manager.Site(0).EnableDisable = 1;
        manager.Site(1).EnableDisable = 0;
        manager.Open();
        manager.Click(3, Qt::ShiftModifier);
        QCOMPARE(manager.EnableBox()->checkState(), Qt::PartiallyChecked);
        QSignalSpy redrawn(manager.dialog->Model(), &QAbstractItemModel::dataChanged);
        manager.ClickEnable();
        // The list is told to redraw both status cells.
        QVERIFY(std::any_of(redrawn.begin(), redrawn.end(), [&](const QList<QVariant>& signal) {
            const auto top = signal[0].toModelIndex();
            const auto bottom = signal[1].toModelIndex();
            return top.column() <= 1 && bottom.column() >= 1 && top.row() <= manager.Index(2).row() &&
                   bottom.row() >= manager.Index(3).row() && top.parent() == manager.Index(1);
        }));
        QCOMPARE(manager.EnableBox()->checkState(), Qt::Unchecked);
        QCOMPARE(manager.Site(0).EnableDisable, 0);
        QCOMPARE(manager.Site(1).EnableDisable, 0);
        QVERIFY(manager.Grey(2) && manager.Grey(3));
    }

    void keyboardSelectionStepsWithTheFocusedRow() {
        Manager manager;
        SiteListView* list = manager.List();
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(manager.Selected(), std::vector<int>{3});
        QVERIFY(manager.Arrow(3));
        QTest::keyClick(list, Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(manager.Session().AffectedRows(), (std::vector<int>{3, 4}));
        QVERIFY(manager.Arrow(4));
        QTest::keyClick(list, Qt::Key_Up, Qt::ControlModifier);
        QTest::keyClick(list, Qt::Key_Space, Qt::ControlModifier);
        QCOMPARE(manager.Session().AffectedRows(), (std::vector<int>{4}));
        QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(manager.Selected().size(), std::size_t{6});
        QVERIFY(manager.Session().Selection().AllSitesSelected());
        // A Ctrl+click that clears the shown row shows the other one.
        manager.Click(2);
        manager.Click(4, Qt::ControlModifier);
        QVERIFY(manager.Arrow(4));
        manager.Click(4, Qt::ControlModifier);
        QCOMPARE(manager.Selected(), std::vector<int>{2});
        QVERIFY(manager.Arrow(2));
        QCOMPARE(manager.EnableBox()->text(), QStringLiteral("Enable Quorvane for Alpha"));
    }

    void filterNarrowsRowsButAllSitesStaysAll() {
        Manager manager;
        auto* filter = manager.dialog->findChild<QLineEdit*>(QStringLiteral("editFilter"));
        manager.List()->header()->resizeSection(0, 180);
        QTest::keyClicks(filter, QStringLiteral("intra"));
        QTest::keyClick(filter, Qt::Key_Return);
        QCOMPARE(filter->text(), QStringLiteral("intra"));
        QCOMPARE(manager.List()->header()->sectionSize(0), 180);
        QCOMPARE(manager.dialog->Model()->rowCount(manager.Index(SiteRows::kAllSitesRow)), 1);
        // The selected row was filtered away: nothing is selected, so nothing can be edited.
        QVERIFY(!manager.Session().HasBase());
        QVERIFY(!manager.EnableBox()->isEnabled());
        filter->setText(QStringLiteral("3"));
        QVERIFY(manager.dialog->Model()->Shown(4) && !manager.dialog->Model()->Shown(5));
        manager.Click(SiteRows::kAllSitesRow);
        QCOMPARE(manager.Session().AffectedRows(), (std::vector<int>{2, 3, 4, 5}));
    }

    void exitAsksAndHonoursEachAnswer_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("open");
        QTest::addColumn<int>("saves");
        QTest::newRow("yes") << int(QMessageBox::Yes) << false << 1;
        QTest::newRow("no") << int(QMessageBox::No) << false << 0;
        QTest::newRow("cancel") << int(QMessageBox::Cancel) << true << 0;
    }
    void exitAsksAndHonoursEachAnswer() {
        QFETCH(int, answer);
        QFETCH(bool, open);
        QFETCH(int, saves);
        Manager manager;
        manager.ClickEnable();
        manager.answer = static_cast<QMessageBox::StandardButton>(answer);
        manager.dialog->Command(kCommandExit)->trigger();
        QCOMPARE(manager.asked,
                 QStringList{QStringLiteral("Do you want to save your settings before exiting?")});
        QCOMPARE(manager.dialog->isVisible(), open);
        QCOMPARE(manager.machine.saves, saves);
        QCOMPARE(Stored(1, "EnableDisable"), std::string(saves ? "0" : "1"));
        QCOMPARE(manager.savesUnderWindow, 0); // one record needs no window
        QCOMPARE(manager.Button(kControlApply)->isEnabled(), saves == 0);
    }

    void applyTwiceSavesOnceAndCloseBoxLosesEdits() {
        Manager manager;
        manager.Click(SiteRows::kAllSitesRow);
        manager.ClickEnable();
        QTest::mouseClick(manager.Button(kControlApply), Qt::LeftButton);
        QCOMPARE(manager.machine.saves, 4);
        QCOMPARE(manager.savesUnderWindow, 4);
        QVERIFY(!manager.Button(kControlApply)->isEnabled());
        QCOMPARE(Stored(4, "EnableDisable"), std::string("0"));
        manager.ClickEnable();
        manager.dialog->close();
        QVERIFY(!manager.dialog->isVisible());
        QCOMPARE(manager.machine.saves, 4);
        QVERIFY(manager.asked.isEmpty());
    }

    void refusedSavesAreNamedOnceAndKept() {
        Manager manager;
        manager.machine.refused = {2, 4};
        manager.Click(SiteRows::kAllSitesRow);
        manager.ClickEnable();
        QTest::mouseClick(manager.Button(kControlOk), Qt::LeftButton);
        QCOMPARE(manager.asked.size(), 1);
        QVERIFY(manager.asked[0].contains(QStringLiteral("Beta (2)")));
        QVERIFY(manager.asked[0].contains(QStringLiteral("Intranet (4)")));
        QVERIFY(!manager.asked[0].contains(QStringLiteral("Alpha")));
        QVERIFY(manager.dialog->isVisible());
        QVERIFY(manager.Button(kControlApply)->isEnabled());
        QCOMPARE(manager.Site(1).modified, 1);
        QCOMPARE(manager.Site(0).modified, 0);
        // Once the store takes them, only the two are saved again and OK closes.
        manager.machine.refused.clear();
        manager.machine.saves = 0;
        QTest::mouseClick(manager.Button(kControlOk), Qt::LeftButton);
        QCOMPARE(manager.machine.saves, 2);
        QVERIFY(!manager.dialog->isVisible());
    }

    void sizesRoundTripAndHeightStaysFixed() {
        Manager manager;
        const QHeaderView* header = manager.List()->header();
        // Without saved sizes the columns are at least 130 and 50 pixels wide and fill the list.
        QVERIFY(header->sectionSize(0) >= 130 && header->sectionSize(1) >= 50);
        QVERIFY(header->sectionSize(0) + header->sectionSize(1) <= manager.List()->viewport()->width());
        const int height = manager.dialog->height();
        manager.dialog->resize(500, height + 120);
        QCOMPARE(manager.dialog->width(), SettingsManagerDialog::kMinimumWidth);
        QCOMPARE(manager.dialog->height(), height);
        manager.dialog->resize(760, height);
        manager.List()->header()->resizeSection(0, 210);
        manager.List()->header()->resizeSection(1, 70);
        manager.dialog->reject();
        QCOMPARE(DialogSizes::Load().value_or(DialogSizes{}).right, 768);
        manager.Open();
        QCOMPARE(manager.dialog->width(), 760);
        QCOMPARE(manager.List()->header()->sectionSize(0), 210);
        QCOMPARE(manager.List()->header()->sectionSize(1), 70);
    }

    void enterNeverClosesAndHelpOpensTheInstalledFiles() {
        Manager manager;
        manager.EnableBox()->setFocus();
        QTest::keyClick(manager.EnableBox(), Qt::Key_Return);
        QCOMPARE(manager.EnableBox()->checkState(), Qt::Unchecked);
        QVERIFY(manager.dialog->isVisible());
        manager.List()->setFocus();
        QTest::keyClick(manager.List(), Qt::Key_Enter, Qt::KeypadModifier);
        QVERIFY(manager.dialog->isVisible());
        QCOMPARE(manager.machine.saves, 0);
        // Tab on an unchecked enable box skips the pages.
        manager.EnableBox()->setFocus();
        QTest::keyClick(manager.EnableBox(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), manager.Button(kControlOk));
        QStringList opened;
        DesktopOpen::SetOpener([&opened](const QString& path) {
            opened << path;
            return true;
        });
        manager.dialog->Command(kCommandDocumentation)->trigger();
        manager.dialog->Command(kCommandTechSupport)->trigger();
        DesktopOpen::SetOpener({});
        const QString install = QString::fromStdString(manager.machine.Install());
        QCOMPARE(opened, (QStringList{install + QStringLiteral("Documentation.htm"),
                                      install + QStringLiteral("TechSupport.htm")}));
        manager.dialog->Command(kCommandAbout)->trigger();
        QVERIFY(manager.asked.value(0).contains(QStringLiteral("Version 1.2")));
    }

    void callerTitleListsItsSitesOnly() {
        Manager manager({u"Alpha", u"Intranet", u""},
                        SettingsManagerDialog::Caller{"Intranet Properties", QRect(100, 100, 1000, 800)});
        // "Alpha" is not named by the title; a site without a description always is.
        QCOMPARE(manager.dialog->Model()->rowCount(manager.Index(SiteRows::kAllSitesRow)), 2);
        manager.Click(SiteRows::kAllSitesRow);
        QCOMPARE(manager.Session().AffectedRows(), (std::vector<int>{2, 3}));
        manager.ClickEnable();
        QCOMPARE(manager.Site(0).modified, 0);
    }

    void longToolTipsWrapAt300Pixels() {
        const QFont font;
        QCOMPARE(SettingsPage::FittedToolTip(QStringLiteral("Short & plain"), font),
                 QStringLiteral("Short &amp; plain"));
        const QString fitted = SettingsPage::FittedToolTip(QString(200, QLatin1Char('w')), font);
        QVERIFY(fitted.startsWith(QStringLiteral("<table width=\"300\">")));
    }

    void serverWithoutSitesShowsDefaultSettingsOnly() {
        Manager manager(std::vector<std::u16string>{});
        QCOMPARE(manager.dialog->Model()->rowCount(), 1);
        manager.Click(SiteRows::kDefaultRow);
        manager.ClickEnable();
        QTest::mouseClick(manager.Button(kControlOk), Qt::LeftButton);
        QCOMPARE(manager.machine.saves, 0);
    }

    void anAmpersandInADescriptionIsShownAsWritten() {
        Manager manager(std::vector<std::u16string>{u"Fenwick & Hale"});
        QCOMPARE(manager.EnableBox()->text(), QStringLiteral("Enable Quorvane for Fenwick && Hale"));
    }
};

QTEST_MAIN(SettingsManagerDialogTest)
#include "SettingsManagerDialogTest.moc"
