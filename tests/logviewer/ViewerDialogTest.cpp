#include "logviewer/ViewerDialog.h"
#include "TestData.h"
#include "logviewer/LogHourChart.h"
#include "logviewer/LogTestFiles.h"
#include "settings/ProductKeys.h"
#include "support/TempMachine.h"
#include "widgets/WindowPlacement.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimeEdit>
#include <QToolTip>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

using namespace qv;

namespace {

std::string Line(const char* time, const std::string& path, int code) {
    return std::string(time) + " 192.0.2.1 198.51.100.5 " + path + " - " + std::to_string(code) + "\n";
}

// The controls of the window that show, and where.
std::vector<QWidget*> ShownControls(const QWidget* window) {
    std::vector<QWidget*> controls;
    for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isVisible() && !child->objectName().isEmpty())
            controls.push_back(child);
    }
    return controls;
}

struct Viewer {
    Viewer(std::vector<ViewerSite> sites, std::uint32_t requested)
        : dialog(std::make_unique<ViewerDialog>(std::move(sites), requested)) {}

    QComboBox* Sites() const { return static_cast<QComboBox*>(dialog->Control(kControlSiteList)); }
    QComboBox* Files() const { return static_cast<QComboBox*>(dialog->Control(kControlFileList)); }
    QTableView* List() const { return static_cast<QTableView*>(dialog->Control(kControlLogList)); }
    QPushButton* Ok() const { return static_cast<QPushButton*>(dialog->Control(kControlOk)); }
    QPushButton* Refresh() const { return static_cast<QPushButton*>(dialog->Control(kControlRefresh)); }
    QLineEdit* Find() const { return dialog->findChild<QLineEdit*>(QStringLiteral("editFind")); }
    QString Count() const { return dialog->findChild<QLabel*>(QStringLiteral("labelCount"))->text(); }
    QLabel* Status() const { return dialog->findChild<QLabel*>(QStringLiteral("labelStatus")); }
    QAction* Action(const char* name) const { return dialog->findChild<QAction*>(QLatin1String(name)); }
    QString Cell(int row, int column) const { return List()->model()->index(row, column).data().toString(); }
    int Rows() const { return List()->model()->rowCount(); }
    bool Settle() const {
        return QTest::qWaitFor([this] { return !dialog->Busy(); }, 10000);
    }

    std::unique_ptr<ViewerDialog> dialog;
};

} // namespace

class ViewerDialogTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<test::TempMachine> m_machine;
    std::unique_ptr<test::LogTestDirectory> m_one;
    std::unique_ptr<test::LogTestDirectory> m_three;
    std::vector<ViewerSite> m_sites;

