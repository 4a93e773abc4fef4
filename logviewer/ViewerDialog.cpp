#include "ViewerDialog.h"

#include "LogCellDelegate.h"
#include "LogHourChart.h"
#include "LogTableModel.h"
#include "ViewerExportTask.h"
#include "ViewerFilterTask.h"
#include "ViewerFollowTask.h"
#include "ViewerHistogramTask.h"
#include "ViewerIcon.h"
#include "ViewerLoadTask.h"
#include "logviewer/core/ViewerLayout.h"
#include "logviewer/core/ViewerTemplate.h"
#include "logviewer/parse/LogCsvWriter.h"
#include "logviewer/parse/LogEventTypes.h"
#include "logviewer/parse/LogParser.h"
#include "settings/ProductKeys.h"
#include "ui_ViewerDialog.h"
#include "widgets/DialogUnits.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QThreadPool>
#include <QVBoxLayout>

#include <algorithm>

namespace qv {

namespace {

constexpr int kRowInterval = 40;  // ms between hand-overs of rows while a file is read; each costs the list
constexpr int kFindDelay = 200;   // ms of quiet typing before the filter runs
constexpr int kStatusTime = 5000; // ms an export's outcome stays
constexpr int kProgressSteps = 1000;
constexpr int kRecountDelay = 1000; // ms: a growing file's hours are counted again at most this often
constexpr int kSecondsPerHour = 3600;

// The window's place ("win") and its column widths ("cols") are kept below the dialog key.
constexpr auto kPlacementKey = KeyBelow(kDialogKeyPath, "Log");
constexpr const char* kWindowValue = "win";
constexpr const char* kColumnsValue = "cols";

QString SuggestedExportName(const LogFileEntry* entry) {
    QString directory = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (directory.isEmpty())
        directory = QDir::homePath();
    const QString base =
        entry ? QFileInfo(QString::fromLocal8Bit(entry->fileName)).completeBaseName() : QStringLiteral("log");
    return directory + QLatin1Char('/') + base + QStringLiteral(".csv");
}

QRect ToQRect(const ViewerRect& rect) {
    return QRect(rect.left, rect.top, rect.width, rect.height);
}

ViewerRect ToViewerRect(const QRect& rect) {
    return ViewerRect{rect.left(), rect.top(), rect.width(), rect.height()};
}

QString NativePath(const std::string& path) {
    return QDir::toNativeSeparators(QString::fromLocal8Bit(path));
}

QString FromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::uint32_t SecondOfDay(const QTime& time) {
    return static_cast<std::uint32_t>(time.msecsSinceStartOfDay() / 1000);
}

} // namespace

ViewerDialog::ViewerDialog(std::vector<ViewerSite> sites, std::uint32_t requestedSite, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::ViewerDialog>()),
      m_selection(std::move(sites), requestedSite), m_placement(kPlacementKey.data()),
      m_model(new LogTableModel(this)), m_loader(new ViewerLoadTask(this)),
      m_filter(new ViewerFilterTask(this)), m_exporter(new ViewerExportTask(this)),
      m_follow(new ViewerFollowTask(this)), m_counter(new ViewerHistogramTask(this)) {
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowIcon(ViewerIcon::Make());
    setMinimumSize(ViewerLayout::kMinimumWidth, ViewerLayout::kMinimumHeight);
    m_chooseExportFile = [](QWidget* owner, const QString& suggested) {
        return QFileDialog::getSaveFileName(owner, QStringLiteral("Export Rows"), suggested,
                                            QStringLiteral("CSV files (*.csv);;All files (*)"));
    };

    // Reading or following, filtering, counting the hours and exporting may all run at once, however few
    // the cores.
    QThreadPool* pool = QThreadPool::globalInstance();
    pool->setMaxThreadCount(std::max(pool->maxThreadCount(), 4));

    m_rowTimer.setSingleShot(true);
    m_rowTimer.setInterval(kRowInterval);
    m_findTimer.setSingleShot(true);
    m_findTimer.setInterval(kFindDelay);
    m_statusTimer.setSingleShot(true);
    m_statusTimer.setInterval(kStatusTime);
    connect(&m_rowTimer, &QTimer::timeout, this, &ViewerDialog::ShowPendingRows);
    connect(&m_findTimer, &QTimer::timeout, this, &ViewerDialog::ApplyFilter);
    connect(&m_statusTimer, &QTimer::timeout, this, [this] {
        m_status.clear();
        UpdateCount();
    });

    PlaceTemplateControls();
    SetUpList();
    SetUpActions();
    SetUpFilters();
    SetUpFollow();

    connect(m_loader, &ViewerLoadTask::opened, this, [this](std::shared_ptr<const LogFile> file) {
        m_fileOpened = true;
        m_model->SetFile(file);
        const LogRowQuery query = Query();
        if (!query.ShowsEverything()) {
            m_model->BeginFilter();
            m_filter->Start(std::move(file), query, 0);
        }
        UpdateCount();
    });
    connect(m_loader, &ViewerLoadTask::progressed, this, [this](quint64 read, quint64 length, quint64 rows) {
        m_bytesRead = read;
        m_length = length;
        m_pendingRows = rows;
        // The first rows go to the list at once, later ones in batches.
        if (m_model->TotalRows() == 0 && rows > 0)
            ShowPendingRows();
        else if (!m_rowTimer.isActive())
            m_rowTimer.start();
        UpdateProgress();
    });
    connect(m_loader, &ViewerLoadTask::finished, this, [this] {
        m_rowTimer.stop();
        ShowPendingRows();
        UpdateProgress();
        UpdateEmptyReason();
        RestoreView();
        // The hours are counted once the rows are all there, so that the first rows never wait for them.
        CountHours();
        const std::size_t files = m_selection.Files().size();
        if (files > 0 && m_selection.FileIndex() == static_cast<int>(files) - 1)
            m_follow->Start(m_loader->Reader());
    });
    connect(m_filter, &ViewerFilterTask::matched, m_model, &LogTableModel::AppendShown);
    connect(m_filter, &ViewerFilterTask::idle, this, [this] {
        UpdateCount();
        UpdateEmptyReason();
        RestoreView();
    });
    connect(m_model, &LogTableModel::countsChanged, this, [this] {
        UpdateCount();
        UpdateEmptyReason();
    });
    connect(m_exporter, &ViewerExportTask::progressed, this, [this](quint64 written, quint64 total) {
        m_exported = written;
        m_exportTotal = total;
        UpdateProgress();
    });
    connect(m_exporter, &ViewerExportTask::finished, this, [this](bool ok, quint64 rows) {
        m_exported = m_exportTotal = 0;
        UpdateProgress();
        ShowStatus(ok ? QStringLiteral("%1 rows exported").arg(QLocale().toString(rows))
                      : QStringLiteral("Export failed"));
        m_ui->buttonExport->setEnabled(true);
        m_exportSelectionAction->setEnabled(true);
        Q_EMIT exportFinished(ok);
    });

    connect(m_ui->comboSites, &QComboBox::currentIndexChanged, this, &ViewerDialog::OnSiteChosen);
    connect(m_ui->comboFiles, &QComboBox::currentIndexChanged, this, &ViewerDialog::OnFileChosen);
    connect(m_ui->buttonRefresh, &QPushButton::clicked, this, [this] {
        KeepView();
        RebuildFiles(false);
    });
    connect(m_ui->buttonOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->buttonExport, &QPushButton::clicked, this, &ViewerDialog::OnExport);
    connect(m_ui->editFind, &QLineEdit::textChanged, this, [this] { m_findTimer.start(); });
    connect(m_hours, &LogHourChart::hourClicked, this, &ViewerDialog::ShowHour);
    m_ui->editFind->installEventFilter(this);
    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        m_ui->editFind->setFocus();
        m_ui->editFind->selectAll();
    });

    const bool haveSites = !m_selection.Sites().empty();
    if (haveSites) {
        const QSignalBlocker block(m_ui->comboSites);
        for (const ViewerSite& site : m_selection.Sites())
            m_ui->comboSites->addItem(QString::fromLocal8Bit(site.description));
        m_ui->comboSites->setCurrentIndex(m_selection.SiteIndex());
    }
    m_started = true;
    ChooseFirstSize();
    // Without sites there is nothing to show: the window keeps its first place.
    if (haveSites) {
        if (const auto kept = m_placement.ReadRect(kWindowValue))
            RestoreWindow(*kept);
    }
    ApplyLayout();
    UpdateCount();
    if (haveSites)
        OnSiteChosen(m_selection.SiteIndex());
    UpdateEmptyReason();
}

