#include "SettingsManagerDialog.h"

#include "ApplyingWindow.h"
#include "ErrorDirectoryPage.h"
#include "ErrorFilesPage.h"
#include "LoggingPage.h"
#include "ManagerImages.h"
#include "RulesPage.h"
#include "SiteTreeModel.h"
#include "manager/core/SettingsSession.h"
#include "manager/core/UpdatingScope.h"
#include "settings/SettingsStore.h"
#include "ui_SettingsManagerDialog.h"
#include "widgets/DesktopOpen.h"
#include "widgets/MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QItemSelection>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QTabBar>

#include <algorithm>

namespace qv {

namespace {

// How many failed sites the message names before it only counts the rest.
constexpr std::size_t kNamedFailures = 15;

} // namespace

SettingsManagerDialog::SettingsManagerDialog(SettingsStore& store, const std::optional<Caller>& caller,
                                             SettingsApplier::SaveRecord save, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::SettingsManagerDialog>()), m_store(store),
      m_session(std::make_unique<SettingsSession>(store, caller ? std::optional<std::string>(caller->title)
                                                                : std::nullopt)),
      m_save(save ? std::move(save) : [&store](SiteSettings& record) { return store.SaveSettings(record); }) {
    m_ui->setupUi(this);
    setWindowFlags((windowFlags() | Qt::WindowMinimizeButtonHint) & ~Qt::WindowContextHelpButtonHint);
    const std::optional<DialogSizes> saved = DialogSizes::Load();
    setWindowTitle(QStringLiteral("Quorvane Settings Manager"));
    if (caller) {
        // Centred on the caller, halves rounded toward zero.
        const QRect& place = caller->rect;
        move(place.left() + place.width() / 2 - width() / 2, place.top() + place.height() / 2 - height() / 2);
    }
    setWindowIcon(ManagerImages::ProgramIcon());
    SetUpBanner();
    SetUpMenus();
    SetUpList();
    if (saved)
        m_ui->treeSites->header()->resizeSection(SiteTreeModel::kSitesColumn, saved->sitesColumn);
    SetUpPages();

    connect(m_ui->checkEnable, &QCheckBox::clicked, this, &SettingsManagerDialog::ToggleEnable);
    connect(m_ui->buttonOk, &QPushButton::clicked, this, [this] { ApplySettings(false); });
    connect(m_ui->buttonCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->buttonApply, &QPushButton::clicked, this, [this] { ApplySettings(true); });
    connect(m_ui->editFilter, &QLineEdit::textChanged, this, &SettingsManagerDialog::OnFilterChanged);

    SelectInView(m_session->Selection().SelectedRows(), m_session->ShownRow());
    ShowSelection();
    m_ui->buttonApply->setEnabled(false);

    // Enter is Space everywhere in the dialog and its pages; Tab crosses between them as set out below.
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);

    setMinimumWidth(kMinimumWidth);
    layout()->activate();
    resize(std::max(width(), minimumSizeHint().width()), std::max(height(), minimumSizeHint().height()));
    RestoreSizes(saved);
}

SettingsManagerDialog::~SettingsManagerDialog() = default;

void SettingsManagerDialog::SetUpBanner() {
    m_ui->labelBannerLeft->setPixmap(ManagerImages::BannerLeft());
    m_ui->labelBannerMiddle->setPixmap(ManagerImages::BannerMiddle());
    m_ui->labelBannerRight->setPixmap(ManagerImages::BannerRight());
    for (QLabel* piece : {m_ui->labelBannerLeft, m_ui->labelBannerMiddle, m_ui->labelBannerRight})
        piece->setFixedHeight(ManagerImages::kBannerHeight);
}

