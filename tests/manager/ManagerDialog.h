#pragma once
// The Settings Manager dialog over a ManagerMachine, shown offscreen, with message boxes answered.
#include "ManagerMachine.h"
#include "manager/SettingsManagerDialog.h"
#include "manager/SiteListView.h"
#include "manager/SiteTreeModel.h"
#include "manager/core/SettingsSession.h"
#include "widgets/MessageBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <optional>

namespace qv::test {

class ManagerDialog {
public:
    explicit ManagerDialog(std::vector<std::u16string> sites = {u"Alpha", u"Beta", u"Gamma", u"Intranet"},
                           std::optional<SettingsManagerDialog::Caller> callerWindow = std::nullopt)
        : machine(std::move(sites)), caller(std::move(callerWindow)) {
        MessageBox::SetHook([this](const MessageBox::Request& request) {
            titles << request.title;
            asked << request.text;
            return answer;
        });
        Open();
    }
    ~ManagerDialog() {
        dialog.reset();
        MessageBox::SetHook({});
    }
    // Again after the sites' values are set.
    void Open() {
        dialog.reset();
        dialog =
            std::make_unique<SettingsManagerDialog>(*machine.store, caller, [this](SiteSettings& record) {
                const auto* window = dialog->findChild<QWidget*>(QStringLiteral("applyingWindow"));
                savesUnderWindow += window && window->isVisible() ? 1 : 0;
                return machine.Save(record);
            });
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        // A display without a window manager activates nothing by itself; the Tab tests need the focus.
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
    }

    template <typename T> T* Find(const char* name) const {
        return dialog->findChild<T*>(QLatin1String(name));
    }
    QString Text(const char* name) const { return Find<QLabel>(name)->text(); }
    SiteListView* List() const { return static_cast<SiteListView*>(dialog->Control(kControlSiteList)); }
    QCheckBox* EnableBox() const { return static_cast<QCheckBox*>(dialog->Control(kControlEnable)); }
    QPushButton* Button(int id) const { return static_cast<QPushButton*>(dialog->Control(id)); }
    QTabWidget* Tabs() const { return static_cast<QTabWidget*>(dialog->Control(kControlTabs)); }
    void Tab(int index) const { Tabs()->setCurrentIndex(index); }
    SettingsSession& Session() const { return dialog->Session(); }
    SiteSettings& Site(std::size_t index) { return machine.Site(index); }
    QModelIndex Index(int row, int column = 0) const { return dialog->Model()->IndexOf(row, column); }
    void Click(int row, Qt::KeyboardModifiers modifiers = {}) const {
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, modifiers,
                          List()->visualRect(Index(row)).center());
    }
    void Press(const char* button) const { QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton); }
    // On the box itself: a check box takes clicks on its box and text only.
    static void ClickBox(QAbstractButton* box) {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    }
    void ClickEnable() const { ClickBox(EnableBox()); }
    QString Status(int row) const { return Index(row, SiteTreeModel::kStatusColumn).data().toString(); }
    bool Grey(int row) const {
        return Index(row, SiteTreeModel::kStatusColumn).data(Qt::ForegroundRole).value<QBrush>().color() ==
               QColor(153, 153, 153);
    }
    bool Arrow(int row) const { return row == Session().ShownRow() && Session().HasBase(); }
    std::vector<int> Selected() const { return Session().Selection().SelectedRows(); }

    // With QV_SCREENSHOT_DIR set, the dialog as shown is saved there for a look by eye.
    void Shot(const char* name) const {
        const QString directory = qEnvironmentVariable("QV_SCREENSHOT_DIR");
        if (!directory.isEmpty())
            QVERIFY(dialog->grab().save(directory + QLatin1Char('/') + QLatin1String(name) +
                                        QLatin1String(".png")));
    }
    // A program that appends each of its arguments as a line to log, started in place of another.
    static void WriteStandIn(const QString& program, const QString& log) {
        QFile file(program);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" >> '%1'\n").arg(log).toLocal8Bit());
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    static QStringList Lines(const QString& log) {
        QFile file(log);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromLocal8Bit(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    ManagerMachine machine;
    std::optional<SettingsManagerDialog::Caller> caller;
    std::unique_ptr<SettingsManagerDialog> dialog;
    int savesUnderWindow = 0; // saves made while "Applying settings..." was up
    QMessageBox::StandardButton answer = QMessageBox::Yes;
    QStringList asked;
    QStringList titles;
};

} // namespace qv::test
