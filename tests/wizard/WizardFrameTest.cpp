#include "WizardWindow.h"
#include "platform/FileSystem.h"
#include "wizard/core/WizardCommandLine.h"

#include <QApplication>
#include <QFile>

using namespace qv;
using Window = test::WizardWindow;

namespace {

void WriteValue(std::uint32_t siteId, const char* name, const std::string& text) {
    RegistryKey key;
    const std::string path = siteId ? std::string(kSitesKey) + "\\" + std::to_string(siteId) : kSitesKey;
    QCOMPARE(key.Create(path, RegAccess::Write), 0L);
    QCOMPARE(key.SetValue(name, kRegSz, text.c_str(), static_cast<std::uint32_t>(text.size() + 1)), 0L);
}

std::vector<std::size_t> Selected(const Window& window) {
    return window.Sites()->SelectedRows();
}

std::vector<int> Choices(const Window& window) {
    std::vector<int> choices;
    for (const SiteSettings* record : window.frame->Records())
        choices.push_back(record->EnableDisable);
    return choices;
}

QStringList Names(std::initializer_list<const char*> names) {
    QStringList list;
    for (const char* name : names)
        list << QString::fromLatin1(name);
    return list;
}

bool Exists(const std::filesystem::path& path) {
    return std::filesystem::exists(path);
}

} // namespace

class WizardFrameTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void backFromPage3KeepsTheChoiceAndSelectAllTakesEffectOnLeaving() {
        Window window;
        QCOMPARE(window.frame->windowTitle(), QStringLiteral("Quorvane Setup Wizard"));
        QCOMPARE(window.frame->minimumSize(), window.frame->maximumSize());
        QCOMPARE(window.CurrentId(), WizardPageId::Welcome);
        QVERIFY(!window.Control(kControlBack)->isEnabled());
        window.Press(kControlNext);
        QCOMPARE(window.Rows(window.Sites()), Names({"Alpha", "Beta", "Gamma"}));
        // Every record starts from the default entry, which enables the handler.
        QCOMPARE(Selected(window), (std::vector<std::size_t>{0, 1, 2}));
        window.ClickRow(1);
        window.Press(kControlNext);
        QCOMPARE(window.CurrentId(), WizardPageId::DefaultSettings);
        QCOMPARE(window.Rows(window.Chosen()), Names({"Beta"}));
        QCOMPARE(Choices(window), (std::vector<int>{0, 1, 0}));
        window.Press(kControlBack);
        QCOMPARE(Selected(window), std::vector<std::size_t>{1});
        window.Press(kControlSelectAll);
        QCOMPARE(Selected(window), (std::vector<std::size_t>{0, 1, 2}));
        QCOMPARE(Choices(window), (std::vector<int>{0, 1, 0}));
        window.Shot("wizard-sites");
        window.Press(kControlNext);
        QCOMPARE(window.Rows(window.Chosen()), Names({"Alpha", "Beta", "Gamma"}));
        QCOMPARE(Choices(window), (std::vector<int>{1, 1, 1}));
    }

    void noChoiceHidesTheQuestionForGoodAndKeepsTheFlags() {
        Window window;
        window.Press(kControlNext);
        window.ClickRow(0);
        window.Press(kControlNext);
        auto* rules = window.Control<QCheckBox>(kControlRulesFile);
        QVERIFY(rules->isVisible() && rules->isChecked());
        QTest::mouseClick(rules, Qt::LeftButton, {}, QPoint(8, rules->height() / 2));
        QVERIFY(!window.frame->CreateRulesFile());
        window.Press(kControlBack);
        window.ClickRow(0, Qt::ControlModifier);
        QVERIFY(Selected(window).empty());
        window.Press(kControlNext);
        const auto hidden = [&window] {
            return !window.Control(kControlQuestion)->isVisible() &&
                   !window.Control(kControlRulesFile)->isVisible() &&
                   !window.Control(kControlExampleFiles)->isVisible();
        };
        QVERIFY(hidden());
        QVERIFY(window.Rows(window.Chosen()).isEmpty());
        QVERIFY(!window.frame->CreateRulesFile() && window.frame->CreateExampleFiles());
        // Sites chosen again: the question stays away, and the boxes' states still count.
        window.Press(kControlBack);
        window.Press(kControlSelectAll);
        window.Press(kControlNext);
        QVERIFY(hidden());
        window.Deploy();
        for (const std::uint32_t site : {1u, 2u, 3u}) {
            QVERIFY(Exists(window.machine.Root(site) / "errors" / "404.htm"));
            QVERIFY(!Exists(window.machine.Root(site) / "rules.qv"));
        }
    }

    void fromSettingsHidesTheLaunchBoxExactly() {
        const struct {
            std::vector<std::string> args;
            bool launched;
        } rows[] = {
            {{}, true},
            {{"/FromSettings"}, false},
            {{"/fromsettings"}, true},
            {{"/FromSettings", "now"}, true},
            {{"x", "/FromSettings"}, false},
        };
        for (const auto& row : rows) {
            Window window({{1, u"Alpha"}}, WizardCommandLine::Parse(row.args).fromSettings);
            const QString program =
                QString::fromStdString(WizardFlow::SettingsManagerPath(window.machine.Install()));
            const QString log = program + QStringLiteral(".log");
            QFile script(program);
            QVERIFY(script.open(QIODevice::WriteOnly));
            script.write(QStringLiteral("#!/bin/sh\necho started >> '%1'\n").arg(log).toLocal8Bit());
            script.close();
            script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            window.Press(kControlNext);
            window.Press(kControlNext);
            window.Deploy();
            auto* launch = window.Control<QCheckBox>(kControlLaunch);
            QCOMPARE(launch->isVisible(), row.launched);
            QCOMPARE(launch->isChecked(), row.launched);
            window.Press(kControlNext);
            QVERIFY(!window.frame->isVisible());
            QCOMPARE(window.frame->result(), int(QDialog::Accepted));
            if (row.launched) {
                QTRY_VERIFY(QFile::exists(log));
            } else {
                QTest::qWait(300);
                QVERIFY(!QFile::exists(log));
            }
        }
    }

    void enterPressesNextOnEveryPageAndFinishOnTheLast() {
        Window window;
        for (const WizardPageId expected :
             {WizardPageId::Welcome, WizardPageId::SiteSelection, WizardPageId::DefaultSettings}) {
            QCOMPARE(window.CurrentId(), expected);
            QWidget* focus = QApplication::focusWidget();
            QVERIFY(focus && window.Current()->isAncestorOf(focus));
            QSignalSpy deployed(window.frame->Finish(), &FinishPage::deployed);
            QTest::keyClick(focus, Qt::Key_Return);
            if (expected == WizardPageId::DefaultSettings)
                QVERIFY(deployed.wait(20000) || deployed.count() == 1);
        }
        QCOMPARE(window.CurrentId(), WizardPageId::Finish);
        QTest::keyClick(window.frame.get(), Qt::Key_Enter);
        QVERIFY(!window.frame->isVisible());
        QCOMPARE(window.frame->result(), int(QDialog::Accepted));
    }

    void withoutSitesTheFrameIsEmpty() {
        Window window(std::vector<test::WindowMachine::Site>{});
        QVERIFY(!window.frame->CurrentPage());
        QVERIFY(window.frame->findChildren<QWidget*>().isEmpty());
        QCOMPARE(window.frame->minimumSize(), window.frame->maximumSize());
        window.frame->close();
        QVERIFY(!window.frame->isVisible());
        QCOMPARE(window.frame->result(), int(QDialog::Rejected));
    }

    void enteringPage4DeploysWhileTheButtonsWaitAndCancelKeepsIt() {
        // Sites 1 and 3: listed in walk order; site 3's own settings give way to the default entry's.
        Window window({{1, u"Alpha"}, {3, u"Gamma"}});
        WriteValue(3, value::Logging, "1");
        window.Press(kControlNext);
        window.ClickRow(1, Qt::ControlModifier);
        window.Press(kControlNext);
        auto* edit = window.Control<QLineEdit>(kControlDirectory);
        QCOMPARE(edit->text(), QStringLiteral("errors"));
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("web-errors"));
        QSignalSpy deployed(window.frame->Finish(), &FinishPage::deployed);
        window.Press(kControlNext);
        QCOMPARE(window.CurrentId(), WizardPageId::Finish);
        if (deployed.isEmpty()) {
            QVERIFY(!window.Control(kControlNext)->isEnabled() &&
                    !window.Control(kControlCancel)->isEnabled());
            QTest::keyClick(window.frame.get(), Qt::Key_Escape);
            window.frame->close();
            QVERIFY(window.frame->isVisible());
            QVERIFY(deployed.wait(20000));
        }
        QVERIFY(window.Control(kControlNext)->isEnabled() && !window.Control(kControlBack)->isEnabled());
        const QString report = window.frame->Finish()->ReportText();
        QVERIFY2(report.contains(QStringLiteral("qv_reg import")), qPrintable(report));
        const std::string backups = window.machine.Install() + "Backups";
        QVERIFY(report.contains(QString::fromStdString(backups)));
        QVERIFY(!std::filesystem::is_empty(backups));
        window.Shot("wizard-finish");

        using M = test::WindowMachine;
        for (const std::uint32_t site : {0u, 1u, 3u})
            QCOMPARE(M::Stored(site, value::Directory), std::string("web-errors"));
        QCOMPARE(M::Stored(1, value::EnableDisable), std::string("1"));
        QCOMPARE(M::Stored(3, value::EnableDisable), std::string("0"));
        QCOMPARE(M::Stored(3, value::Logging), M::Stored(0, value::Logging));
        QVERIFY(Exists(window.machine.Root(1) / "web-errors" / "404.htm"));
        QVERIFY(Exists(window.machine.Root(1) / "rules.qv"));
        QVERIFY(!Exists(window.machine.Root(3) / "web-errors"));
        QVERIFY(!Exists(window.machine.Root(3) / "rules.qv"));

        window.Press(kControlCancel);
        QCOMPARE(window.frame->result(), int(QDialog::Rejected));
        QCOMPARE(M::Stored(1, value::Directory), std::string("web-errors"));
    }

    void aBackupThatFailsAsksWhetherToDeploy() {
        for (const QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Yes}) {
            Window window({{1, u"Alpha"}});
            WriteValue(1, value::Directory, "old");
            // A file where the backups' folder would go.
            std::ofstream(window.machine.Install() + "Backups") << "";
            window.answer = answer;
            window.Press(kControlNext);
            window.Press(kControlNext);
            window.Deploy();
            QCOMPARE(window.asked.size(), 1);
            const bool deployed = answer == QMessageBox::Yes;
            QCOMPARE(test::WindowMachine::Stored(1, value::Directory),
                     std::string(deployed ? "errors" : "old"));
            QCOMPARE(Exists(window.machine.Root(1) / "errors"), deployed);
            QCOMPARE(window.frame->Finish()->ReportText().contains(QStringLiteral("Nothing was written")),
                     !deployed);
            QVERIFY(window.Control(kControlNext)->isEnabled());
        }
    }
};

QTEST_MAIN(WizardFrameTest)
#include "WizardFrameTest.moc"