void SettingsManagerDialog::SetUpMenus() {
    auto* bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("menuBar"));
    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("menuFile"));
    m_exit = file->addAction(QStringLiteral("E&xit"), this, &SettingsManagerDialog::OnExit);
    m_exit->setObjectName(QStringLiteral("actionExit"));
    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("menuHelp"));
    m_documentation = help->addAction(QStringLiteral("&Documentation..."), this,
                                      [this] { OpenInstalled("Documentation.htm"); });
    m_documentation->setObjectName(QStringLiteral("actionDocumentation"));
    m_techSupport = help->addAction(QStringLiteral("&Technical Support..."), this,
                                    [this] { OpenInstalled("TechSupport.htm"); });
    m_techSupport->setObjectName(QStringLiteral("actionTechSupport"));
    help->addSeparator();
    m_about = help->addAction(QStringLiteral("&About Quorvane..."), this, &SettingsManagerDialog::OnAbout);
    m_about->setObjectName(QStringLiteral("actionAbout"));
    layout()->setMenuBar(bar);
}

void SettingsManagerDialog::SetUpList() {
    m_model = new SiteTreeModel(*m_session, this);
    SiteListView* list = m_ui->treeSites;
    list->setModel(m_model);
    QHeaderView* header = list->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->resizeSection(SiteTreeModel::kSitesColumn, DialogSizes::kDefaultSitesColumn);
    header->resizeSection(SiteTreeModel::kStatusColumn, DialogSizes::kDefaultStatusColumn);
    list->expandAll();
    // From here on rows are neither collapsed nor expanded by the user.
    list->setItemsExpandable(false);
    connect(list, &SiteListView::selectionStepped, this, &SettingsManagerDialog::OnListStepped);
    connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint& pos) {
        const std::unique_ptr<QMenu> menu = ContextMenu();
        menu->exec(list->viewport()->mapToGlobal(pos));
    });
    connect(list, &QAbstractItemView::doubleClicked, this, [this] {
        SelectionStep(FirstSelectedRow());
        ToggleEnable();
    });
}

void SettingsManagerDialog::SetUpPages() {
    m_pages = {new ErrorDirectoryPage(*m_session, m_ui->tabPages),
               new ErrorFilesPage(*m_session, m_ui->tabPages), new RulesPage(*m_session, m_ui->tabPages),
               new LoggingPage(*m_session, m_ui->tabPages)};
    for (SettingsPage* page : m_pages) {
        m_ui->tabPages->addTab(page, page->TabText());
        connect(page, &SettingsPage::rowsWritten, this, &SettingsManagerDialog::Edited);
    }
    // Every tab's text shows whole, whatever the font.
    m_ui->tabPages->setMinimumWidth(
        std::max(m_ui->tabPages->minimumWidth(), m_ui->tabPages->tabBar()->sizeHint().width() + 8));
    m_ui->tabPages->setCurrentIndex(0);
    m_ui->tabPages->setFocus();
}

void SettingsManagerDialog::RestoreSizes(const std::optional<DialogSizes>& saved) {
    if (saved) {
        m_ui->treeSites->header()->resizeSection(SiteTreeModel::kSitesColumn, saved->sitesColumn);
        m_ui->treeSites->header()->resizeSection(SiteTreeModel::kStatusColumn, saved->statusColumn);
        // The stored right edge has the 8 pixels of a frame added; Qt's width has no frame.
        const int width = std::max(kMinimumWidth, saved->Width() - 8);
        move(saved->left, 0);
        resize(width, height());
    } else {
        // The default widths suit the template's small font; with a larger one the columns grow to show
        // "Disabled" whole and to fill the list, so that descriptions are not cut short at first start.
        SiteListView* list = m_ui->treeSites;
        const int status = std::max(DialogSizes::kDefaultStatusColumn,
                                    list->fontMetrics().horizontalAdvance(QStringLiteral("Disabled")) + 16);
        const int room =
            list->width() - 2 * list->frameWidth() - list->verticalScrollBar()->sizeHint().width();
        list->header()->resizeSection(SiteTreeModel::kStatusColumn, status);
        list->header()->resizeSection(SiteTreeModel::kSitesColumn,
                                      std::max(DialogSizes::kDefaultSitesColumn, room - status));
    }
    // The height is what set-up measured, for good.
    setFixedHeight(height());
}

