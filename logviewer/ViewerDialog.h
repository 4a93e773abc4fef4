#pragma once
// The Log Viewer's window: a site, one of its daily log files, and that file's rows in eight columns. Files
// are read off the window's thread and show their first rows while the rest is read; the find box (in all
// columns or one), the event type and the hours narrow the rows, and Export writes the shown rows as CSV.
// Above the list a histogram shows the file's rows per hour; the newest file is followed as the handler
// writes it. Selected rows copy as tab-separated text; an empty list says why it is empty.
#include "logviewer/core/ViewerWindowLayout.h"
#include "logviewer/core/ViewerSelection.h"
#include "logviewer/core/ViewerSite.h"
#include "logviewer/parse/LogEventKind.h"
#include "logviewer/parse/LogRowQuery.h"
#include "widgets/WindowPlacement.h"

#include <QDialog>
#include <QList>
#include <QModelIndex>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QAction;
class QLabel;
class QMenu;

namespace Ui {
class ViewerDialog;
}

namespace qv {

class LogHourChart;
class LogTableModel;
class ViewerExportTask;
class ViewerFilterTask;
class ViewerFollowTask;
class ViewerHistogramTask;
class ViewerLoadTask;

// The numeric ids of the window's controls.
enum ViewerControlId : int {
    kControlOk = 1,
    kControlSiteList = 150,
    kControlFileList = 151,
    kControlLogList = 152,
    kControlRefresh = 1000,
};

class ViewerDialog : public QDialog {
    Q_OBJECT
public:
    // sites in ascending site number; requestedSite from the command line (0 for none).
    ViewerDialog(std::vector<ViewerSite> sites, std::uint32_t requestedSite, QWidget* parent = nullptr);
    ~ViewerDialog() override;

    QWidget* Control(int id) const;
    const ViewerSelection& Selection() const { return m_selection; }
    LogTableModel* Model() const { return m_model; }

    // Writes the shown rows to path as CSV, off the window's thread; exportFinished tells how it went.
    void ExportTo(const QString& path);
    // The selected rows in list order: the column names, then one line per row, fields between tabs.
    QString SelectedRowsText() const;
    // Why the list is empty; nothing while it shows rows or a file is being read.
    QString EmptyReason() const;
    // What Export... asks for the file name; QFileDialog unless replaced.
    void SetExportFileChooser(std::function<QString(QWidget*, const QString& suggested)> chooser);
    // A file is being read, filtered or exported, or rows wait to be shown.
    bool Busy() const;

Q_SIGNALS:
    void exportFinished(bool ok);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PlaceTemplateControls();
    void SetUpList();
    void OnSiteChosen(int index);
    void OnFileChosen(int index);
    void RebuildFiles(bool chooseNewest);
    void ReadSelectedFile();
    void ShowPendingRows();
    void ApplyFilter();
    void OnExport();
    void OnExportSelection();
    void ExportRows(const QString& path, std::vector<std::uint32_t> rows);
    void SetUpActions();
    void SetUpFilters();
    void SetUpFollow();
    void OnAppended(quint64 rowsBefore, quint64 rowsAfter);
    void CountHours();
    void ShowTypes(const std::vector<LogEventKind>& kinds);
    void ShowHour(int hour);
    LogRowQuery Query() const;
    void ShowListMenu(const QPoint& at);
    void CopyRows();
    void CopyCell();
    std::vector<int> SelectedListRows() const;
    void UpdateEmptyReason();
    void KeepView();
    void RestoreView();
    void ChooseFirstSize();
    void ApplyLayout();
    void RestoreWindow(const QRect& kept);
    void SaveLayout();
    void UpdateCount();
    void UpdateProgress();
    void ShowStatus(const QString& text);

    std::unique_ptr<Ui::ViewerDialog> m_ui;
    ViewerSelection m_selection;
    WindowPlacement m_placement;
    QList<int> m_defaultColumns;   // for the window's font
    ViewerWindowLayout::Top m_top; // the template's top band for the window's font
    int m_rowHeight = 0;
    int m_templateHeight = 0;
    LogTableModel* m_model = nullptr;
    ViewerLoadTask* m_loader = nullptr;
    ViewerFilterTask* m_filter = nullptr;
    ViewerExportTask* m_exporter = nullptr;
    ViewerFollowTask* m_follow = nullptr;
    ViewerHistogramTask* m_counter = nullptr;
    LogHourChart* m_hours = nullptr;
    std::function<QString(QWidget*, const QString&)> m_chooseExportFile;
    QAction* m_copyAction = nullptr;
    QAction* m_copyCellAction = nullptr;
    QAction* m_exportSelectionAction = nullptr;
    QMenu* m_listMenu = nullptr;
    QModelIndex m_menuCell; // the cell the menu was opened on
    QLabel* m_emptyReason = nullptr;
    // What Refresh puts back once the same file is read again: the selection as ranges of file rows, the
    // current row, the row at the top and the sideways scroll.
    struct KeptView {
        std::string fileName;
        std::vector<std::pair<std::size_t, std::size_t>> selected;
        std::optional<std::size_t> current;
        std::optional<std::size_t> top;
        int across = 0;
    };
    std::optional<KeptView> m_keptView;
    QTimer m_rowTimer;     // rows read are handed to the list at most this often
    QTimer m_findTimer;    // typing settles before the rows are filtered
    QTimer m_statusTimer;  // how long an export's outcome stands in place of the count
    QTimer m_recountTimer; // a growing file's hours are counted again after this
    std::uint64_t m_pendingRows = 0;
    std::uint64_t m_bytesRead = 0;
    std::uint64_t m_length = 0;
    std::uint64_t m_exported = 0;
    std::uint64_t m_exportTotal = 0;
    bool m_fileOpened = false;
    // Rows that a follow adds keep the end in view when it was in view.
    bool m_endWanted = false;
    bool m_wasAtEnd = false;
    QString m_status;
    bool m_started = false;
};

} // namespace qv
