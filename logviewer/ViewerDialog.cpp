#include "ViewerDialog.h"

#include "LogTableModel.h"
#include "ViewerExportTask.h"
#include "ViewerFilterTask.h"
#include "ViewerIcon.h"
#include "ViewerLoadTask.h"
#include "logviewer/core/ViewerLayout.h"
#include "logviewer/core/ViewerTemplate.h"
#include "logviewer/parse/LogParser.h"
#include "settings/ProductKeys.h"
#include "ui_ViewerDialog.h"
#include "widgets/DialogUnits.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QThreadPool>

#include <algorithm>

namespace qv {

namespace {

constexpr int kRowInterval = 40;  // ms between hand-overs of rows while a file is read; each costs the list
constexpr int kFindDelay = 200;   // ms of quiet typing before the filter runs
constexpr int kStatusTime = 5000; // ms an export's outcome stays
constexpr int kProgressSteps = 1000;

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

} // namespace

ViewerDialog::ViewerDialog(std::vector<ViewerSite> sites, std::uint32_t requestedSite, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::ViewerDialog>()),
      m_selection(std::move(sites), requestedSite), m_placement(kPlacementKey.data()),
      m_model(new LogTableModel(this)), m_loader(new ViewerLoadTask(this)),
      m_filter(new ViewerFilterTask(this)), m_exporter(new ViewerExportTask(this)) {
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowIcon(ViewerIcon::Make());
    setMinimumSize(ViewerLayout::kMinimumWidth, ViewerLayout::kMinimumHeight);
    m_chooseExportFile = [](QWidget* owner, const QString& suggested) {
        return QFileDialog::getSaveFileName(owner, QStringLiteral("Export Rows"), suggested,
                                            QStringLiteral("CSV files (*.csv);;All files (*)"));
    };

    // Reading, filtering and exporting may all run at once, however few the cores.
    QThreadPool* pool = QThreadPool::globalInstance();
    pool->setMaxThreadCount(std::max(pool->maxThreadCount(), 3));

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

    connect(m_loader, &ViewerLoadTask::opened, this, [this](std::shared_ptr<const LogFile> file) {
        m_model->SetFile(file);
        const QString text = m_ui->editFind->text();
        if (!text.isEmpty()) {
            m_model->BeginFilter();
            m_filter->Start(std::move(file), text.toLocal8Bit().toStdString(), 0);
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
    });
    connect(m_filter, &ViewerFilterTask::matched, m_model, &LogTableModel::AppendShown);
    connect(m_filter, &ViewerFilterTask::idle, this, &ViewerDialog::UpdateCount);
    connect(m_model, &LogTableModel::countsChanged, this, &ViewerDialog::UpdateCount);
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
        Q_EMIT exportFinished(ok);
    });

    connect(m_ui->comboSites, &QComboBox::currentIndexChanged, this, &ViewerDialog::OnSiteChosen);
    connect(m_ui->comboFiles, &QComboBox::currentIndexChanged, this, &ViewerDialog::OnFileChosen);
    connect(m_ui->buttonRefresh, &QPushButton::clicked, this, [this] { RebuildFiles(false); });
    connect(m_ui->buttonOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->buttonExport, &QPushButton::clicked, this, &ViewerDialog::OnExport);
    connect(m_ui->editFind, &QLineEdit::textChanged, this, [this] { m_findTimer.start(); });
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
    // Without sites there is nothing to show: the window keeps its first place.
    if (haveSites) {
        if (const auto kept = m_placement.ReadRect(kWindowValue))
            RestoreWindow(*kept);
    }
    ApplyLayout();
    UpdateCount();
    if (haveSites)
        OnSiteChosen(m_selection.SiteIndex());
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
    resize(QSize(places.clientWidth, places.clientHeight).expandedTo(minimumSize()));
    m_defaultColumns = QList<int>(places.columns.begin(), places.columns.end());
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
    RebuildFiles(true);
}

void ViewerDialog::OnFileChosen(int index) {
    // "None" is no file.
    if (index < 0 || m_selection.Files().empty())
        return;
    m_selection.ChooseFile(index);
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
    m_rowTimer.stop();
    m_pendingRows = m_bytesRead = m_length = 0;
    m_model->Clear();
    if (const LogFileEntry* entry = m_selection.SelectedFile())
        m_loader->Start(m_selection.LogDirectory(), *entry);
    UpdateProgress();
    UpdateCount();
}

void ViewerDialog::ShowPendingRows() {
    m_model->SetAvailableRows(m_pendingRows);
    if (m_filter->Active())
        m_filter->Extend(m_pendingRows);
}

void ViewerDialog::ApplyFilter() {
    m_findTimer.stop();
    const std::string text = m_ui->editFind->text().toLocal8Bit().toStdString();
    if (text.empty()) {
        m_filter->Cancel();
        m_model->EndFilter();
    } else if (m_model->File()) {
        m_model->BeginFilter();
        m_filter->Start(m_model->File(), text, m_model->TotalRows());
    }
    UpdateCount();
}

void ViewerDialog::OnExport() {
    if (!m_model->File() || m_exporter->Running())
        return;
    const QString path = m_chooseExportFile(this, SuggestedExportName(m_selection.SelectedFile()));
    if (!path.isEmpty())
        ExportTo(path);
}

void ViewerDialog::ExportTo(const QString& path) {
    if (!m_model->File() || m_exporter->Running())
        return;
    m_ui->buttonExport->setEnabled(false);
    m_exported = 0;
    m_exportTotal = m_model->ShownRows();
    m_exporter->Start(path.toLocal8Bit().toStdString(), m_model->File(), m_model->ShownFileRows());
    UpdateProgress();
}

void ViewerDialog::SetExportFileChooser(std::function<QString(QWidget*, const QString&)> chooser) {
    m_chooseExportFile = std::move(chooser);
}

bool ViewerDialog::Busy() const {
    return m_loader->Running() || m_rowTimer.isActive() || m_findTimer.isActive() ||
           (m_filter->Active() && !m_filter->Idle()) || m_exporter->Running();
}

void ViewerDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    ApplyLayout();
}

void ViewerDialog::ApplyLayout() {
    if (!m_started)
        return;
    const ViewerLayout layout = ViewerLayout::ForClient(width(), height());
    m_ui->tableLog->setGeometry(ToQRect(layout.list));
    m_ui->buttonOk->setGeometry(ToQRect(layout.ok));
    m_ui->editFind->setGeometry(ToQRect(layout.find));
    m_ui->labelCount->setGeometry(ToQRect(layout.count));
    m_ui->progressRead->setGeometry(ToQRect(layout.progress));
    m_ui->buttonExport->setGeometry(ToQRect(layout.exportButton));
}

void ViewerDialog::RestoreWindow(const QRect& kept) {
    WindowPlacement::MoveOntoScreen(this, ToQRect(ViewerLayout::RestoredWindow(ToViewerRect(kept))));
}

void ViewerDialog::SaveLayout() {
    m_placement.SetRect(kWindowValue, WindowPlacement::NormalPlace(this));
    m_placement.SetWidths(kColumnsValue, WindowPlacement::SectionWidths(m_ui->tableLog->horizontalHeader()));
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
