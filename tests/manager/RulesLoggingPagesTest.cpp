#include "ManagerMachine.h"
#include "manager/LoggingPage.h"
#include "manager/RulesPage.h"
#include "manager/SettingsManagerDialog.h"
#include "manager/SiteListView.h"
#include "manager/SiteTreeModel.h"
#include "manager/core/SettingsSession.h"
#include "platform/TextEditor.h"
#include "widgets/MessageBox.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

using namespace qv;

namespace {

constexpr int kRulesTab = 2;
constexpr int kLoggingTab = 3;
const char* const kTwoRules = "# a comment\t/x\n\nno tab here\n/old\t/new\n/a\t/b\n";

// A program that appends each of its arguments as a line to log, started in place of an editor or viewer.
void WriteStandIn(const QString& program, const QString& log) {
    QFile file(program);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" >> '%1'\n").arg(log).toLocal8Bit());
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QStringList Lines(const QString& log) {
    QFile file(log);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// The dialog over four sites, with the editor replaced by a stand-in and message boxes answered.
class Pages {
public:
    Pages() : machine({u"Alpha", u"Beta", u"Gamma", u"Intranet"}) {
        editorLog = scratch.filePath(QStringLiteral("editor.log"));
        const QString editor = scratch.filePath(QStringLiteral("editor"));
        WriteStandIn(editor, editorLog);
        qputenv(TextEditor::kOverrideVariable, editor.toLocal8Bit());
        MessageBox::SetHook([this](const MessageBox::Request& request) {
            asked << request.title + QLatin1Char('|') + request.text;
            return answer;
        });
        dialog = std::make_unique<SettingsManagerDialog>(*machine.store, std::nullopt,
                                                         [this](SiteSettings& r) { return machine.Save(r); });
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    }
    ~Pages() {
        dialog.reset();
        MessageBox::SetHook({});
        LoggingPage::SetFolderChooser({});
        qunsetenv(TextEditor::kOverrideVariable);
    }

    void Tab(int index) const {
        static_cast<QTabWidget*>(dialog->Control(kControlTabs))->setCurrentIndex(index);
    }
    template <class T> T* Find(const char* name) const {
        return dialog->findChild<T*>(QString::fromLatin1(name));
    }
    QString Text(const char* name) const { return Find<QLabel>(name)->text(); }
    void Select(int row, Qt::KeyboardModifiers modifiers = {}) const {
        auto* list = static_cast<SiteListView*>(dialog->Control(kControlSiteList));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                          list->visualRect(dialog->Model()->IndexOf(row, 0)).center());
    }
    void Click(const char* button) const { QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton); }
    std::string RulesOf(std::size_t site) { return JoinPath(machine.Site(site).siteRoot, "rules.qv"); }
    std::string Template() const { return JoinPath(machine.Install() + "Templates", "rules.qv"); }

    QTemporaryDir scratch;
    QString editorLog;
    test::ManagerMachine machine;
    std::unique_ptr<SettingsManagerDialog> dialog;
    QMessageBox::StandardButton answer = QMessageBox::Yes;
    QStringList asked;
};

void Write(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

} // namespace

class RulesLoggingPagesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rulesInfoIsReadWhenTheTabIsShown() {
        Pages pages;
        Write(pages.RulesOf(0), kTwoRules);
        pages.Tab(kRulesTab);
        QCOMPARE(pages.Text("textCount"), QStringLiteral("2"));
        QVERIFY(pages.Text("textUpdated").endsWith(QLatin1Char('\n')));