void SettingsManagerDialog::SaveSizes() const {
    const QHeaderView* header = m_ui->treeSites->header();
    DialogSizes::AtClose(width(), height(), header->sectionSize(SiteTreeModel::kSitesColumn),
                         header->sectionSize(SiteTreeModel::kStatusColumn))
        .Save();
}

void SettingsManagerDialog::done(int result) {
    SaveSizes();
    QDialog::done(result);
}

QWidget* SettingsManagerDialog::Control(int id) const {
    switch (id) {
    case kControlOk:
        return m_ui->buttonOk;
    case kControlCancel:
        return m_ui->buttonCancel;
    case kControlEnable:
        return m_ui->checkEnable;
    case kControlApply:
        return m_ui->buttonApply;
    case kControlTabs:
        return m_ui->tabPages;
    case kControlSiteList:
        return m_ui->treeSites;
    case kControlSeparator:
        return m_ui->lineSeparator;
    case kControlBannerLeft:
        return m_ui->labelBannerLeft;
    case kControlBannerRight:
        return m_ui->labelBannerRight;
    case kControlBannerMiddle:
        return m_ui->labelBannerMiddle;
    default:
        return nullptr;
    }
}

QAction* SettingsManagerDialog::Command(int id) const {
    switch (id) {
    case kCommandExit:
        return m_exit;
    case kCommandDocumentation:
        return m_documentation;
    case kCommandTechSupport:
        return m_techSupport;
    case kCommandAbout:
        return m_about;
    default:
        return nullptr;
    }
}

std::vector<int> SettingsManagerDialog::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index :
         m_ui->treeSites->selectionModel()->selectedRows(SiteTreeModel::kSitesColumn))
        rows.push_back(m_model->SessionRow(index));
    std::sort(rows.begin(), rows.end());
    return rows;
}

int SettingsManagerDialog::FirstSelectedRow() const {
    const std::vector<int> rows = SelectedRows();
    return rows.empty() ? SiteRows::kNoRow : rows.front();
}

void SettingsManagerDialog::OnListStepped() {
    SelectionStep(m_model->SessionRow(m_ui->treeSites->currentIndex()));
}

void SettingsManagerDialog::SelectionStep(int focusRow) {
    const int before = m_session->ShownRow();
    m_session->SelectionChanged(focusRow, SelectedRows());
    m_model->ArrowMoved(before, m_session->ShownRow());
    ShowSelection();
}

void SettingsManagerDialog::ShowSelection() {
    const UpdatingScope updating(*m_session);
    // A site's description is shown as written: an ampersand in it ("Fenwick & Hale") is no mnemonic.
    m_ui->checkEnable->setText(
        QString::fromLocal8Bit(m_session->EnableText()).replace(QLatin1Char('&'), QStringLiteral("&&")));
    m_ui->checkEnable->setCheckState(SettingsPage::CheckStateOf(m_session->EnableBoxState()));
    for (SettingsPage* page : m_pages)
        page->ShowCombined();
    const ControlStates states = m_session->UpdateControlStates();
    m_ui->checkEnable->setEnabled(states.enableBox);
    for (SettingsPage* page : m_pages)
        page->ApplyControlStates(states);
}

void SettingsManagerDialog::ToggleEnable() {
    Edited(m_session->ToggleEnable());
    // The box shows the session's value, not the next of Qt's three states.
    m_ui->checkEnable->setCheckState(SettingsPage::CheckStateOf(m_session->EnableBoxState()));
    const ControlStates states = m_session->UpdateControlStates();
    m_ui->checkEnable->setEnabled(states.enableBox);
    for (SettingsPage* page : m_pages)
        page->ApplyControlStates(states);
}

void SettingsManagerDialog::Edited(const std::vector<int>& rows) {
    m_model->StatusChanged(rows);
    m_ui->buttonApply->setEnabled(m_session->ApplyEnabled());
}

