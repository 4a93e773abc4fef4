// The Settings Manager's dialog over 10,000 web sites (offscreen): from construction to the first paint of
// the site list, a click on "All Web Sites" (the comparison over every record), one edit while every site is
// affected (the records written and their status cells redrawn), Apply after such an edit (every record
// saved to the POSIX key store), and the peak resident memory with the dialog open.
#include "BenchSites.h"
#include "QtBenchMain.h"
#include "manager/SettingsManagerDialog.h"
#include "manager/SiteListView.h"
#include "manager/SiteTreeModel.h"
#include "manager/core/SettingsSession.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QTest>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

using qv::bench::kSites;
using qv::bench::PeakResidentMB;

// One machine for the whole run: 10,000 sites loaded once (store_bench measures loading).
struct BenchServer {
    BenchServer() : store(std::make_unique<qv::SettingsStore>(machine.Install())) {
        qv::bench::LoadSites(*store, qv::bench::MakeServer(machine));
    }
    ~BenchServer() { store.reset(); }

    qv::bench::BenchMachine machine;
    std::unique_ptr<qv::SettingsStore> store;
};

BenchServer& Server() {
    static BenchServer server;
    return server;
}

class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

// The dialog shown and painted once.
struct OpenDialog {
    OpenDialog() : dialog(*Server().store) {
        dialog.show();
        if (!QTest::qWaitForWindowExposed(&dialog))
            std::abort();
        QApplication::processEvents();
    }
    qv::SiteListView* List() { return static_cast<qv::SiteListView*>(dialog.Control(qv::kControlSiteList)); }
    void Click(int row) {
        const QRect rect = List()->visualRect(dialog.Model()->IndexOf(row));
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, rect.center());
    }
    void ToggleEnable() {
        auto* box = static_cast<QCheckBox*>(dialog.Control(qv::kControlEnable));
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    }

    qv::SettingsManagerDialog dialog;
};

void BM_OpenToFirstPaint(benchmark::State& state) {
    Server();
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        qv::SettingsManagerDialog dialog(*Server().store);
        PaintCounter painted;
        auto* list = static_cast<qv::SiteListView*>(dialog.Control(qv::kControlSiteList));
        list->viewport()->installEventFilter(&painted);
        dialog.show();
        while (painted.paints == 0 && clock.elapsed() < 60000)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
        dialog.reject();
    }
    state.counters["peak_rss_MB"] = PeakResidentMB();
}
BENCHMARK(BM_OpenToFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();

void BM_ClickAllWebSites(benchmark::State& state) {
    OpenDialog open;
    for (auto _ : state) {
        state.PauseTiming();
        open.Click(qv::SiteRows::kFirstSiteRow);
        QApplication::processEvents();
        state.ResumeTiming();
        open.Click(qv::SiteRows::kAllSitesRow);
        QApplication::processEvents();
    }
    if (open.dialog.Session().AffectedRows().size() != kSites)
        state.SkipWithError("not every site is affected");
}
BENCHMARK(BM_ClickAllWebSites)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_EditWithAllSitesAffected(benchmark::State& state) {
    OpenDialog open;
    open.Click(qv::SiteRows::kAllSitesRow);
    QApplication::processEvents();
    for (auto _ : state) {
        // The enable box: every record written and its status cell redrawn.
        open.ToggleEnable();
        QApplication::processEvents();
    }
    state.counters["peak_rss_MB"] = PeakResidentMB();
}
BENCHMARK(BM_EditWithAllSitesAffected)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_ApplyAfterEditOfAllSites(benchmark::State& state) {
    OpenDialog open;
    open.Click(qv::SiteRows::kAllSitesRow);
    QApplication::processEvents();
    for (auto _ : state) {
        state.PauseTiming();
        open.ToggleEnable();
        QApplication::processEvents();
        state.ResumeTiming();
        open.dialog.ApplySettings(true);
    }
    if (open.dialog.Session().PendingSaves() != 0)
        state.SkipWithError("records were left unsaved");
    state.counters["peak_rss_MB"] = PeakResidentMB();
}
BENCHMARK(BM_ApplyAfterEditOfAllSites)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    return qv::bench::RunQtBenchmarks(argc, argv);
}