ViewerDialog::~ViewerDialog() = default;

void ViewerDialog::PlaceTemplateControls() {
    const QFontMetrics metrics(font());
    const ViewerTemplate places = ViewerTemplate::ForFont(
        DialogUnits::ForFont(font()), metrics.horizontalAdvance(m_ui->labelSites->text()) + 2,
        metrics.horizontalAdvance(m_ui->labelFiles->text()) + 2);
    m_ui->labelSites->setGeometry(ToQRect(places.siteLabel));
    m_ui->comboSites->setGeometry(ToQRect(places.siteList));
    m_ui->labelFiles->setGeometry(ToQRect(places.fileLabel));
    m_ui->comboFiles->setGeometry(ToQRect(places.fileList));
    m_ui->buttonRefresh->setGeometry(ToQRect(places.refresh));
    m_top = {places.siteList, places.fileList, places.refresh};
    m_rowHeight = places.fileList.height;
    m_templateHeight = places.clientHeight;
    resize(QSize(places.clientWidth, places.clientHeight).expandedTo(minimumSize()));
    m_defaultColumns = QList<int>(places.columns.begin(), places.columns.end());
}

// Before a kept place is restored: wide enough for every column at its width, the list as high as the
// template makes it, within the screen.
void ViewerDialog::ChooseFirstSize() {
    const QTableView* list = m_ui->tableLog;
    int columns = 0;
    for (const int width : WindowPlacement::SectionWidths(list->horizontalHeader()))
        columns += width;
    const int chrome = 2 * list->frameWidth() + list->verticalScrollBar()->sizeHint().width() + 10;
    int width = std::max(this->width(), columns + chrome);
    int height = ViewerWindowLayout::HeightForTemplate(m_templateHeight, width, m_rowHeight);
    if (const QScreen* screen = this->screen()) {
        const QRect room = screen->availableGeometry();
        width = std::min(width, room.width() * 9 / 10);
        height = std::min(height, room.height() * 9 / 10);
    }
    resize(QSize(width, height).expandedTo(minimumSize()));
}