void SettingsManagerDialog::OnFilterChanged(const QString& text) {
    const std::vector<int> selected = SelectedRows();
    const int current = m_model->SessionRow(m_ui->treeSites->currentIndex());
    // A reset model would give the columns their default widths back.
    QHeaderView* header = m_ui->treeSites->header();
    const int sitesWidth = header->sectionSize(SiteTreeModel::kSitesColumn);
    const int statusWidth = header->sectionSize(SiteTreeModel::kStatusColumn);
    m_model->SetFilter(text);
    m_ui->treeSites->expandAll();
    header->resizeSection(SiteTreeModel::kSitesColumn, sitesWidth);
    header->resizeSection(SiteTreeModel::kStatusColumn, statusWidth);
    std::vector<int> kept;
    std::copy_if(selected.begin(), selected.end(), std::back_inserter(kept),
                 [this](int row) { return m_model->Shown(row); });
    int focus = m_model->Shown(current) ? current : SiteRows::kNoRow;
    if (focus == SiteRows::kNoRow && !kept.empty())
        focus = m_model->Shown(m_session->ShownRow()) ? m_session->ShownRow() : kept.front();
    SelectInView(kept, focus);
    // Rows the filter hid are no longer selected: the shown values follow what is left.
    if (kept != selected)
        SelectionStep(focus);
}

void SettingsManagerDialog::SelectInView(const std::vector<int>& sessionRows, int currentRow) {
    // Runs of neighbouring rows become one range each, so selecting thousands of rows stays cheap.
    QItemSelection selection;
    QModelIndex first;
    QModelIndex last;
    for (const int row : sessionRows) {
        const QModelIndex index = m_model->IndexOf(row);
        if (!index.isValid())
            continue;
        if (last.isValid() && index.parent() == last.parent() && index.row() == last.row() + 1) {
            last = index;
            continue;
        }
        if (first.isValid())
            selection.select(first, last.siblingAtColumn(SiteTreeModel::kStatusColumn));
        first = last = index;
    }
    if (first.isValid())
        selection.select(first, last.siblingAtColumn(SiteTreeModel::kStatusColumn));
    QItemSelectionModel* model = m_ui->treeSites->selectionModel();
    const QSignalBlocker blocker(m_ui->treeSites);
    model->setCurrentIndex(m_model->IndexOf(currentRow), QItemSelectionModel::NoUpdate);
    model->select(selection, QItemSelectionModel::ClearAndSelect);
}

std::unique_ptr<QMenu> SettingsManagerDialog::ContextMenu() {
    SelectionStep(FirstSelectedRow());
    auto menu = std::make_unique<QMenu>(this);
    menu->setObjectName(QStringLiteral("menuSiteList"));
    QAction* enabled = menu->addAction(QStringLiteral("Enabled"), this, &SettingsManagerDialog::ToggleEnable);
    enabled->setObjectName(QStringLiteral("actionEnabled"));
    enabled->setCheckable(true);
    enabled->setChecked(m_session->EnableBoxState() != 0);
    enabled->setEnabled(m_session->HasBase());
    return menu;
}

void SettingsManagerDialog::ApplySettings(bool applyOnly) {
    const std::size_t pending = m_session->PendingSaves();
    std::unique_ptr<ApplyingWindow> window;
    if (pending >= ApplyingWindow::kMinimumRecords)
        window = std::make_unique<ApplyingWindow>(pending, this);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const SettingsSession::ApplyOutcome outcome =
        m_session->ApplySettings(applyOnly, [&](SiteSettings& record) {
            const long error = m_save(record);
            if (window)
                window->Advance();
            return error;
        });
    QApplication::restoreOverrideCursor();
    window.reset();
    m_ui->buttonApply->setEnabled(m_session->ApplyEnabled());
    if (outcome.result.Failed())
        ReportFailedSaves(outcome.result.failedSites);
    if (outcome.closeDialog)
        accept();
}