        // Another selection while the tab stays up moves the path line only.
        pages.Select(3);
        QCOMPARE(pages.Text("textPath"), QString::fromStdString(pages.RulesOf(1)));
        QCOMPARE(pages.Text("textCount"), QStringLiteral("2"));
        pages.Tab(kLoggingTab);
        pages.Tab(kRulesTab);
        QCOMPARE(pages.Text("textCount"),
                 QStringLiteral("File does not exist.\nClick the Edit button above to "
                                "create the rules.qv file."));
        QCOMPARE(pages.Text("textUpdated"), QStringLiteral("Not applicable"));
    }

    void editCreatesAMissingFileAndStartsTheEditorOnce() {
        Pages pages;
        Write(pages.Template(), kTwoRules);
        pages.Tab(kRulesTab);
        QCOMPARE(pages.Text("textUpdated"), QStringLiteral("Not applicable"));
        pages.Click("buttonEdit");
        QVERIFY(std::filesystem::exists(pages.RulesOf(0)));
        QCOMPARE(pages.Text("textCount"), QStringLiteral("2"));
        QVERIFY(pages.Text("textUpdated") != QStringLiteral("Not applicable"));
        QTRY_COMPARE(Lines(pages.editorLog), QStringList{QString::fromStdString(pages.RulesOf(0))});
        QVERIFY(pages.asked.isEmpty());
        QCOMPARE(pages.machine.saves, 0);
        QVERIFY(!static_cast<QPushButton*>(pages.dialog->Control(kControlApply))->isEnabled());
        // An editor that cannot be started is named in one warning instead of leaving the click unanswered.
        qputenv(TextEditor::kOverrideVariable,
                pages.scratch.filePath(QStringLiteral("missing")).toLocal8Bit());
        pages.Click("buttonEdit");
        QCOMPARE(pages.asked.size(), 1);
        QVERIFY(pages.asked.front().contains(QString::fromStdString(pages.RulesOf(0))));
    }

    void severalSitesAskOnceAndOpenEachFile() {
        Pages pages;
        Write(pages.Template(), kTwoRules);
        pages.Tab(kRulesTab);
        pages.Select(2);
        pages.Select(3, Qt::ControlModifier);
        pages.Select(5, Qt::ControlModifier);
        QCOMPARE(pages.Text("textPath"),
                 QStringLiteral("Multiple sites are selected, the path of rules.qv varies"));

        pages.answer = QMessageBox::No;
        pages.Click("buttonEdit");
        QCOMPARE(pages.asked,
                 QStringList{QStringLiteral("Quorvane Rules Files|Are you sure you want to open the "
                                            "rules files for each of the selected sites?")});
        QVERIFY(!std::filesystem::exists(pages.RulesOf(0)));

        pages.answer = QMessageBox::Yes;
        pages.Click("buttonEdit");
        QCOMPARE(pages.asked.size(), 2);
        QTRY_COMPARE(Lines(pages.editorLog).size(), 3);
        QStringList opened = Lines(pages.editorLog);
        opened.sort();
        QCOMPARE(opened, (QStringList{QString::fromStdString(pages.RulesOf(0)),
                                      QString::fromStdString(pages.RulesOf(1)),
                                      QString::fromStdString(pages.RulesOf(3))}));
        QVERIFY(std::filesystem::exists(pages.RulesOf(3)));
        QVERIFY(!std::filesystem::exists(pages.RulesOf(2)));
    }

    void allWebSitesWithOneSiteOpensTheBaseFileWithoutAsking() {
        Pages pages;
        pages.Tab(kRulesTab);
        pages.Select(4);
        pages.Select(SiteRows::kAllSitesRow, Qt::ControlModifier);
        QCOMPARE(pages.Text("textPath"), QString::fromStdString(pages.RulesOf(2)));
        pages.Click("buttonEdit");
        QVERIFY(pages.asked.isEmpty());
        // No template: the editor opens the missing path all the same.
        QTRY_COMPARE(Lines(pages.editorLog), QStringList{QString::fromStdString(pages.RulesOf(2))});
    }

    void longRootIsElidedInTheMiddle() {
        Pages pages;
        const std::string root = "/srv/" + std::string(120, 'd') + "/www";
        pages.machine.Site(1).siteRoot = root;
        pages.Tab(kRulesTab);
        pages.Select(3);
        const QString line = pages.Text("textPath");
        QVERIFY2(line.contains(QChar(0x2026)), qPrintable(line));
        QVERIFY(line.startsWith(QStringLiteral("/srv/")) && line.endsWith(QStringLiteral("rules.qv")));
        QVERIFY(pages.Find<QLabel>("textPath")->fontMetrics().horizontalAdvance(line) <=
                RulesPage::kPathWidth);
    }

    void indeterminateLoggingClickedWritesZeroAndDisablesTheDetails() {
        Pages pages;
        pages.machine.Site(0).Logging = 1;
        pages.machine.Site(1).Logging = 0;
        pages.Tab(kLoggingTab);
        pages.Select(2);
        pages.Select(3, Qt::ControlModifier);
        auto* box = pages.Find<QCheckBox>("checkLogging");
        QCOMPARE(box->checkState(), Qt::PartiallyChecked);
        QVERIFY(pages.Find<QLineEdit>("editLogDir")->isEnabled());
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
        QCOMPARE(box->checkState(), Qt::Unchecked);
        QCOMPARE(pages.machine.Site(0).Logging, 0);
        QCOMPARE(pages.machine.Site(1).Logging, 0);
        for (const char* name : {"labelLogDir", "editLogDir", "buttonView", "buttonBrowse"})
            QVERIFY2(!pages.Find<QWidget>(name)->isEnabled(), name);
        QVERIFY(static_cast<QPushButton*>(pages.dialog->Control(kControlApply))->isEnabled());

        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
        QCOMPARE(pages.machine.Site(1).Logging, 1);
        QVERIFY(pages.Find<QLineEdit>("editLogDir")->isEnabled());
    }

    void viewStartsTheViewerOnTheShownSite() {
        Pages pages;
        pages.machine.store->DefaultRecord().Logging = 1;
        for (std::size_t site = 0; site < 4; ++site)
            pages.machine.Site(site).Logging = 1;
        pages.Tab(kLoggingTab);
        pages.Click("buttonView"); // no program installed: nothing happens
        const QString viewer =
            QString::fromStdString(pages.machine.Install()) + QStringLiteral("qv_logviewer");
        const QString log = pages.scratch.filePath(QStringLiteral("viewer.log"));
        WriteStandIn(viewer, log);

        pages.Select(SiteRows::kDefaultRow);
        pages.Click("buttonView");
        QTRY_COMPARE(Lines(log), QStringList{QStringLiteral("/0")});
        pages.Select(2);
        pages.Select(4, Qt::ControlModifier);
        pages.Click("buttonView");
        QTRY_COMPARE(Lines(log), (QStringList{QStringLiteral("/0"), QStringLiteral("/3")}));

        // The default entry shown while sites are selected too (Ctrl+A from it): no log to mean, no button.
        pages.Select(SiteRows::kDefaultRow);
        auto* list = static_cast<SiteListView*>(pages.dialog->Control(kControlSiteList));
        QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
        QVERIFY(pages.Find<QPushButton>("buttonView")->isHidden());
        pages.Select(2);
        QVERIFY(!pages.Find<QPushButton>("buttonView")->isHidden());
    }

    void chosenFolderGetsASeparatorAndReachesEverySite() {
        Pages pages;
        for (std::size_t site = 0; site < 4; ++site)
            pages.machine.Site(site).Logging = 1;
        pages.Tab(kLoggingTab);
        QString startedAt = QStringLiteral("unset");
        QString title;
        const QString chosen = pages.scratch.filePath(QStringLiteral("logs"));
        QDir().mkpath(chosen);
        LoggingPage::SetFolderChooser([&](QWidget*, const QString& caption, const QString& start) {
            title = caption;
            startedAt = start;
            return chosen;
        });
        pages.Select(SiteRows::kAllSitesRow);
        QCOMPARE(pages.Find<QLineEdit>("editLogDir")->text(), QStringLiteral("Varies"));
        pages.Click("buttonBrowse");
        QCOMPARE(title, QStringLiteral("Choose Logging Directory"));
        QCOMPARE(startedAt, QString());
        QCOMPARE(pages.Find<QLineEdit>("editLogDir")->text(), chosen + QLatin1Char('/'));
        for (std::size_t site = 0; site < 4; ++site)
            QCOMPARE(QString::fromStdString(pages.machine.Site(site).LogDir), chosen + QLatin1Char('/'));

        // A token is kept in the edit and expanded per site.
        pages.Find<QLineEdit>("editLogDir")->setText(chosen + QStringLiteral("/[SITE]/"));
        QCOMPARE(QString::fromStdString(pages.machine.Site(2).LogDir), chosen + QStringLiteral("/3/"));
    }

    void screenshots() {
        const QByteArray dir = qgetenv("QV_SCREENSHOT_DIR");
        if (dir.isEmpty())
            QSKIP("QV_SCREENSHOT_DIR not set");
        Pages pages;
        pages.machine.Site(0).Logging = 1;
        Write(pages.RulesOf(0), kTwoRules);
        pages.Tab(kRulesTab);
        QTest::qWait(100);
        QVERIFY(pages.dialog->grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/rules-page.png")));
        pages.Select(3);
        pages.Tab(kLoggingTab);
        pages.Tab(kRulesTab);
        QVERIFY(pages.dialog->grab().save(QString::fromLocal8Bit(dir) +
                                          QStringLiteral("/rules-page-missing.png")));
        pages.Tab(kLoggingTab);
        pages.Select(2);
        pages.Select(3, Qt::ControlModifier);
        QTest::qWait(100);
        QVERIFY(pages.dialog->grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/logging-page.png")));
    }
};

QTEST_MAIN(RulesLoggingPagesTest)
#include "RulesLoggingPagesTest.moc"
