#include "LogViewerDialog.h"

#include "LogExporter.h"
#include "LogFilterRunner.h"
#include "LogLoader.h"
#include "LogParser.h"
#include "LogTableModel.h"
#include "LogViewerIcon.h"
#include "ViewerLayout.h"
#include "ViewerTemplate.h"
#include "ui_LogViewerDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStandardPaths>

#include <cmath>

namespace qv {

namespace {

constexpr int kRowInterval = 40;  // ms between hand-overs of rows while a file is read; each costs the list
constexpr int kFindDelay = 200;   // ms of quiet typing before the filter runs
constexpr int kStatusTime = 5000; // ms an export's outcome stays
constexpr int kProgressSteps = 1000;

QString SuggestedExportName(const LogFileEntry* entry) {
    QString directory = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (directory.isEmpty())
        directory = QDir::homePath();
    const QString base =
        entry ? QFileInfo(QString::fromLocal8Bit(entry->fileName)).completeBaseName() : QStringLiteral("log");
    return directory + QLatin1Char('/') + base + QStringLiteral(".csv");
}

} // namespace

LogViewerDialog::LogViewerDialog(std::vector<LogViewerSite> sites, std::uint32_t requestedSite,
                                 QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::LogViewerDialog>()),
      m_selection(std::move(sites), requestedSite), m_model(new LogTableModel(this)),
      m_loader(new LogLoader(this)), m_filter(new LogFilterRunner(this)), m_exporter(new LogExporter(this)) {
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowIcon(LogViewerIcon::Make());
    setMinimumSize(ViewerLayout::kMinimumWidth, ViewerLayout::kMinimumHeight);
    m_chooseExportFile = [](QWidget* owner, const QString& suggested) {
        return QFileDialog::getSaveFileName(owner, QStringLiteral("Export Rows"), suggested,
                                            QStringLiteral("CSV files (*.csv);;All files (*)"));
    };

    m_rowTimer.setSingleShot(true);
    m_rowTimer.setInterval(kRowInterval);
    m_findTimer.setSingleShot(true);
    m_findTimer.setInterval(kFindDelay);
    m_statusTimer.setSingleShot(true);
    m_statusTimer.setInterval(kStatusTime);
    connect(&m_rowTimer, &QTimer::timeout, this, &LogViewerDialog::ShowPendingRows);
    connect(&m_findTimer, &QTimer::timeout, this, &LogViewerDialog::ApplyFilter);
    connect(&m_statusTimer, &QTimer::timeout, this, [this] {
        m_status.clear();
        UpdateCount();
    });

    PlaceTemplateControls();
    m_placement.Load();
    SetUpList();

    connect(m_loader, &LogLoader::opened, this, [this](std::shared_ptr<const LogFile> file) {
        m_model->SetFile(file);
        const QString text = m_ui->editFind->text();
        if (!text.isEmpty()) {
            m_model->BeginFilter();
            m_filter->Start(std::move(file), text.toLocal8Bit().toStdString(), 0);
        }
        UpdateCount();
    });
    connect(m_loader, &LogLoader::progressed, this, [this](quint64 read, quint64 length, quint64 rows) {
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
    connect(m_loader, &LogLoader::finished, this, [this](bool) {
        m_rowTimer.stop();
        ShowPendingRows();
        UpdateProgress();
    });
    connect(m_filter, &LogFilterRunner::matched, m_model, &LogTableModel::AppendShown);
    connect(m_filter, &LogFilterRunner::idle, this, &LogViewerDialog::UpdateCount);
    connect(m_model, &LogTableModel::countsChanged, this, &LogViewerDialog::UpdateCount);
    connect(m_exporter, &LogExporter::progressed, this, [this](quint64 written, quint64 total) {
        m_exported = written;
        m_exportTotal = total;
        UpdateProgress();
    });
    connect(m_exporter, &LogExporter::finished, this, [this](bool ok, quint64 rows) {
        m_exported = m_exportTotal = 0;
        UpdateProgress();
        ShowStatus(ok ? QStringLiteral("%1 rows exported").arg(QLocale().toString(rows))
                      : QStringLiteral("Export failed"));
        m_ui->buttonExport->setEnabled(true);
        Q_EMIT exportFinished(ok);
    });

    connect(m_ui->comboSites, &QComboBox::currentIndexChanged, this, &LogViewerDialog::OnSiteChosen);
    connect(m_ui->comboFiles, &QComboBox::currentIndexChanged, this, &LogViewerDialog::OnFileChosen);
    connect(m_ui->buttonRefresh, &QPushButton::clicked, this, [this] { RebuildFiles(false); });
    connect(m_ui->buttonOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->buttonExport, &QPushButton::clicked, this, &LogViewerDialog::OnExport);
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
        for (const LogViewerSite& site : m_selection.Sites())
            m_ui->comboSites->addItem(QString::fromLocal8Bit(site.description));
        m_ui->comboSites->setCurrentIndex(m_selection.SiteIndex());
    }
    m_started = true;
    // Without sites there is nothing to show: the window keeps its first place.
    if (haveSites && m_placement.Window())
        RestoreWindow(*m_placement.Window());
    ApplyLayout();
    UpdateCount();
    if (haveSites)
        OnSiteChosen(m_selection.SiteIndex());
}

LogViewerDialog::~LogViewerDialog() = default;

void LogViewerDialog::PlaceTemplateControls() {
    const QFontMetrics metrics(font());
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const QSize base((metrics.horizontalAdvance(alphabet) / 26 + 1) / 2, metrics.height());
    const ViewerTemplate places =
        ViewerTemplate::ForFont(base, metrics.horizontalAdvance(m_ui->labelSites->text()) + 2,
                                metrics.horizontalAdvance(m_ui->labelFiles->text()) + 2);
    m_ui->labelSites->setGeometry(places.siteLabel);
    m_ui->comboSites->setGeometry(places.siteList);
    m_ui->labelFiles->setGeometry(places.fileLabel);
    m_ui->comboFiles->setGeometry(places.fileList);
    m_ui->buttonRefresh->setGeometry(places.refresh);
    resize(places.client.expandedTo(minimumSize()));
    // The default widths were made for the template's font.
    std::array<std::int32_t, 8> columns = ViewerPlacement::kDefaultColumns;
    for (std::int32_t& width : columns)
        width = static_cast<std::int32_t>(std::lround(width * places.scale));
    m_placement = ViewerPlacement(columns);
}

void LogViewerDialog::SetUpList() {
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
    const auto& columns = m_placement.Columns();
    for (std::size_t i = 0; i < columns.size(); ++i)
        header->resizeSection(static_cast<int>(i), columns[i]);
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

QWidget* LogViewerDialog::Control(int id) const {
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

void LogViewerDialog::OnSiteChosen(int index) {
    if (index < 0)
        return;
    m_selection.ChooseSite(index);
    RebuildFiles(true);
}

void LogViewerDialog::OnFileChosen(int index) {
    // "None" is no file.
    if (index < 0 || m_selection.Files().empty())
        return;
    m_selection.ChooseFile(index);
    ReadSelectedFile();
}

void LogViewerDialog::RebuildFiles(bool chooseNewest) {
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

void LogViewerDialog::ReadSelectedFile() {
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

void LogViewerDialog::ShowPendingRows() {
    m_model->SetAvailableRows(m_pendingRows);
    if (m_filter->Active())
        m_filter->Extend(m_pendingRows);
}

void LogViewerDialog::ApplyFilter() {
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

void LogViewerDialog::OnExport() {
    if (!m_model->File() || m_exporter->Running())
        return;
    const QString path = m_chooseExportFile(this, SuggestedExportName(m_selection.SelectedFile()));
    if (!path.isEmpty())
        ExportTo(path);
}

void LogViewerDialog::ExportTo(const QString& path) {
    if (!m_model->File() || m_exporter->Running())
        return;
    m_ui->buttonExport->setEnabled(false);
    m_exported = 0;
    m_exportTotal = m_model->ShownRows();
    m_exporter->Start(path.toLocal8Bit().toStdString(), m_model->File(), m_model->ShownFileRows());
    UpdateProgress();
}

void LogViewerDialog::SetExportFileChooser(std::function<QString(QWidget*, const QString&)> chooser) {
    m_chooseExportFile = std::move(chooser);
}

bool LogViewerDialog::Busy() const {
    return m_loader->Running() || m_rowTimer.isActive() || m_findTimer.isActive() ||
           (m_filter->Active() && !m_filter->Idle()) || m_exporter->Running();
}

void LogViewerDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    ApplyLayout();
}

void LogViewerDialog::ApplyLayout() {
    if (!m_started)
        return;
    const ViewerLayout layout = ViewerLayout::ForClient(size());
    m_ui->tableLog->setGeometry(layout.list);
    m_ui->buttonOk->setGeometry(layout.ok);
    m_ui->editFind->setGeometry(layout.find);
    m_ui->labelCount->setGeometry(layout.count);
    m_ui->progressRead->setGeometry(layout.progress);
    m_ui->buttonExport->setGeometry(layout.exportButton);
}

void LogViewerDialog::RestoreWindow(const WindowRect& rect) {
    QRect place(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    place.setSize(place.size().expandedTo(minimumSize()));
    // A place that no screen shows any more (a monitor removed) keeps only the size.
    if (QGuiApplication::screenAt(place.center()))
        setGeometry(place);
    else
        resize(place.size());
}

void LogViewerDialog::SaveLayout() {
    std::array<std::int32_t, 8> columns{};
    for (std::size_t i = 0; i < columns.size(); ++i)
        columns[i] = m_ui->tableLog->horizontalHeader()->sectionSize(static_cast<int>(i));
    m_placement.SetColumns(columns);
    const QRect place = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    m_placement.SetWindow(
        WindowRect{place.left(), place.top(), place.left() + place.width(), place.top() + place.height()});
    m_placement.Save();
}

void LogViewerDialog::done(int result) {
    SaveLayout();
    QDialog::done(result);
}

bool LogViewerDialog::eventFilter(QObject* watched, QEvent* event) {
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

void LogViewerDialog::UpdateCount() {
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

void LogViewerDialog::UpdateProgress() {
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

void LogViewerDialog::ShowStatus(const QString& text) {
    m_status = text;
    m_statusTimer.start();
    UpdateCount();
}

} // namespace qv