void SettingsManagerDialog::ReportFailedSaves(const std::vector<std::uint32_t>& failedSites) {
    QStringList names;
    for (const std::uint32_t siteId : failedSites) {
        if (static_cast<std::size_t>(names.size()) == kNamedFailures) {
            names << QStringLiteral("and %1 more").arg(failedSites.size() - kNamedFailures);
            break;
        }
        if (siteId == 0) {
            names << QStringLiteral("Default Settings");
            continue;
        }
        const auto& sites = m_store.Sites();
        const auto found = std::find_if(sites.begin(), sites.end(),
                                        [siteId](const auto& record) { return record->siteId == siteId; });
        const QString description =
            found == sites.end() ? QString() : QString::fromLocal8Bit((*found)->description);
        names << (description.isEmpty() ? QStringLiteral("Web site %1").arg(siteId)
                                        : QStringLiteral("%1 (%2)").arg(description).arg(siteId));
    }
    MessageBox::Warn(this, QStringLiteral("The settings of these web sites could not be saved:\n\n%1\n\n"
                                          "They are kept; press Apply to try again.")
                               .arg(names.join(QLatin1Char('\n'))));
}

void SettingsManagerDialog::OnExit() {
    switch (MessageBox::AskYesNoCancel(this,
                                       QStringLiteral("Do you want to save your settings before exiting?"))) {
    case QMessageBox::Yes:
        ApplySettings(false);
        break;
    case QMessageBox::No:
        reject();
        break;
    default:
        break;
    }
}

void SettingsManagerDialog::OnAbout() {
    MessageBox::Show(
        this, QMessageBox::Information,
        QStringLiteral("Quorvane Settings Manager\nVersion 1.2\n\n"
                       "Error pages, redirection rules and logs for every web site of the server."));
}

void SettingsManagerDialog::OpenInstalled(const char* fileName) {
    DesktopOpen::File(QString::fromLocal8Bit(m_store.InstallDirectory() + fileName), this);
}

SettingsPage* SettingsManagerDialog::CurrentPage() const {
    return qobject_cast<SettingsPage*>(m_ui->tabPages->currentWidget());
}

bool SettingsManagerDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        if (HandleEnter(watched, event))
            return true;
        if (event->type() == QEvent::KeyPress && HandleTab(watched, static_cast<QKeyEvent*>(event)))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool SettingsManagerDialog::HandleEnter(QObject* watched, QEvent* event) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    // An edit box takes no Space from Enter; Enter does nothing there.
    if (qobject_cast<QLineEdit*>(watched))
        return true;
    // The same key as Space, so Enter presses or toggles what has the focus and never closes the dialog.
    QKeyEvent space(event->type(), Qt::Key_Space, key->modifiers() & ~Qt::KeypadModifier, QStringLiteral(" "),
                    key->isAutoRepeat());
    QCoreApplication::sendEvent(watched, &space);
    return true;
}

bool SettingsManagerDialog::HandleTab(QObject* watched, QKeyEvent* event) {
    const bool forward = event->key() == Qt::Key_Tab && !(event->modifiers() & Qt::ShiftModifier);
    const bool backward = event->key() == Qt::Key_Backtab ||
                          (event->key() == Qt::Key_Tab && (event->modifiers() & Qt::ShiftModifier));
    if (!forward && !backward)
        return false;
    SettingsPage* page = CurrentPage();
    QWidget* first = page ? page->FirstControl() : nullptr;
    QWidget* last = page ? page->LastControl() : nullptr;
    QWidget* target = nullptr;
    if (forward && watched == m_ui->checkEnable && m_ui->checkEnable->checkState() == Qt::Unchecked)
        target = m_ui->buttonOk;
    else if (forward && (watched == m_ui->tabPages || watched == m_ui->tabPages->tabBar()))
        target = first;
    else if (forward && last && watched == last)
        target = m_ui->buttonOk;
    else if (backward && first && watched == first)
        target = m_ui->tabPages->tabBar();
    else if (backward && watched == m_ui->buttonOk)
        target = last;
    if (!target)
        return false;
    target->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

} // namespace qv
