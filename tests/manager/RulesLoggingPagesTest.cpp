#include "ManagerDialog.h"
#include "manager/LoggingPage.h"
#include "manager/RulesPage.h"
#include "platform/TextEditor.h"

#include <QDir>
#include <QFontMetrics>
#include <QTemporaryDir>

using namespace qv;

namespace {

constexpr int kRulesTab = 2;
constexpr int kLoggingTab = 3;
const char* const kTwoRules = "# a comment\t/x\n\nno tab here\n/old\t/new\n/a\t/b\n";

// The dialog over four sites with the editor replaced by a stand-in that logs what it opens.
class Pages : public test::ManagerDialog {
public:
    Pages() {
        editorLog = scratch.filePath(QStringLiteral("editor.log"));
        const QString editor = scratch.filePath(QStringLiteral("editor"));
        WriteStandIn(editor, editorLog);
        qputenv(TextEditor::kOverrideVariable, editor.toLocal8Bit());
    }
    ~Pages() {
        LoggingPage::SetFolderChooser({});
        qunsetenv(TextEditor::kOverrideVariable);
    }
    std::string RulesOf(std::size_t site) { return JoinPath(Site(site).siteRoot, "rules.qv"); }
    std::string Template() const { return JoinPath(machine.Install() + "Templates", "rules.qv"); }

    QTemporaryDir scratch;
    QString editorLog;
};

void Write(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

} // namespace

class RulesLoggingPagesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rulesInfoIsReadWhenTheTabIsShownAndLongPathsElided() {
        Pages pages;
        Write(pages.RulesOf(0), kTwoRules);
        pages.Tab(kRulesTab);
        QCOMPARE(pages.Text("textCount"), QStringLiteral("2"));
        QVERIFY(pages.Text("textUpdated").endsWith(QLatin1Char('\n')));
        pages.Shot("rules-page");
        // Another selection while the tab stays up moves the path line only.
        pages.Click(3);
        QCOMPARE(pages.Text("textPath"), QString::fromStdString(pages.RulesOf(1)));
        QCOMPARE(pages.Text("textCount"), QStringLiteral("2"));
        pages.Tab(kLoggingTab);
        pages.Tab(kRulesTab);
        QCOMPARE(pages.Text("textCount"),
                 QStringLiteral("File does not exist.\nClick the Edit button above to "
                                "create the rules.qv file."));
        QCOMPARE(pages.Text("textUpdated"), QStringLiteral("Not applicable"));
        pages.Shot("rules-page-missing");
        // A long root is elided in the middle.
        pages.Site(2).siteRoot = "/srv/" + std::string(120, 'd') + "/www";
        pages.Click(4);
        const QString line = pages.Text("textPath");
        QVERIFY2(line.contains(QChar(0x2026)), qPrintable(line));
        QVERIFY(line.startsWith(QStringLiteral("/srv/")) && line.endsWith(QStringLiteral("rules.qv")));
        QVERIFY(pages.Find<QLabel>("textPath")->fontMetrics().horizontalAdvance(line) <=
                RulesPage::kPathWidth);
    }

    void editCreatesAMissingFileAndStartsTheEditorOnce() {
        Pages pages;
        Write(pages.Template(), kTwoRules);
        pages.Tab(kRulesTab);
        QCOMPARE(pages.Text("textUpdated"), QStringLiteral("Not applicable"));
        pages.Press("buttonEdit");
        QVERIFY(std::filesystem::exists(pages.RulesOf(0)));
        QCOMPARE(pages.Text("textCount"), QStringLiteral("2"));
        QVERIFY(pages.Text("textUpdated") != QStringLiteral("Not applicable"));
        QTRY_COMPARE(Pages::Lines(pages.editorLog), QStringList{QString::fromStdString(pages.RulesOf(0))});
        QVERIFY(pages.asked.isEmpty());
        QCOMPARE(pages.machine.saves, 0);
        QVERIFY(!pages.Button(kControlApply)->isEnabled());
        // An editor that cannot be started is named in one warning instead of leaving the click unanswered.
        qputenv(TextEditor::kOverrideVariable,
                pages.scratch.filePath(QStringLiteral("missing")).toLocal8Bit());
        pages.Press("buttonEdit");
        QCOMPARE(pages.asked.size(), 1);
        QVERIFY(pages.asked.front().contains(QString::fromStdString(pages.RulesOf(0))));
    }