void ViewerDialog::SetUpList() {
    QTableView* list = m_ui->tableLog;
    list->setModel(m_model);
    QHeaderView* header = list->horizontalHeader();
    // A click on a column header changes nothing: the rows keep the file's order.
    header->setSectionsClickable(false);
    header->setSortIndicatorShown(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(1);
    WindowPlacement::ResizeSections(header, m_placement.ReadWidths(kColumnsValue, m_defaultColumns));
    // The last column reaches the window's edge; it keeps its own width for when it is wider.
    header->setStretchLastSection(true);
    list->setItemDelegate(new LogCellDelegate(list));
    // Rows of one height, fixed, so that millions of them cost the view nothing per row.
    QHeaderView* rows = list->verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(list->fontMetrics().height() + 6);
    // The selection stays visible when the list has no focus.
    QPalette palette = list->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    list->setPalette(palette);
    list->setAlternatingRowColors(true);
    list->setTextElideMode(Qt::ElideRight);

    // Why the list is empty, in its middle.
    m_emptyReason = new QLabel(list->viewport());
    m_emptyReason->setObjectName(QStringLiteral("labelStatus"));
    m_emptyReason->setAlignment(Qt::AlignCenter);
    m_emptyReason->setWordWrap(true);
    m_emptyReason->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_emptyReason->setForegroundRole(QPalette::PlaceholderText);
    auto* center = new QVBoxLayout(list->viewport());
    center->addWidget(m_emptyReason);
    m_emptyReason->hide();
}

void ViewerDialog::SetUpFilters() {
    m_hours = m_ui->chartHours;
    QComboBox* scope = m_ui->comboScope;
    scope->addItem(QStringLiteral("All columns"), LogRowQuery::kAllColumns);
    for (std::size_t column = 0; column < kLogColumnCount; ++column)
        scope->addItem(FromView(kLogColumnNames[column]), static_cast<int>(column));
    m_ui->comboType->addItem(QStringLiteral("All events"), int{kAllLogEventKinds});
    const auto changed = [this] { m_findTimer.start(); };
    connect(scope, &QComboBox::currentIndexChanged, this, &ViewerDialog::ApplyFilter);
    connect(m_ui->comboType, &QComboBox::currentIndexChanged, this, &ViewerDialog::ApplyFilter);
    connect(m_ui->timeFrom, &QTimeEdit::timeChanged, this, changed);
    connect(m_ui->timeTo, &QTimeEdit::timeChanged, this, changed);
}

void ViewerDialog::SetUpFollow() {
    m_recountTimer.setSingleShot(true);
    m_recountTimer.setInterval(kRecountDelay);
    connect(&m_recountTimer, &QTimer::timeout, this, &ViewerDialog::CountHours);
    connect(m_follow, &ViewerFollowTask::appended, this, &ViewerDialog::OnAppended);
    connect(m_follow, &ViewerFollowTask::replaced, this, &ViewerDialog::ReadSelectedFile);
    connect(m_counter, &ViewerHistogramTask::counted, this,
            [this](const std::shared_ptr<const ViewerHistogramTask::Counts>& counts) {
                m_hours->SetCounts(counts->hours);
                ShowTypes(counts->kinds);
            });
    // Rows that come at the end keep the end in view when it was in view.
    const QScrollBar* bar = m_ui->tableLog->verticalScrollBar();
    connect(m_model, &QAbstractItemModel::rowsAboutToBeInserted, this,
            [this, bar] { m_wasAtEnd = bar->value() >= bar->maximum(); });
    connect(m_model, &QAbstractItemModel::rowsInserted, this, [this] {
        if (m_endWanted && m_wasAtEnd) {
            m_ui->tableLog->doItemsLayout();
            m_ui->tableLog->scrollToBottom();
        }
    });
}

void ViewerDialog::OnAppended(quint64 rowsBefore, quint64 rowsAfter) {
    const QScrollBar* bar = m_ui->tableLog->verticalScrollBar();
    m_endWanted = bar->value() >= bar->maximum();
    // The last row may have been a line without its end, and has its whole line now.
    if (rowsBefore > 0)
        m_model->RowChanged(rowsBefore - 1);
    m_pendingRows = rowsAfter;
    ShowPendingRows();
    if (!m_recountTimer.isActive())
        m_recountTimer.start();
}

void ViewerDialog::CountHours() {
    if (m_model->File())
        m_counter->Start(m_model->File(), m_model->TotalRows());
}

void ViewerDialog::ShowTypes(const std::vector<LogEventKind>& kinds) {
    QComboBox* types = m_ui->comboType;
    const int chosen = types->currentData().toInt();
    const QSignalBlocker block(types);
    types->clear();
    types->addItem(QStringLiteral("All events"), int{kAllLogEventKinds});
    for (const LogEventKind kind : kinds)
        types->addItem(FromView(LogEventTypes::Name(kind)), int{LogEventKindBit(kind)});
    // A type that this file lacks stays chosen, as the find text does.
    int index = types->findData(chosen);
    if (index < 0) {
        for (std::size_t kind = 0; kind < kLogEventKindCount; ++kind) {
            if (chosen == int{LogEventKindBit(static_cast<LogEventKind>(kind))})
                types->addItem(FromView(LogEventTypes::Name(static_cast<LogEventKind>(kind))), chosen);
        }
        index = std::max(0, types->findData(chosen));
    }
    types->setCurrentIndex(index);
}

void ViewerDialog::ShowHour(int hour) {
    const QTime from(hour, 0);
    const QTime to(hour, 59);
    // The hour shown already: the whole day again.
    const bool again = m_ui->timeFrom->time() == from && m_ui->timeTo->time() == to;
    {
        const QSignalBlocker blockFrom(m_ui->timeFrom);
        const QSignalBlocker blockTo(m_ui->timeTo);
        m_ui->timeFrom->setTime(again ? QTime(0, 0) : from);
        m_ui->timeTo->setTime(again ? QTime(23, 59) : to);
    }
    ApplyFilter();
}

LogRowQuery ViewerDialog::Query() const {
    LogRowQuery query;
    query.text = m_ui->editFind->text().toLocal8Bit().toStdString();
    query.column = m_ui->comboScope->currentData().toInt();
    query.kinds = static_cast<LogEventKindMask>(m_ui->comboType->currentData().toInt());
    query.fromSecond = SecondOfDay(m_ui->timeFrom->time());
    // The edits show minutes: "to" takes its whole minute.
    query.toSecond = std::min(SecondOfDay(m_ui->timeTo->time()) + 59, LogRowQuery::kLastSecond);
    return query;
}

void ViewerDialog::SetUpActions() {
    QTableView* list = m_ui->tableLog;
    m_copyAction = new QAction(QStringLiteral("&Copy"), list);
    m_copyAction->setObjectName(QStringLiteral("actionCopy"));
    m_copyAction->setShortcut(QKeySequence::Copy);
    m_copyAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_copyCellAction = new QAction(QStringLiteral("Copy C&ell"), list);
    m_copyCellAction->setObjectName(QStringLiteral("actionCopyCell"));
    m_exportSelectionAction = new QAction(QStringLiteral("E&xport Selection..."), list);
    m_exportSelectionAction->setObjectName(QStringLiteral("actionExportSelection"));
    list->addActions({m_copyAction, m_copyCellAction, m_exportSelectionAction});
    connect(m_copyAction, &QAction::triggered, this, &ViewerDialog::CopyRows);
    connect(m_copyCellAction, &QAction::triggered, this, &ViewerDialog::CopyCell);
    connect(m_exportSelectionAction, &QAction::triggered, this, &ViewerDialog::OnExportSelection);

    m_listMenu = new QMenu(list);
    m_listMenu->addAction(m_copyAction);
    m_listMenu->addAction(m_copyCellAction);
    m_listMenu->addSeparator();
    m_listMenu->addAction(m_exportSelectionAction);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this, &ViewerDialog::ShowListMenu);
}