private Q_SLOTS:
    void init() {
        m_machine = std::make_unique<test::TempMachine>();
        m_one = std::make_unique<test::LogTestDirectory>();
        m_three = std::make_unique<test::LogTestDirectory>();
        m_one->Write("qv060314.log", Line("09:00:00", "/one-14.htm", 2));
        m_three->Write("qv060314.log", Line("09:00:00", "/three-14.htm", 2));
        m_three->Write("qv060315.log", "#Fields: time c-ip s-ip path query code number\n" +
                                           Line("10:00:00", "/three-15a.htm", 2) +
                                           Line("10:05:00", "/Three-15b.gif", 3) +
                                           Line("10:09:00", "/three-15c.asp", 4));
        m_sites = {{1, "Default Web Site", m_one->Str()},
                   {3, "Shop", m_three->Str()},
                   {5, "Kinds", std::string(QV_TEST_DATA_DIR) + "/logs/kinds"}};
    }
    void cleanup() {
        m_one.reset();
        m_three.reset();
        m_machine.reset();
    }

    void chosenSiteNewestFileAndRefresh() {
        const Viewer none({}, 3); // no sites: nothing listed, nothing read
        QCOMPARE(none.Sites()->count() + none.Files()->count() + none.Rows(), 0);
        QVERIFY(!none.dialog->Busy());
        Viewer viewer(m_sites, 3);
        viewer.dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(viewer.dialog.get()));
        QCOMPARE(viewer.dialog->windowTitle(), QStringLiteral("Quorvane Log Viewer"));
        QCOMPARE(viewer.Sites()->count(), 3);
        QCOMPARE(viewer.Sites()->currentText(), QStringLiteral("Shop"));
        QVERIFY(viewer.Settle());
        QCOMPARE(viewer.Files()->count(), 2);
        QVERIFY(viewer.Files()->itemText(0).startsWith(QStringLiteral("2006-03-14  -  qv060314.log")));
        QCOMPARE(viewer.Files()->currentIndex(), 1);
        QCOMPARE(viewer.Rows(), 3);
        QCOMPARE(viewer.Cell(0, 0), QStringLiteral("2006-03-15"));
        QCOMPARE(viewer.Cell(2, 3), QStringLiteral("Dynamic"));
        QCOMPARE(viewer.Count(), QStringLiteral("3 shown of 3"));
        // A click on a column header keeps the file's order.
        QHeaderView* header = viewer.List()->horizontalHeader();
        const QPoint path(header->sectionViewportPosition(4) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, path);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, path);
        QCOMPARE(viewer.Cell(0, 4), QStringLiteral("/three-15a.htm"));
        QCOMPARE(viewer.Cell(1, 4), QStringLiteral("/Three-15b.gif"));
        // A new day's file is listed last and not shown until it is chosen.
        m_three->Write("qv060316.log", Line("11:00:00", "/three-16.htm", 2));
        QTest::mouseClick(viewer.Refresh(), Qt::LeftButton);
        QVERIFY(viewer.Settle());
        QCOMPARE(viewer.Files()->count(), 3);
        QCOMPARE(viewer.Files()->currentIndex(), 1);
        QCOMPARE(viewer.Rows(), 3);
        // Choosing another site shows its newest file; choosing a file reads it.
        viewer.Sites()->setCurrentIndex(2);
        QVERIFY(viewer.Settle());
        QCOMPARE(viewer.Rows(), 15);
        viewer.Sites()->setCurrentIndex(1);
        viewer.Files()->setCurrentIndex(0);
        QVERIFY(viewer.Settle());
        QCOMPARE(viewer.Rows(), 1);
        QCOMPARE(viewer.Cell(0, 4), QStringLiteral("/three-14.htm"));
        // A site without files shows "None" and no count.
        for (const char* name : {"qv060314.log", "qv060315.log", "qv060316.log"})
            std::filesystem::remove(m_three->File(name));
        QTest::mouseClick(viewer.Refresh(), Qt::LeftButton);
        QVERIFY(viewer.Settle());
        QCOMPARE(viewer.Files()->currentText(), QStringLiteral("None"));
        QCOMPARE(viewer.Count(), QString());
    }

    void layoutFollowsTheWindowAndComesBack() {
        QRect place;
        {
            Viewer viewer(m_sites, 1);
            QCOMPARE(viewer.dialog->minimumSize(), QSize(400, 350));
            viewer.dialog->show();
            QVERIFY(QTest::qWaitForWindowExposed(viewer.dialog.get()));
            // The first window shows every column at its default width where the screen has the room.
            QHeaderView* header = viewer.List()->horizontalHeader();
            const int room = viewer.dialog->screen()->availableGeometry().width() * 9 / 10;
            QVERIFY(header->sectionViewportPosition(7) + 100 <= viewer.List()->viewport()->width() ||
                    viewer.dialog->width() == room);
            for (const QSize size : {QSize(1001, 777), QSize(400, 350), QSize(640, 420), QSize(639, 420)}) {
                viewer.dialog->resize(size);
                QTRY_COMPARE(viewer.dialog->size(), size);
                // Every control inside the window, none over another; the list and OK where they always were.
                const std::vector<QWidget*> controls = ShownControls(viewer.dialog.get());
                QVERIFY(controls.size() >= 12);
                for (const QWidget* control : controls) {
                    QVERIFY2(viewer.dialog->rect().contains(control->geometry()),
                             qPrintable(control->objectName()));
                    QVERIFY2(control->width() >= 40 ||
                                 control->objectName() == QLatin1String("labelTimeDash"),
                             qPrintable(control->objectName()));
                    for (const QWidget* other : controls) {
                        QVERIFY2(other == control || !other->geometry().intersects(control->geometry()),
                                 qPrintable(control->objectName() + QLatin1Char('/') + other->objectName()));
                    }
                }
                const QRect list = viewer.List()->geometry();
                QCOMPARE(list.left(), 5);
                QCOMPARE(list.right(), size.width() - 6);
                QCOMPARE(list.bottom(), size.height() - 41);
                QCOMPARE(viewer.Ok()->geometry(), QRect(size.width() / 2 - 37, size.height() - 30, 75, 23));
                for (QWidget* control :
                     std::initializer_list<QWidget*>{viewer.Sites(), viewer.Files(), viewer.Refresh()})
                    QVERIFY(control->geometry().bottom() < 75);
                // The last column reaches the list's edge.
                QCOMPARE(header->sectionViewportPosition(7) + header->sectionSize(7),
                         std::max(header->length(), viewer.List()->viewport()->width()));
            }
            for (int column = 0; column < 8; ++column)
                header->resizeSection(column, 40 + column * 11);
            viewer.dialog->setGeometry(60, 50, 640, 420);
            QTRY_COMPARE(viewer.dialog->geometry(), QRect(60, 50, 640, 420));
            place = viewer.dialog->geometry();
            // Escape closes, and the layout is kept: the last column's own width, not the stretched one.
            QTest::keyClick(viewer.dialog.get(), Qt::Key_Escape);
            QVERIFY(!viewer.dialog->isVisible());
        }
        const auto kept =
            WindowPlacement(std::string(KeyBelow(kDialogKeyPath, "Log").data())).Read("cols", 8);
        QVERIFY(kept);
        for (int column = 0; column < 8; ++column)
            QCOMPARE((*kept)[static_cast<std::size_t>(column)], 40 + column * 11);
        Viewer again(m_sites, 1);
        for (int column = 0; column < 7; ++column)
            QCOMPARE(again.List()->horizontalHeader()->sectionSize(column), 40 + column * 11);
        QCOMPARE(again.dialog->geometry(), place);
    }

    void findNarrowsTheRowsAndExportWritesThem() {
        Viewer viewer(m_sites, 5);
        viewer.dialog->show();
        QVERIFY(viewer.Settle());
        QCOMPARE(viewer.Count(), QStringLiteral("15 shown of 15"));
        QTest::keyClicks(viewer.Find(), QStringLiteral("redirection"));
        QVERIFY(viewer.Settle());
        QCOMPARE(viewer.Rows(), 3);
        QCOMPARE(viewer.Cell(0, 3), QStringLiteral("Rule 12"));
        QCOMPARE(viewer.Cell(2, 3), QStringLiteral("Rule 7"));
        QCOMPARE(viewer.Count(), QStringLiteral("3 shown of 15"));
        // Return filters at once and does not press OK.
        viewer.Find()->setText(QStringLiteral("/NINE"));
        QTest::keyClick(viewer.Find(), Qt::Key_Return);
        QVERIFY(viewer.dialog->isVisible());
        QVERIFY(viewer.Settle());
        QCOMPARE(viewer.Rows(), 1);
        QCOMPARE(viewer.Cell(0, 4), QStringLiteral("/nine.htm"));
        // The filter stays when another file is chosen; an empty text shows every row.
        viewer.Sites()->setCurrentIndex(1);
        QVERIFY(viewer.Settle());
        QCOMPARE(viewer.Count(), QStringLiteral("0 shown of 3"));
        viewer.Find()->clear();
        QVERIFY(viewer.Settle());
        QCOMPARE(viewer.Rows(), 3);
        // Export writes the rows shown to the file chosen.
        test::LogTestDirectory out;
        const std::filesystem::path csv = out.File("rows.csv");
        QString suggested;
        viewer.dialog->SetExportFileChooser([&](QWidget*, const QString& name) {
            suggested = name;
            return QString::fromStdString(csv.string());
        });
        viewer.Find()->setText(QStringLiteral("gif"));
        QTest::keyClick(viewer.Find(), Qt::Key_Return);
        QVERIFY(viewer.Settle());
        QSignalSpy finished(viewer.dialog.get(), &ViewerDialog::exportFinished);
        QTest::mouseClick(viewer.dialog->findChild<QPushButton*>(QStringLiteral("buttonExport")),
                          Qt::LeftButton);
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.at(0).at(0).toBool(), true);
        QVERIFY(suggested.endsWith(QStringLiteral("qv060315.csv")));
        std::stringstream text;
        text << std::ifstream(csv, std::ios::binary).rdbuf();
        QCOMPARE(QString::fromStdString(text.str()),
                 QStringLiteral(
                     "Date,Time,Type,Description,Path,Query String,Client IP,Server IP\r\n"
                     "2006-03-15,10:05:00,Quorvane File,Image,/Three-15b.gif,-,192.0.2.1,198.51.100.5\r\n"));
        // A place that cannot be written reports the failure.
        viewer.dialog->ExportTo(QString::fromStdString(out.File("missing/rows.csv").string()));
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.at(1).at(0).toBool(), false);
        QCOMPARE(viewer.Count(), QStringLiteral("Export failed"));
    }

    void selectedRowsCopyAsTabSeparatedText() {
        Viewer viewer(m_sites, 5);
        viewer.dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(viewer.dialog.get()));
        QVERIFY(viewer.Settle());
        QTableView* list = viewer.List();
        const auto click = [&](int row, Qt::KeyboardModifiers modifiers) {
            const QModelIndex cell = list->model()->index(row, 1);
            list->scrollTo(cell);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, list->visualRect(cell).center());
        };
        // Picked out of order; the row with a tab in its time keeps its place as one field.
        click(10, {});
        click(0, Qt::ControlModifier);
        click(3, Qt::ControlModifier);
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
        const QString rows = QStringLiteral(
            "2006-03-15\t10:00:01\tQuorvane File\tStatic\t/missing.htm\t-\t192.168.1.10\t10.0.0.1\n"
            "2006-03-15\t10:00:04\tRedirection Rule\tRule 12\t/old/page.htm\t-\t192.168.1.13\t10.0.0.1\n"
            "2006-03-15\t 10:00:15\tQuorvane File\tStatic\t/tab.htm\t-\t192.168.1.22\t10.0.0.1\n");
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QStringLiteral("Date\tTime\tType\tDescription\tPath\tQuery String\tClient IP\tServer IP\n") +
                     rows);

        // The menu's Copy Cell takes the cell it was opened on.
        const QModelIndex path = list->model()->index(3, 4);
        list->scrollTo(path);
        Q_EMIT list->customContextMenuRequested(list->visualRect(path).center());
        QVERIFY(viewer.Action("actionCopy")->isEnabled());
        viewer.Action("actionCopyCell")->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("/old/page.htm"));

        // Export Selection writes the same rows as CSV.
        test::LogTestDirectory out;
        const std::filesystem::path csv = out.File("selection.csv");
        viewer.dialog->SetExportFileChooser(
            [&](QWidget*, const QString&) { return QString::fromStdString(csv.string()); });
        QSignalSpy finished(viewer.dialog.get(), &ViewerDialog::exportFinished);
        viewer.Action("actionExportSelection")->trigger();
        QVERIFY(finished.wait(10000));
        std::stringstream text;
        text << std::ifstream(csv, std::ios::binary).rdbuf();
        QCOMPARE(QString::fromStdString(text.str()),
                 QStringLiteral(
                     "Date,Time,Type,Description,Path,Query String,Client IP,Server IP\r\n"
                     "2006-03-15,10:00:01,Quorvane File,Static,/missing.htm,-,192.168.1.10,10.0.0.1\r\n"
                     "2006-03-15,10:00:04,Redirection Rule,Rule 12,/old/page.htm,-,192.168.1.13,10.0.0.1\r\n"
                     "2006-03-15,\t10:00:15,Quorvane File,Static,/tab.htm,-,192.168.1.22,10.0.0.1\r\n"));
        // Nothing selected: nothing to copy, and the clipboard keeps what it held.
        list->clearSelection();
        QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("/old/page.htm"));
    }

    void anEmptyListSaysWhy() {
        test::LogTestDirectory empty;
        test::LogTestDirectory comments;
        const std::string header =
            "#Software: error handler\n#Fields: time c-ip s-ip path query code number\n";
        comments.Write("qv060314.log", header);
        const std::string missing = empty.Str() + "/gone";
        Viewer viewer({{1, "Missing", missing},
                       {2, "Empty", empty.Str()},
                       {3, "Comments", comments.Str()},
                       {4, "Shop", m_three->Str()}},
                      1);
        viewer.dialog->show();
        const auto native = [](const std::string& path) {
            return QDir::toNativeSeparators(QString::fromStdString(path));
        };
        const struct {
            int site;
            QString find;
            QString reason;
        } cases[] = {
            {0, {}, QStringLiteral("Log folder not found: ") + native(missing)},
            {1, {}, QStringLiteral("No log files (qv*.log) in ") + native(empty.Str())},
            {2,
             {},
             QStringLiteral("0 rows in %1 bytes of %2")
                 .arg(header.size())
                 .arg(native(comments.File("qv060314.log").string()))},
            {3, QStringLiteral("no such text"), QStringLiteral("No row matches the filters")},
            {3, {}, {}},
        };
        for (const auto& each : cases) {
            viewer.Sites()->setCurrentIndex(each.site);
            viewer.Find()->setText(each.find);
            QVERIFY(viewer.Settle());
            QCOMPARE(viewer.Status()->text(), each.reason);
            QCOMPARE(viewer.Status()->isVisible(), !each.reason.isEmpty());
        }
    }

    void aCutCellShowsItsWholeTextAsTooltip() {
        const std::string longPath = "/products/" + std::string(150, 'x') + "/end.htm";
        m_three->Write("qv060316.log", Line("10:00:00", longPath, 2));
        Viewer viewer(m_sites, 3);
        viewer.dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(viewer.dialog.get()));
        QVERIFY(viewer.Settle());
        QTableView* list = viewer.List();
        list->horizontalHeader()->resizeSection(4, 120);
        const auto hover = [&](int column) {
            const QPoint at = list->visualRect(list->model()->index(0, column)).center();
            QHelpEvent help(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
            QCoreApplication::sendEvent(list->viewport(), &help);
        };
        hover(4);
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), QString::fromStdString(longPath));
        // A cell that fits shows no tooltip.
        hover(3);
        QTRY_VERIFY(!QToolTip::isVisible());
    }

    void filtersCombineWithTheFindBoxAndTheHistogramPicksAnHour() {
        m_one->Write("qv060316.log", Line("08:15:00", "/a.htm", 2) + Line("09:05:00", "/b.gif", 3) +
                                         Line("09:30:00", "/c.asp", 4) + Line("09:45:00", "/d.htm", 1) +
                                         Line("10:10:00", "/gif-page.htm", 2) +
                                         Line("23:59:30", "/late.htm", 2));
        Viewer viewer(m_sites, 1);
        viewer.dialog->show();
        QVERIFY(viewer.Settle());
        auto* scope = viewer.dialog->findChild<QComboBox*>(QStringLiteral("comboScope"));
        auto* type = viewer.dialog->findChild<QComboBox*>(QStringLiteral("comboType"));
        auto* from = viewer.dialog->findChild<QTimeEdit*>(QStringLiteral("timeFrom"));
        auto* to = viewer.dialog->findChild<QTimeEdit*>(QStringLiteral("timeTo"));
        // The types that occur in the file, and every column.
        QCOMPARE(type->count(), 5);
        QVERIFY(type->findText(QStringLiteral("Rules.qv Reloaded")) < 0);
        QCOMPARE(scope->count(), 9);
        const struct {
            const char* find;
            const char* column;
            const char* kind;
            QTime from;
            QTime to;
            std::vector<const char*> paths;
        } cases[] = {
            {"", "All columns", "Quorvane File / Image", {0, 0}, {23, 59}, {"/b.gif"}},
            {"GIF", "All columns", "All events", {0, 0}, {23, 59}, {"/b.gif", "/gif-page.htm"}},
            {"gif", "All columns", "Quorvane File / Static", {0, 0}, {23, 59}, {"/gif-page.htm"}},
            {"", "All columns", "All events", {9, 0}, {9, 59}, {"/b.gif", "/c.asp", "/d.htm"}},
            {"htm", "Path", "All events", {9, 0}, {9, 59}, {"/d.htm"}},
            {"static",
             "Description",
             "All events",
             {0, 0},
             {23, 59},
             {"/a.htm", "/gif-page.htm", "/late.htm"}},
            {"static", "Path", "All events", {0, 0}, {23, 59}, {}},
            // "to" takes its whole minute; a range over midnight takes both ends of the day.
            {"", "All columns", "All events", {23, 59}, {23, 59}, {"/late.htm"}},
            {"", "All columns", "All events", {23, 0}, {8, 59}, {"/a.htm", "/late.htm"}},
        };
        for (const auto& each : cases) {
            viewer.Find()->setText(QString::fromLatin1(each.find));
            scope->setCurrentText(QString::fromLatin1(each.column));
            type->setCurrentText(QString::fromLatin1(each.kind));
            from->setTime(each.from);
            to->setTime(each.to);
            QVERIFY(viewer.Settle());
            QStringList shown;
            for (int row = 0; row < viewer.Rows(); ++row)
                shown << viewer.Cell(row, 4);
            QStringList expected;
            for (const char* path : each.paths)
                expected << QString::fromLatin1(path);
            QCOMPARE(shown, expected);
            QCOMPARE(viewer.Count(), QStringLiteral("%1 shown of 6").arg(expected.size()));
        }

        // A click on an hour's bar shows that hour alone; a second click the whole day again.
        viewer.Find()->clear();
        type->setCurrentIndex(0);
        from->setTime(QTime(0, 0));
        to->setTime(QTime(23, 59));
        QVERIFY(viewer.Settle());
        auto* chart = viewer.dialog->findChild<LogHourChart*>(QStringLiteral("chartHours"));
        QCOMPARE(chart->Counts().HourTotal(9), 3u);
        QCOMPARE(chart->Counts().At(9, LogEventKind::ImageFile), 1u);
        QCOMPARE(chart->Counts().HourTotal(23), 1u);
        QTest::mouseClick(chart, Qt::LeftButton, {}, chart->HourCenter(9));
        QVERIFY(viewer.Settle());
        QCOMPARE(from->time(), QTime(9, 0));
        QCOMPARE(to->time(), QTime(9, 59));
        QCOMPARE(viewer.Count(), QStringLiteral("3 shown of 6"));
        QTest::mouseClick(chart, Qt::LeftButton, {}, chart->HourCenter(9));
        QVERIFY(viewer.Settle());
        QCOMPARE(viewer.Count(), QStringLiteral("6 shown of 6"));
        // Every hour's bar is hit at its middle, and nothing beside the bars.
        for (int hour = 0; hour < 24; ++hour)
            QCOMPARE(chart->HourAt(chart->HourCenter(hour).x()), std::optional<int>(hour));
        QCOMPARE(chart->HourAt(0), std::nullopt);
        QCOMPARE(chart->HourAt(chart->width() - 1), std::nullopt);
        QCOMPARE(chart->HourAt(chart->HourCenter(23).x() + chart->width() / 24), std::nullopt);
    }

    void windowsAndUtf8LinesShowTheSameText() {
        // The same path written in Windows-1252 and in UTF-8.
        m_one->Write("qv060316.log",
                     Line("10:00:00", "/caf\xe9-\x93q\x94-\x80.htm", 2) +
                         Line("10:00:01", "/caf\xc3\xa9-\xe2\x80\x9cq\xe2\x80\x9d-\xe2\x82\xac.htm", 2) +
                         Line("10:00:02", "/plain.htm", 2));
        Viewer viewer(m_sites, 1);
        viewer.dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(viewer.dialog.get()));
        QVERIFY(viewer.Settle());
        const QString path = QStringLiteral("/caf\u00e9-\u201cq\u201d-\u20ac.htm");
        QCOMPARE(viewer.Cell(0, 4), path);
        QCOMPARE(viewer.Cell(1, 4), path);
        viewer.Find()->setText(QStringLiteral("\u00e9-\u201c"));
        QVERIFY(viewer.Settle());
        QCOMPARE(viewer.Count(), QStringLiteral("2 shown of 3"));
        // Copied as it is shown.
        viewer.List()->setFocus();
        viewer.List()->selectAll();
        QTest::keyClick(viewer.List(), Qt::Key_C, Qt::ControlModifier);
        const QStringList lines = QGuiApplication::clipboard()->text().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[1].section(QLatin1Char('\t'), 4, 4), path);
        QCOMPARE(lines[2].section(QLatin1Char('\t'), 4, 4), path);
    }

    void theNewestFileIsFollowedAsItGrows() {
        const std::filesystem::path file = m_one->File("qv060314.log");
        std::string lines;
        for (int i = 0; i < 200; ++i)
            lines += Line("09:00:00", "/page" + std::to_string(i) + ".htm", 2);
        m_one->Write("qv060314.log", lines);
        const auto append = [&](int first, int count) {
            std::ofstream out(file, std::ios::binary | std::ios::app);
            for (int i = first; i < first + count; ++i)
                out << Line("09:30:00", "/page" + std::to_string(i) + ".htm", 3);
        };
        Viewer viewer(m_sites, 1);
        viewer.dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(viewer.dialog.get()));
        QVERIFY(viewer.Settle());
        QTableView* list = viewer.List();
        QScrollBar* bar = list->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);

        // Away from the end the view stays, and the selection with it.
        list->selectRow(5);
        append(200, 10);
        QTRY_COMPARE(viewer.Rows(), 210);
        QCOMPARE(viewer.Cell(209, 4), QStringLiteral("/page209.htm"));
        QCOMPARE(bar->value(), 0);
        QCOMPARE(list->selectionModel()->selectedRows().size(), 1);
        QCOMPARE(list->selectionModel()->selectedRows().front().row(), 5);
        // At the end the view follows it.
        list->scrollToBottom();
        append(210, 10);
        QTRY_COMPARE(viewer.Rows(), 220);
        QTRY_COMPARE(list->rowAt(list->viewport()->height() - 2), 219);
        QVERIFY(viewer.Settle());
        // Under a find text the new rows are filtered as they come.
        viewer.Find()->setText(QStringLiteral("page22"));
        QVERIFY(viewer.Settle());
        append(220, 5);
        QTRY_COMPARE(viewer.Count(), QStringLiteral("6 shown of 225"));
        viewer.Find()->clear();
        QVERIFY(viewer.Settle());

        // Refresh reads the file again and puts the selection and the scroll position back.
        list->selectionModel()->select(
            QItemSelection(list->model()->index(20, 0), list->model()->index(22, 7)),
            QItemSelectionModel::ClearAndSelect);
        list->scrollTo(list->model()->index(15, 0), QAbstractItemView::PositionAtTop);
        QTest::mouseClick(viewer.Refresh(), Qt::LeftButton);
        QVERIFY(viewer.Settle());
        QCOMPARE(viewer.Rows(), 225);
        QCOMPARE(list->rowAt(0), 15);
        const QModelIndexList selected = list->selectionModel()->selectedRows();
        QCOMPARE(selected.size(), 3);
        QCOMPARE(std::min({selected[0].row(), selected[1].row(), selected[2].row()}), 20);

        // A file that shrank, and one replaced by another under its name, are read again whole.
        m_one->Write("qv060314.log", Line("11:00:00", "/after-cut.htm", 4));
        QTRY_COMPARE(viewer.Rows(), 1);
        QVERIFY(viewer.Settle());
        QCOMPARE(viewer.Cell(0, 4), QStringLiteral("/after-cut.htm"));
        m_one->Write("qv060314.new", lines);
        std::filesystem::rename(m_one->File("qv060314.new"), file);
        QTRY_COMPARE(viewer.Rows(), 200);
        // An older file is not followed.
        m_one->Write("qv060315.log", Line("12:00:00", "/newer.htm", 2));
        QTest::mouseClick(viewer.Refresh(), Qt::LeftButton);
        QVERIFY(viewer.Settle());
        append(200, 1);
        QTest::qWait(1500);
        QCOMPARE(viewer.Rows(), 200);
    }

    void bigFileComesInPiecesAndAnotherChoiceStopsIt() {
        std::string big;
        for (int i = 0; big.size() < 3 * 1024 * 1024; ++i)
            big += Line("08:00:00", "/big/page" + std::to_string(i) + ".htm", 2);
        m_one->Write("qv060315.log", big);
        const int bigRows = static_cast<int>(std::count(big.begin(), big.end(), '\n'));
        Viewer viewer(m_sites, 1);
        std::vector<int> counts;
        connect(viewer.List()->model(), &QAbstractItemModel::rowsInserted, this,
                [&] { counts.push_back(viewer.Rows()); });
        QVERIFY(viewer.Settle());
        QVERIFY(counts.size() >= 2);
        QVERIFY(counts.front() < bigRows);
        QCOMPARE(viewer.Rows(), bigRows);
        QCOMPARE(viewer.Cell(bigRows - 1, 4), QStringLiteral("/big/page%1.htm").arg(bigRows - 1));
        // The small file, the big one and, before that is read, the small one again: only its rows show.
        viewer.Files()->setCurrentIndex(0);
        QVERIFY(viewer.Settle());
        counts.clear();
        viewer.Files()->setCurrentIndex(1);
        viewer.Files()->setCurrentIndex(0);
        QVERIFY(viewer.Settle());
        QCOMPARE(counts, std::vector<int>{1});
        QCOMPARE(viewer.Cell(0, 4), QStringLiteral("/one-14.htm"));
        // Closing the window while the big file is read and filtered stops both.
        viewer.Find()->setText(QStringLiteral("page"));
        QTest::keyClick(viewer.Find(), Qt::Key_Return);
        viewer.Files()->setCurrentIndex(1);
        viewer.dialog.reset();
    }
};

QTEST_MAIN(ViewerDialogTest)
#include "ViewerDialogTest.moc"