    void severalSitesAskOnceAndOpenEachFile() {
        Pages pages;
        pages.Tab(kRulesTab);
        // All Web Sites with one site is no several: no question, and without a template the missing path.
        pages.Click(4);
        pages.Click(SiteRows::kAllSitesRow, Qt::ControlModifier);
        QCOMPARE(pages.Text("textPath"), QString::fromStdString(pages.RulesOf(2)));
        pages.Press("buttonEdit");
        QVERIFY(pages.asked.isEmpty());
        QTRY_COMPARE(Pages::Lines(pages.editorLog), QStringList{QString::fromStdString(pages.RulesOf(2))});
        QVERIFY(QFile::remove(pages.editorLog));
        Write(pages.Template(), kTwoRules);
        pages.Click(2);
        pages.Click(3, Qt::ControlModifier);
        pages.Click(5, Qt::ControlModifier);
        QCOMPARE(pages.Text("textPath"),
                 QStringLiteral("Multiple sites are selected, the path of rules.qv varies"));
        pages.answer = QMessageBox::No;
        pages.Press("buttonEdit");
        QCOMPARE(pages.titles, QStringList{QStringLiteral("Quorvane Rules Files")});
        QCOMPARE(pages.asked, QStringList{QStringLiteral("Are you sure you want to open the rules files for "
                                                         "each of the selected sites?")});
        QVERIFY(!std::filesystem::exists(pages.RulesOf(0)));
        pages.answer = QMessageBox::Yes;
        pages.Press("buttonEdit");
        QCOMPARE(pages.asked.size(), 2);
        QTRY_COMPARE(Pages::Lines(pages.editorLog).size(), 3);
        QStringList opened = Pages::Lines(pages.editorLog);
        opened.sort();
        QCOMPARE(opened, (QStringList{QString::fromStdString(pages.RulesOf(0)),
                                      QString::fromStdString(pages.RulesOf(1)),
                                      QString::fromStdString(pages.RulesOf(3))}));
        QVERIFY(std::filesystem::exists(pages.RulesOf(3)));
        QVERIFY(!std::filesystem::exists(pages.RulesOf(2)));
    }

    void viewStartsTheViewerOnTheShownSite() {
        Pages pages;
        pages.machine.store->DefaultRecord().Logging = 1;
        for (std::size_t site = 0; site < 4; ++site)
            pages.Site(site).Logging = 1;
        pages.Tab(kLoggingTab);
        pages.Press("buttonView"); // no program installed: nothing happens
        const QString viewer =
            QString::fromStdString(pages.machine.Install()) + QStringLiteral("qv_logviewer");
        const QString log = pages.scratch.filePath(QStringLiteral("viewer.log"));
        Pages::WriteStandIn(viewer, log);
        pages.Click(SiteRows::kDefaultRow);
        pages.Press("buttonView");
        QTRY_COMPARE(Pages::Lines(log), QStringList{QStringLiteral("/0")});
        pages.Click(2);
        pages.Click(4, Qt::ControlModifier);
        pages.Press("buttonView");
        QTRY_COMPARE(Pages::Lines(log), (QStringList{QStringLiteral("/0"), QStringLiteral("/3")}));
        // The default entry shown while sites are selected too (Ctrl+A from it): no log to mean, no button.
        pages.Click(SiteRows::kDefaultRow);
        QTest::keyClick(pages.List(), Qt::Key_A, Qt::ControlModifier);
        QVERIFY(pages.Find<QPushButton>("buttonView")->isHidden());
        pages.Click(2);
        QVERIFY(!pages.Find<QPushButton>("buttonView")->isHidden());
    }

    void chosenFolderGetsASeparatorAndReachesEverySite() {
        Pages pages;
        for (std::size_t site = 0; site < 4; ++site)
            pages.Site(site).Logging = 1;
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
        pages.Click(SiteRows::kAllSitesRow);
        QCOMPARE(pages.Find<QLineEdit>("editLogDir")->text(), QStringLiteral("Varies"));
        pages.Press("buttonBrowse");
        QCOMPARE(title, QStringLiteral("Choose Logging Directory"));
        QCOMPARE(startedAt, QString());
        QCOMPARE(pages.Find<QLineEdit>("editLogDir")->text(), chosen + QLatin1Char('/'));
        for (std::size_t site = 0; site < 4; ++site)
            QCOMPARE(QString::fromStdString(pages.Site(site).LogDir), chosen + QLatin1Char('/'));
        // A token is kept in the edit and expanded per site.
        pages.Find<QLineEdit>("editLogDir")->setText(chosen + QStringLiteral("/[SITE]/"));
        QCOMPARE(QString::fromStdString(pages.Site(2).LogDir), chosen + QStringLiteral("/3/"));
    }
};

QTEST_MAIN(RulesLoggingPagesTest)
#include "RulesLoggingPagesTest.moc"
