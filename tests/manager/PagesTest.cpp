// The Error Directory and Error Files pages, clicked and typed on inside the real dialog.
#include "ManagerDialog.h"
#include "manager/ErrorDirectoryPage.h"
#include "manager/ErrorFilesPage.h"
#include "manager/core/SiteRows.h"
#include "manager/list/ImageListsDialog.h"
#include "manager/list/ListEditorDialog.h"
#include "manager/list/ListItemDialog.h"

#include <QHelpEvent>
#include <QRadioButton>
#include <QTabBar>
#include <QToolTip>

using namespace qv;
using namespace Qt::Literals::StringLiterals;

namespace {

const QString kRootTail = QStringLiteral(
    " (specified above) in the root of the Web site (virtual server) that generated the error.");
const QString kRequestedTail = QStringLiteral(
    " (specified above) within the same directory as the requested file, and then looks to the next "
    "highest level directory in the request URL, and so on, until the Quorvane directory above is "
    "found.  This option allows you to create multiple error responses at different places in the site.");
const QString kDirectoryText = QStringLiteral(
    "The directory where pages/files used in customized error responses for the selected site(s) are "
    "stored.");
const QString kStaticText = QStringLiteral(
    "When any type of server error occurs, Quorvane can respond with a customized static file.  This "
    "control defines the type of static file used and the order of preference for error files with the "
    "same name (e.g. 500.html is preferred to 500.htm).");
const QString kDynamicText = QStringLiteral(
    "Specifically for 404 server errors, Quorvane can respond with a customized dynamic file with more "
    "interactivity than a static file. This control defines the type of dynamic file used and the order "
    "of preference for error files with the same name (e.g. 404.asp preferred to 404.cfm).");
// Written out in UTF-8 bytes, so that the right single quotation mark is checked as such.
const QString kImageText = QString::fromUtf8(
    "Specifically for 404 server errors on image file type requests, Quorvane can respond with a custom "
    "image file, allowing developers to control the type of image displayed rather than a Web "
    "browser\xE2\x80\x99s default error image file. This control defines the type of image files used "
    "and the order of preference for error files with the same name (e.g. 404.gif preferred to 404.jpg).");

using Manager = test::ManagerDialog;

} // namespace

class PagesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void toolTipsFollowTheTypedName_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("expected");
        const QString rootNamed = QStringLiteral("Quorvane looks for the directory \"errors\"") + kRootTail;
        const QString rootUnnamed = QStringLiteral("Quorvane looks for the error directory") + kRootTail;
        const QString requestedUnnamed =
            QStringLiteral("Quorvane begins searching for the error directory") + kRequestedTail;
        const QString requestedNamed =
            QStringLiteral("Quorvane begins searching for the directory \"errors\"") + kRequestedTail;
        QTest::newRow("root, named") << 0 << u"errors"_s << u"radioSiteRoot"_s << rootNamed;
        QTest::newRow("requested, named")
            << 0 << u"errors"_s << u"radioRequestedDirectory"_s << requestedNamed;
        QTest::newRow("root, Varies") << 0 << u"Varies"_s << u"radioSiteRoot"_s << rootUnnamed;
        QTest::newRow("requested, VARIES")
            << 0 << u"VARIES"_s << u"radioRequestedDirectory"_s << requestedUnnamed;
        QTest::newRow("root, empty") << 0 << u""_s << u"radioSiteRoot"_s << rootUnnamed;
        QTest::newRow("name label") << 0 << u"errors"_s << u"labelDirectory"_s << kDirectoryText;
        QTest::newRow("name edit, empty") << 0 << u""_s << u"editDirectory"_s << kDirectoryText;
        QTest::newRow("mode label") << 0 << u"errors"_s << u"labelSearchMode"_s << QString();
        QTest::newRow("static button") << 1 << u""_s << u"buttonStaticConfigure"_s << kStaticText;
        QTest::newRow("static label") << 1 << u""_s << u"labelStatic"_s << kStaticText;
        QTest::newRow("dynamic box") << 1 << u""_s << u"checkDynamic"_s << kDynamicText;
        QTest::newRow("image box") << 1 << u""_s << u"checkImages"_s << kImageText;
        QTest::newRow("image button") << 1 << u""_s << u"buttonImageConfigure"_s << QString();
    }
    void toolTipsFollowTheTypedName() {
        QFETCH(int, tab);
        QFETCH(QString, name);
        QFETCH(QString, control);
        QFETCH(QString, expected);
        Manager manager;
        manager.Tab(tab);
        manager.Find<QLineEdit>("editDirectory")->setText(name);
        auto* page = qobject_cast<SettingsPage*>(manager.Tabs()->currentWidget());
        auto* widget = page->findChild<QWidget*>(control);
        QVERIFY(widget);
        const QString text = tab == 0 ? static_cast<ErrorDirectoryPage*>(page)->ToolTipFor(widget)
                                      : static_cast<ErrorFilesPage*>(page)->ToolTipFor(widget);
        QCOMPARE(text, expected);
        if (expected.isEmpty())
            return;
        // Asked for by the window system over the control, the page shows it fitted.
        const QPoint pos(widget->width() / 2, widget->height() / 2);
        QHelpEvent help(QEvent::ToolTip, pos, widget->mapToGlobal(pos));
        QApplication::sendEvent(widget, &help);
        QCOMPARE(QToolTip::text(), SettingsPage::FittedToolTip(expected, QToolTip::font()));
        QToolTip::hideText();
    }

    void directoryPageEditsReachEverySelectedRecord() {
        Manager manager;
        manager.Site(0).ServerState = 1;
        manager.Site(0).Directory = "errors";
        manager.Site(3).Directory = "Errors";
        manager.Open();
        manager.Click(3, Qt::ControlModifier);
        manager.Shot("error-directory-page");
        auto* root = manager.Find<QRadioButton>("radioSiteRoot");
        auto* requested = manager.Find<QRadioButton>("radioRequestedDirectory");
        QVERIFY(!root->isChecked() && !requested->isChecked());
        Manager::ClickBox(requested);
        QVERIFY(requested->isChecked() && !root->isChecked());
        QCOMPARE(manager.Site(0).ServerState, 0);
        QVERIFY(manager.Button(kControlApply)->isEnabled());
        Manager::ClickBox(root);
        QCOMPARE(manager.Site(0).ServerState, 1);
        QCOMPARE(manager.Site(1).ServerState, 1);
        // The name, over all sites and the default entry.
        manager.Click(SiteRows::kAllSitesRow);
        manager.Click(SiteRows::kDefaultRow, Qt::ControlModifier);
        auto* edit = manager.Find<QLineEdit>("editDirectory");
        QCOMPARE(edit->text(), QStringLiteral("Varies"));
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QString());
        for (std::size_t site = 0; site < 4; ++site)
            QCOMPARE(manager.Site(site).Directory, std::string());
        QCOMPARE(manager.machine.store->DefaultRecord().Directory, std::string());
        // A longer name is cut to 259 characters in the box and in the records, in whole characters.
        edit->setText(QString(300, QLatin1Char('d')));
        QCOMPARE(edit->text().size(), 259);
        QCOMPARE(manager.Site(2).Directory, std::string(259, 'd'));
        edit->setText(QString(200, QChar(0xFC)));
        QCOMPARE(manager.Site(2).Directory, QString(129, QChar(0xFC)).toStdString()); // 258 bytes
    }

    // A varying box: the first click unchecks it and its controls, the second checks them, for every site.
    void indeterminateBoxClickedTwice_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QStringList>("controls");
        QTest::newRow("dynamic 404") << 1 << u"checkDynamic"_s << QStringList{u"buttonDynamicConfigure"_s};
        QTest::newRow("logging") << 3 << u"checkLogging"_s
                                 << QStringList{u"editLogDir"_s, u"labelLogDir"_s, u"buttonView"_s,
                                                u"buttonBrowse"_s};
    }
    void indeterminateBoxClickedTwice() {
        QFETCH(int, tab);
        QFETCH(QString, box);
        QFETCH(QStringList, controls);
        const auto field = tab == 1 ? &SiteSettings::Dyn404 : &SiteSettings::Logging;
        Manager manager;
        manager.Site(0).*field = 1;
        manager.Open();
        manager.Click(3, Qt::ControlModifier);
        manager.Tab(tab);
        manager.Shot(tab == 1 ? "error-files-page" : "logging-page");
        auto* check = manager.dialog->findChild<QCheckBox*>(box);
        const auto enabled = [&](bool expected) {
            for (const QString& name : controls)
                QVERIFY2(manager.dialog->findChild<QWidget*>(name)->isEnabled() == expected,
                         qPrintable(name));
        };
        QCOMPARE(check->checkState(), Qt::PartiallyChecked);
        enabled(true);
        for (const int value : {0, 1}) {
            Manager::ClickBox(check);
            QCOMPARE(check->checkState(), value ? Qt::Checked : Qt::Unchecked);
            enabled(value == 1);
            QCOMPARE(manager.Site(0).*field, value);
            QCOMPARE(manager.Site(1).*field, value);
        }
        QVERIFY(manager.Button(kControlApply)->isEnabled());
    }

    // EnableDisable, Dyn404, SendErrorImage of two sites; then page, dynamic and image configure enabled.
    void configureButtonsFollowTheCombinedValues_data() {
        QTest::addColumn<QList<int>>("c");
        QTest::newRow("enabled") << QList<int>{1, 1, 1, 1, 0, 0, 1, 1, 0};
        QTest::newRow("disabled") << QList<int>{0, 0, 1, 1, 1, 1, 0, 0, 0};
        QTest::newRow("enable varies") << QList<int>{1, 0, 0, 0, 1, 1, 1, 0, 1};
        QTest::newRow("flags vary") << QList<int>{1, 1, 1, 0, 0, 1, 1, 1, 1};
    }
    void configureButtonsFollowTheCombinedValues() {
        QFETCH(QList<int>, c);
        Manager manager;
        for (int site = 0; site < 2; ++site) {
            manager.Site(site).EnableDisable = c[site];
            manager.Site(site).Dyn404 = c[2 + site];
            manager.Site(site).SendErrorImage = c[4 + site];
        }
        manager.Open();
        manager.Click(3, Qt::ControlModifier);
        manager.Tab(1);
        auto* staticConfigure = manager.Find<QPushButton>("buttonStaticConfigure");
        auto* dynamic = manager.Find<QPushButton>("buttonDynamicConfigure");
        auto* image = manager.Find<QPushButton>("buttonImageConfigure");
        QCOMPARE(staticConfigure->isEnabled(), bool(c[6]));
        QCOMPARE(manager.Find<QCheckBox>("checkImages")->isEnabled(), bool(c[6]));
        QCOMPARE(manager.Find<QLineEdit>("editDirectory")->isEnabled(), bool(c[6]));
        QCOMPARE(dynamic->isEnabled(), bool(c[7]));
        QCOMPARE(image->isEnabled(), bool(c[8]));
        if (!c[6])
            return;
        // Unchecking the enable box disables the whole page at once.
        manager.ClickEnable();
        QVERIFY(!staticConfigure->isEnabled() && !dynamic->isEnabled() && !image->isEnabled());
        QVERIFY(!manager.Find<QRadioButton>("radioRequestedDirectory")->isEnabled());
    }

    void tabIntoAPageAndBackFromOk() {
        Manager manager;
        manager.Site(0).SendErrorImage = 1;
        manager.Open();
        QTabBar* bar = manager.Tabs()->tabBar();
        QWidget* ok = manager.Button(kControlOk);
        const auto tab = [](QWidget* from, Qt::KeyboardModifiers modifiers = {}) {
            from->setFocus();
            QTest::keyClick(from, Qt::Key_Tab, modifiers);
            return QApplication::focusWidget();
        };
        QCOMPARE(tab(bar), manager.Find<QWidget>("editDirectory"));
        QCOMPARE(tab(ok, Qt::ShiftModifier), manager.Find<QWidget>("radioSiteRoot"));
        // The search mode button that has the focus is the page's last.
        QCOMPARE(tab(manager.Find<QWidget>("radioRequestedDirectory")), ok);
        manager.Tab(1);
        QCOMPARE(tab(bar), manager.Find<QWidget>("buttonStaticConfigure"));
        QCOMPARE(tab(ok, Qt::ShiftModifier), manager.Find<QWidget>("buttonImageConfigure"));
        Manager::ClickBox(manager.Find<QCheckBox>("checkImages"));
        QCOMPARE(tab(ok, Qt::ShiftModifier), manager.Find<QWidget>("checkImages"));
        // A disabled page takes no focus: Shift+Tab from OK goes on as Qt would.
        manager.ClickEnable();
        QWidget* before = tab(ok, Qt::ShiftModifier);
        QVERIFY(before != ok && before->isEnabled());
    }

    void configuredListReachesExactlyTheSelectedSites() {
        Manager manager;
        manager.Click(2);
        manager.Click(3, Qt::ControlModifier);
        manager.Click(4, Qt::ControlModifier);
        manager.Tab(1);
        const auto press = [](QDialog& dialog, const QString& name) {
            QTest::mouseClick(dialog.findChild<QPushButton*>(name), Qt::LeftButton);
        };
        ListItemDialog::SetTestHook([](QDialog& item) {
            item.findChild<QLineEdit*>(u"editText"_s)->setText(u"shtml"_s);
            item.accept();
        });
        ListEditorDialog::SetTestHook([&](QDialog& editor) {
            press(editor, u"buttonAdd"_s);
            press(editor, u"buttonOk"_s);
        });
        QTest::mouseClick(manager.Find<QPushButton>("buttonStaticConfigure"), Qt::LeftButton);
        QVERIFY(manager.dialog->Session().Lists().IsSet(ListChangeFlags::ExtList));
        // Cancel in one editor clears its own flags only, and leaves its lists as they were.
        ImageListsDialog::SetTestHook([](QDialog& editor) { editor.reject(); });
        QTest::mouseClick(manager.Find<QPushButton>("buttonImageConfigure"), Qt::LeftButton);
        QVERIFY(manager.dialog->Session().Lists().IsSet(ListChangeFlags::ExtList));
        QVERIFY(!manager.dialog->Session().Lists().IsSet(ListChangeFlags::ImgExts));
        ListItemDialog::SetTestHook({});
        ListEditorDialog::SetTestHook({});
        ImageListsDialog::SetTestHook({});
        QTest::mouseClick(manager.Button(kControlApply), Qt::LeftButton);
        // Exactly the three selected sites' keys hold the new list; the fourth and the default keep theirs.
        for (std::uint32_t site = 1; site <= 4; ++site) {
            RegistryKey key;
            std::string text;
            QCOMPARE(key.Open(std::string(kSitesKey) + "\\" + std::to_string(site), RegAccess::Read), 0L);
            QCOMPARE(key.ReadText("ExtList", 2048, text), 0L);
            QCOMPARE(text.find("shtml") != std::string::npos, site <= 3);
        }
    }
};

QTEST_MAIN(PagesTest)
#include "PagesTest.moc"
