#include "manager/list/ListEditorDialog.h"
#include "manager/list/ImageListsDialog.h"
#include "manager/list/ListEditorPage.h"
#include "manager/list/ListEditorSetup.h"
#include "manager/list/ListItemDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

using namespace qv;

namespace {

using Items = std::vector<std::string>;

ValueList ListOf(const Items& items) {
    ValueList list;
    for (const std::string& item : items)
        AddListItem(list, item);
    return list;
}

template <typename T> T* Child(const QWidget& parent, const char* name) {
    T* child = parent.findChild<T*>(QString::fromLatin1(name));
    if (!child)
        qFatal("no control %s", name);
    return child;
}

void Click(const QWidget& parent, const char* button) {
    QTest::mouseClick(Child<QPushButton>(parent, button), Qt::LeftButton);
}

void SelectRow(const QWidget& page, int row) {
    auto* list = Child<QListWidget>(page, "listItems");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

std::string Narrow(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

Items Rows(const QWidget& page) {
    Items rows;
    auto* list = Child<QListWidget>(page, "listItems");
    for (int row = 0; row < list->count(); ++row)
        rows.push_back(Narrow(list->item(row)->text()));
    return rows;
}

// With QV_SCREENSHOT_DIR set, the dialog as shown is saved there.
void Screenshot(QDialog& dialog, const char* name) {
    const QString directory = qEnvironmentVariable("QV_SCREENSHOT_DIR");
    if (!directory.isEmpty())
        QVERIFY(
            dialog.grab().save(directory + QLatin1Char('/') + QLatin1String(name) + QLatin1String(".png")));
}

// Runs body on the shown dialog, then closes it: a failed check returning early cannot leave it waiting.
std::function<void(QDialog&)> Closing(std::function<void(QDialog&)> body) {
    return [body = std::move(body)](QDialog& dialog) {
        body(dialog);
        if (dialog.isVisible())
            dialog.reject();
    };
}

// Answers the item dialogs in turn (text and OK, or Cancel for none) and records what each showed.
class ItemAnswers {
public:
    explicit ItemAnswers(std::deque<std::optional<QString>> answers) : m_answers(std::move(answers)) {
        ListItemDialog::SetTestHook([this](QDialog& dialog) {
            auto* edit = Child<QLineEdit>(dialog, "editText");
            shown.push_back({Narrow(dialog.windowTitle()),
                             Narrow(Child<QLabel>(dialog, "labelPrompt")->text()),
                             Narrow(Child<QLabel>(dialog, "labelField")->text()), Narrow(edit->text())});
            focusInEdit = focusInEdit && dialog.focusWidget() == edit;
            const std::optional<QString> answer = m_answers.empty() ? std::nullopt : m_answers.front();
            if (!m_answers.empty())
                m_answers.pop_front();
            if (!answer) {
                Click(dialog, "buttonCancel");
                return;
            }
            edit->clear();
            QTest::keyClicks(edit, *answer);
            Click(dialog, "buttonOk");
        });
    }
    ~ItemAnswers() { ListItemDialog::SetTestHook({}); }

    std::vector<Items> shown; // title, prompt, label, initial text
    bool focusInEdit = true;

private:
    std::deque<std::optional<QString>> m_answers;
};

} // namespace

class ListEditorDialogTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() {
        ListEditorDialog::SetTestHook({});
        ImageListsDialog::SetTestHook({});
    }

    // Several edits, then Cancel or the close box: the list is as it was, and nothing counts as changed.
    void cancelLeavesTheList_data() {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("Cancel") << false;
        QTest::newRow("close box") << true;
    }
    void cancelLeavesTheList() {
        QFETCH(bool, closeBox);
        ItemAnswers answers({QStringLiteral("asp"), QStringLiteral("cfm")});
        ListEditorDialog::SetTestHook(Closing([closeBox](QDialog& dialog) {
            Click(dialog, "buttonAdd");
            SelectRow(dialog, 0);
            Click(dialog, "buttonDown");
            Click(dialog, "buttonRemove");
            Click(dialog, "buttonEdit");
            QCOMPARE(Rows(dialog), (Items{"html", "cfm"}));
            if (closeBox)
                dialog.close();
            else
                Click(dialog, "buttonCancel");
        }));
        ValueList list = ListOf({"htm", "html"});
        QVERIFY(!ListEditorDialog::Edit(nullptr, ListEditorSetups::StaticExtensions(), list));
        QCOMPARE(list.Items(), (Items{"htm", "html"}));
    }

    // Texts and focus; " .HTM " already in the list adds nothing but still counts as a change.
    void duplicateAddStillChanges() {
        ItemAnswers answers({QStringLiteral(" .HTM ")});
        ListEditorDialog::SetTestHook(Closing([](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Dynamic 404 Extension List"));
            QCOMPARE(
                Child<QLabel>(dialog, "labelDescription")->text(),
                QStringLiteral("Configure the file extension(s) and the priority of files Quorvane selects "
                               "for dynamic 404 error pages."));
            QVERIFY(Child<QLabel>(dialog, "labelDescription")->toolTip().isEmpty());
            QCOMPARE(dialog.focusWidget(), Child<QPushButton>(dialog, "buttonAdd"));
            QVERIFY(!Child<QPushButton>(dialog, "buttonEdit")->isEnabled());
            Click(dialog, "buttonAdd");
            QCOMPARE(Rows(dialog), (Items{"asp", "htm"}));
            Click(dialog, "buttonOk");
        }));
        ValueList list = ListOf({"asp", "htm"});
        QVERIFY(ListEditorDialog::Edit(nullptr, ListEditorSetups::DynamicExtensions(), list));
        QCOMPARE(list.Items(), (Items{"asp", "htm"}));
        QCOMPARE(answers.shown.size(), std::size_t{1});
        QCOMPARE(answers.shown[0],
                 (Items{"Dynamic 404 Page",
                        "Enter the file extension for the dynamic 404 error page:", "File Extension:", ""}));
        QVERIFY(answers.focusInEdit);
    }

    // Double click edits; an equal text is kept once, earlier; removing the last row selects the one above.
    void doubleClickEditsAndOkCommits() {
        ItemAnswers answers({QStringLiteral("Htm")});
        ListEditorDialog::SetTestHook(Closing([](QDialog& dialog) {
            auto* list = Child<QListWidget>(dialog, "listItems");
            // As the system sends a double click: a click, then the second press as a double click.
            const QPoint row = list->visualItemRect(list->item(2)).center();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
            QCOMPARE(Rows(dialog), (Items{"htm", "html", "htm", "shtml"}));
            SelectRow(dialog, 3);
            Click(dialog, "buttonRemove");
            QCOMPARE(list->currentRow(), 2);
            Screenshot(dialog, "list-editor");
            Click(dialog, "buttonOk");
        }));
        ValueList list = ListOf({"htm", "html", "asp", "shtml"});
        QVERIFY(ListEditorDialog::Edit(nullptr, ListEditorSetups::StaticExtensions(), list));
        QCOMPARE(list.Items(), (Items{"htm", "html"}));
        QCOMPARE(answers.shown.at(0).at(3), std::string("asp"));
    }

    // Only the changed tab is reported; selectors keep their case; the wildcard hint is in the tooltip.
    void imageDialogReportsOnlyTheChangedTab() {
        ItemAnswers answers({QStringLiteral("*/Images/*")});
        ImageListsDialog::SetTestHook(Closing([](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Edit 404 Image Settings"));
            auto* tabs = Child<QTabWidget>(dialog, "tabs");
            QCOMPARE(tabs->tabText(0), QStringLiteral("Request Selectors"));
            QCOMPARE(tabs->tabText(1), QStringLiteral("Extension List"));
            const QWidget& selectors = *Child<QWidget>(dialog, "pageSelectors");
            QVERIFY(Child<QLabel>(selectors, "labelDescription")
                        ->toolTip()
                        .contains(QStringLiteral("is a wildcard that indicates zero or more characters")));
            Click(selectors, "buttonAdd");
            QCOMPARE(Rows(selectors), (Items{"*.gif", "*/Images/*"}));
            Screenshot(dialog, "image-lists");
            Click(dialog, "buttonOk");
        }));
        ValueList selectors = ListOf({"*.gif"});
        ValueList extensions = ListOf({"gif", "jpg"});
        const ImageListsResult result = ImageListsDialog::Edit(nullptr, selectors, extensions);
        QVERIFY(result.selectorsChanged);
        QVERIFY(!result.extensionsChanged);
        QCOMPARE(selectors.Items(), (Items{"*.gif", "*/Images/*"}));
        QCOMPARE(extensions.Items(), (Items{"gif", "jpg"}));
        QCOMPARE(answers.shown.at(0).at(2), std::string("Selector:"));

        // Cancel after a change on the other tab: nothing changes, both false.
        ImageListsDialog::SetTestHook(Closing([](QDialog& dialog) {
            const QWidget& page = *Child<QWidget>(dialog, "pageExtensions");
            SelectRow(page, 1);
            Click(page, "buttonUp");
            QCOMPARE(Rows(page), (Items{"jpg", "gif"}));
            Click(dialog, "buttonCancel");
        }));
        const ImageListsResult cancelled = ImageListsDialog::Edit(nullptr, selectors, extensions);
        QVERIFY(!cancelled.selectorsChanged && !cancelled.extensionsChanged);
        QCOMPARE(extensions.Items(), (Items{"gif", "jpg"}));
    }
};

QTEST_MAIN(ListEditorDialogTest)
#include "ListEditorDialogTest.moc"