void ViewerDialog::ShowListMenu(const QPoint& at) {
    QTableView* list = m_ui->tableLog;
    m_menuCell = list->indexAt(at);
    const bool selected = list->selectionModel()->hasSelection();
    m_copyAction->setEnabled(selected);
    m_copyCellAction->setEnabled(m_menuCell.isValid());
    m_exportSelectionAction->setEnabled(selected && !m_exporter->Running());
    m_listMenu->popup(list->viewport()->mapToGlobal(at));
}

std::vector<int> ViewerDialog::SelectedListRows() const {
    std::vector<int> rows;
    // The ranges, not one index per cell: a selection may hold millions of rows.
    for (const QItemSelectionRange& range : m_ui->tableLog->selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

QString ViewerDialog::SelectedRowsText() const {
    const std::vector<int> rows = SelectedListRows();
    if (rows.empty() || !m_model->File())
        return {};
    std::string text;
    LogCsvWriter::AppendHeader(text, LogTableFormat::Tsv);
    for (const int row : rows)
        LogCsvWriter::AppendRow(text, *m_model->File(), m_model->FileRow(row), LogTableFormat::Tsv);
    return QString::fromStdString(text);
}

void ViewerDialog::KeepView() {
    m_keptView.reset();
    const LogFileEntry* entry = m_selection.SelectedFile();
    if (!entry || !m_model->File())
        return;
    const QTableView* list = m_ui->tableLog;
    KeptView kept{entry->fileName, {}, {}, {}, list->horizontalScrollBar()->value()};
    for (const int row : SelectedListRows()) {
        const std::size_t fileRow = m_model->FileRow(row);
        if (!kept.selected.empty() && kept.selected.back().second + 1 == fileRow)
            kept.selected.back().second = fileRow;
        else
            kept.selected.emplace_back(fileRow, fileRow);
    }
    if (const QModelIndex current = list->currentIndex(); current.isValid())
        kept.current = m_model->FileRow(current.row());
    if (const int top = list->rowAt(0); top >= 0)
        kept.top = m_model->FileRow(top);
    m_keptView = std::move(kept);
}

// Once the file is read again and filtered, never while rows still come.
void ViewerDialog::RestoreView() {
    if (!m_keptView || m_loader->Running() || (m_filter->Active() && !m_filter->Idle()))
        return;
    const KeptView kept = std::move(*m_keptView);
    m_keptView.reset();
    const LogFileEntry* entry = m_selection.SelectedFile();
    if (!entry || entry->fileName != kept.fileName)
        return;
    QTableView* list = m_ui->tableLog;
    QItemSelection selection;
    const int lastColumn = m_model->columnCount() - 1;
    for (const auto& [first, last] : kept.selected) {
        const auto [top, bottom] = m_model->ListRows(first, last);
        if (top <= bottom)
            selection.select(m_model->index(top, 0), m_model->index(bottom, lastColumn));
    }
    const auto listRow = [this](std::size_t fileRow) { return m_model->ListRows(fileRow, fileRow).first; };
    if (kept.current) {
        const int row = listRow(*kept.current);
        if (row < m_model->rowCount())
            list->selectionModel()->setCurrentIndex(m_model->index(row, 0), QItemSelectionModel::NoUpdate);
    }
    list->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    // The scroll range follows the rows just shown only at the view's next layout: lay it out now.
    list->doItemsLayout();
    if (kept.top) {
        const int row = listRow(*kept.top);
        if (row < m_model->rowCount())
            list->scrollTo(m_model->index(row, 0), QAbstractItemView::PositionAtTop);
    }
    list->horizontalScrollBar()->setValue(kept.across);
}

void ViewerDialog::CopyRows() {
    const QString text = SelectedRowsText();
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

void ViewerDialog::CopyCell() {
    const QModelIndex cell = m_menuCell.isValid() ? m_menuCell : m_ui->tableLog->currentIndex();
    m_menuCell = QModelIndex();
    if (cell.isValid())
        QGuiApplication::clipboard()->setText(cell.data().toString());
}

QWidget* ViewerDialog::Control(int id) const {
    switch (id) {
    case kControlOk:
        return m_ui->buttonOk;
    case kControlSiteList:
        return m_ui->comboSites;
    case kControlFileList:
        return m_ui->comboFiles;
    case kControlLogList:
        return m_ui->tableLog;
    case kControlRefresh:
        return m_ui->buttonRefresh;
    default:
        return nullptr;
    }
}

void ViewerDialog::OnSiteChosen(int index) {
    if (index < 0)
        return;
    m_selection.ChooseSite(index);
    m_keptView.reset();
    RebuildFiles(true);
}

void ViewerDialog::OnFileChosen(int index) {
    // "None" is no file.
    if (index < 0 || m_selection.Files().empty())
        return;
    m_selection.ChooseFile(index);
    m_keptView.reset();
    ReadSelectedFile();
}

void ViewerDialog::RebuildFiles(bool chooseNewest) {
    m_selection.RebuildFiles(ListLogFiles(m_selection.LogDirectory()), chooseNewest);
    {
        const QSignalBlocker block(m_ui->comboFiles);
        m_ui->comboFiles->clear();
        for (const LogFileEntry& entry : m_selection.Files())
            m_ui->comboFiles->addItem(QString::fromLocal8Bit(entry.displayText));
        if (m_selection.Files().empty()) {
            m_ui->comboFiles->addItem(QStringLiteral("None"));
            m_ui->comboFiles->setCurrentIndex(0);
        } else {
            // A position that no longer exists selects nothing.
            const int index = m_selection.FileIndex();
            m_ui->comboFiles->setCurrentIndex(index < m_ui->comboFiles->count() ? index : -1);
        }
    }
    ReadSelectedFile();
}

void ViewerDialog::ReadSelectedFile() {
    m_loader->Cancel();
    m_filter->Cancel();
    m_follow->Stop();
    m_counter->Cancel();
    m_recountTimer.stop();
    m_hours->Clear();
    m_endWanted = false;
    m_rowTimer.stop();
    m_pendingRows = m_bytesRead = m_length = 0;
    m_fileOpened = false;
    m_model->Clear();
    if (const LogFileEntry* entry = m_selection.SelectedFile())
        m_loader->Start(m_selection.LogDirectory(), *entry);
    UpdateProgress();
    UpdateCount();
    UpdateEmptyReason();
}

void ViewerDialog::ShowPendingRows() {
    m_model->SetAvailableRows(m_pendingRows);
    if (m_filter->Active())
        m_filter->Extend(m_pendingRows);
}

void ViewerDialog::ApplyFilter() {
    m_findTimer.stop();
    m_endWanted = false;
    const LogRowQuery query = Query();
    if (query.WholeDay())
        m_hours->MarkHours(std::nullopt, std::nullopt);
    else
        m_hours->MarkHours(static_cast<int>(query.fromSecond / kSecondsPerHour),
                           static_cast<int>(query.toSecond / kSecondsPerHour));
    if (query.ShowsEverything()) {
        m_filter->Cancel();
        m_model->EndFilter();
    } else if (m_model->File()) {
        m_model->BeginFilter();
        m_filter->Start(m_model->File(), query, m_model->TotalRows());
    }
    UpdateCount();
    UpdateEmptyReason();
}

void ViewerDialog::OnExport() {
    if (!m_model->File() || m_exporter->Running())
        return;
    const QString path = m_chooseExportFile(this, SuggestedExportName(m_selection.SelectedFile()));
    if (!path.isEmpty())
        ExportTo(path);
}

void ViewerDialog::OnExportSelection() {
    if (!m_model->File() || m_exporter->Running())
        return;
    std::vector<std::uint32_t> rows;
    for (const int row : SelectedListRows())
        rows.push_back(static_cast<std::uint32_t>(m_model->FileRow(row)));
    if (rows.empty())
        return;
    const QString path = m_chooseExportFile(this, SuggestedExportName(m_selection.SelectedFile()));
    if (!path.isEmpty())
        ExportRows(path, std::move(rows));
}

void ViewerDialog::ExportTo(const QString& path) {
    if (m_model->File())
        ExportRows(path, m_model->ShownFileRows());
}

void ViewerDialog::ExportRows(const QString& path, std::vector<std::uint32_t> rows) {
    if (!m_model->File() || m_exporter->Running())
        return;
    m_ui->buttonExport->setEnabled(false);
    m_exportSelectionAction->setEnabled(false);
    m_exported = 0;
    m_exportTotal = rows.size();
    m_exporter->Start(path.toLocal8Bit().toStdString(), m_model->File(), std::move(rows));
    UpdateProgress();
}

void ViewerDialog::SetExportFileChooser(std::function<QString(QWidget*, const QString&)> chooser) {
    m_chooseExportFile = std::move(chooser);
}

bool ViewerDialog::Busy() const {
    return m_loader->Running() || m_rowTimer.isActive() || m_findTimer.isActive() ||
           (m_filter->Active() && !m_filter->Idle()) || m_exporter->Running() || m_follow->Busy() ||
           m_counter->Running() || m_recountTimer.isActive();
}

void ViewerDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    ApplyLayout();
}

void ViewerDialog::ApplyLayout() {
    if (!m_started)
        return;
    const ViewerWindowLayout layout = ViewerWindowLayout::ForClient(width(), height(), m_top, m_rowHeight);
    m_ui->comboSites->setGeometry(ToQRect(layout.siteList));
    m_hours->setGeometry(ToQRect(layout.histogram));
    m_ui->comboFiles->setGeometry(ToQRect(layout.fileList));
    m_ui->buttonRefresh->setGeometry(ToQRect(layout.refresh));
    m_ui->editFind->setGeometry(ToQRect(layout.find));
    m_ui->comboScope->setGeometry(ToQRect(layout.scope));
    m_ui->comboType->setGeometry(ToQRect(layout.type));
    m_ui->timeFrom->setGeometry(ToQRect(layout.timeFrom));
    m_ui->labelTimeDash->setGeometry(ToQRect(layout.timeDash));
    m_ui->timeTo->setGeometry(ToQRect(layout.timeTo));
    m_ui->tableLog->setGeometry(ToQRect(layout.list));
    m_ui->buttonOk->setGeometry(ToQRect(layout.ok));
    m_ui->labelCount->setGeometry(ToQRect(layout.count));
    m_ui->progressRead->setGeometry(ToQRect(layout.progress));
    m_ui->buttonExport->setGeometry(ToQRect(layout.exportButton));
}

void ViewerDialog::RestoreWindow(const QRect& kept) {
    WindowPlacement::MoveOntoScreen(this, ToQRect(ViewerLayout::RestoredWindow(ToViewerRect(kept))));
}

void ViewerDialog::SaveLayout() {
    m_placement.SetRect(kWindowValue, WindowPlacement::NormalPlace(this));
    // The last column's own width, not the one stretched to the window's edge.
    QHeaderView* header = m_ui->tableLog->horizontalHeader();
    header->setStretchLastSection(false);
    m_placement.SetWidths(kColumnsValue, WindowPlacement::SectionWidths(header));
    header->setStretchLastSection(true);
    m_placement.Save();
}

void ViewerDialog::done(int result) {
    SaveLayout();
    QDialog::done(result);
}

bool ViewerDialog::eventFilter(QObject* watched, QEvent* event) {
    // Return in the find box filters at once instead of pressing OK.
    if (watched == m_ui->editFind && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            ApplyFilter();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ViewerDialog::UpdateCount() {
    if (!m_status.isEmpty()) {
        m_ui->labelCount->setText(m_status);
        return;
    }
    if (!m_selection.SelectedFile()) {
        m_ui->labelCount->clear();
        return;
    }
    const QLocale locale;
    m_ui->labelCount->setText(QStringLiteral("%1 shown of %2")
                                  .arg(locale.toString(static_cast<qulonglong>(m_model->ShownRows())),
                                       locale.toString(static_cast<qulonglong>(m_model->TotalRows()))));
}

QString ViewerDialog::EmptyReason() const {
    if (m_model->rowCount() > 0)
        return {};
    if (m_selection.Sites().empty())
        return QStringLiteral("No web sites");
    const std::string& directory = m_selection.LogDirectory();
    if (m_selection.Files().empty()) {
        if (directory.empty())
            return QStringLiteral("The site has no log folder");
        if (!QFileInfo(QString::fromLocal8Bit(directory)).isDir())
            return QStringLiteral("Log folder not found: %1").arg(NativePath(directory));
        return QStringLiteral("No log files (qv*.log) in %1").arg(NativePath(directory));
    }
    const LogFileEntry* entry = m_selection.SelectedFile();
    if (!entry)
        return QStringLiteral("No log file chosen");
    if (m_loader->Running())
        return {};
    const QString path =
        QDir(QString::fromLocal8Bit(directory)).filePath(QString::fromLocal8Bit(entry->fileName));
    if (!m_fileOpened)
        return QStringLiteral("Cannot read %1").arg(QDir::toNativeSeparators(path));
    if (m_model->TotalRows() == 0) {
        return QStringLiteral("0 rows in %1 bytes of %2")
            .arg(QLocale().toString(static_cast<qulonglong>(m_length)), QDir::toNativeSeparators(path));
    }
    if (m_filter->Active() && !m_filter->Idle())
        return {};
    return QStringLiteral("No row matches the filters");
}

void ViewerDialog::UpdateEmptyReason() {
    const QString reason = EmptyReason();
    m_emptyReason->setText(reason);
    m_emptyReason->setVisible(!reason.isEmpty());
}

void ViewerDialog::UpdateProgress() {
    QProgressBar* bar = m_ui->progressRead;
    const bool exporting = m_exporter->Running();
    const bool reading = m_loader->Running();
    if (exporting) {
        bar->setFormat(QStringLiteral("Exporting %p%"));
        bar->setValue(m_exportTotal ? static_cast<int>(m_exported * kProgressSteps / m_exportTotal) : 0);
    } else if (reading) {
        bar->setFormat(QStringLiteral("Reading %p%"));
        bar->setValue(m_length ? static_cast<int>(m_bytesRead * kProgressSteps / m_length) : 0);
    }
    bar->setVisible(exporting || reading);
    m_ui->labelCount->setVisible(!(exporting || reading));
}

void ViewerDialog::ShowStatus(const QString& text) {
    m_status = text;
    m_statusTimer.start();
    UpdateCount();
}

} // namespace qv
