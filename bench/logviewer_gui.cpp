// The Log Viewer on a 1 GB handler log (offscreen): the time from choosing the file to its first rows on
// screen, the time to the whole file, and the longest the window's thread went without handling events
// while the file was read.
#include "LogBenchData.h"
#include "QtBenchMain.h"
#include "logviewer/LogTableModel.h"
#include "logviewer/ViewerDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTableView>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace {

constexpr std::uint64_t kFileBytes = 1ull << 30;

// Paints of a widget, counted.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

void BM_FirstRowsOfOneGigabyte(benchmark::State& state) {
    const std::string dir = qv::bench::BenchLogDirectory() + "/viewer";
    if (!qv::bench::MakeBenchLog(dir, "qv250101.log", kFileBytes) ||
        !qv::bench::MakeBenchLog(dir, "qv241231.log", 1000)) {
        state.SkipWithError("the benchmark logs cannot be written");
        return;
    }

    qv::ViewerDialog dialog({{1, "Bench Site", dir}}, 1);
    dialog.show();
    auto* files = static_cast<QComboBox*>(dialog.Control(qv::kControlFileList));
    auto* list = static_cast<QTableView*>(dialog.Control(qv::kControlLogList));
    PaintCounter painted;
    list->viewport()->installEventFilter(&painted);
    // Waits at most a minute for what is in flight.
    const auto settle = [&] {
        QElapsedTimer waited;
        waited.start();
        while (dialog.Busy() && waited.elapsed() < 60000)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
    };
    if (files->count() != 2) {
        state.SkipWithError("the benchmark logs are not listed");
        return;
    }

    double firstRows = 0;
    double whole = 0;
    qint64 longestStall = 0;
    for (auto _ : state) {
        files->setCurrentIndex(0);
        settle();
        QApplication::processEvents();

        // A tick every 10 ms: the gaps between ticks are how long the window went unanswered.
        QElapsedTimer sinceTick;
        qint64 stall = 0;
        QTimer ticker;
        ticker.setInterval(10);
        QObject::connect(&ticker, &QTimer::timeout, [&] { stall = std::max(stall, sinceTick.restart()); });

        QElapsedTimer clock;
        clock.start();
        sinceTick.start();
        ticker.start();
        files->setCurrentIndex(1);
        const int paintsBefore = painted.paints;
        while ((dialog.Model()->rowCount() == 0 || painted.paints == paintsBefore) && clock.elapsed() < 60000)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        const double first = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        settle();
        const double all = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        ticker.stop();

        state.SetIterationTime(first);
        firstRows += first;
        whole += all;
        longestStall = std::max(longestStall, stall);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["first_rows_ms"] = firstRows / n * 1000;
    state.counters["whole_file_ms"] = whole / n * 1000;
    state.counters["longest_stall_ms"] = static_cast<double>(longestStall);
    state.counters["rows"] = static_cast<double>(dialog.Model()->TotalRows());
}
BENCHMARK(BM_FirstRowsOfOneGigabyte)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();

// The find box on the whole 1 GB file: typing a text and clearing it again. The longest the window went
// unanswered counts, as the rows are filtered off its thread.
void BM_FindOnOneGigabyte(benchmark::State& state) {
    const std::string dir = qv::bench::BenchLogDirectory() + "/viewer";
    if (!qv::bench::MakeBenchLog(dir, "qv250101.log", kFileBytes)) {
        state.SkipWithError("the benchmark log cannot be written");
        return;
    }
    qv::ViewerDialog dialog({{1, "Bench Site", dir}}, 1);
    dialog.show();
    auto* find = dialog.findChild<QLineEdit*>(QStringLiteral("editFind"));
    const auto settle = [&] {
        QElapsedTimer waited;
        waited.start();
        while (dialog.Busy() && waited.elapsed() < 60000)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
    };
    settle();

    qint64 longestStall = 0;
    double filtered = 0;
    std::size_t shown = 0;
    for (auto _ : state) {
        QElapsedTimer sinceTick;
        qint64 stall = 0;
        QTimer ticker;
        ticker.setInterval(10);
        QObject::connect(&ticker, &QTimer::timeout, [&] { stall = std::max(stall, sinceTick.restart()); });
        sinceTick.start();
        ticker.start();
        QElapsedTimer clock;
        clock.start();
        find->setText(QStringLiteral("ridgeline-42"));
        settle();
        const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        shown = dialog.Model()->ShownRows();
        find->clear();
        settle();
        QApplication::processEvents();
        ticker.stop();
        state.SetIterationTime(seconds);
        filtered += seconds;
        longestStall = std::max(longestStall, stall);
    }
    state.counters["filter_ms"] = filtered / static_cast<double>(state.iterations()) * 1000;
    state.counters["shown"] = static_cast<double>(shown);
    state.counters["longest_stall_ms"] = static_cast<double>(longestStall);
}
BENCHMARK(BM_FindOnOneGigabyte)->Unit(benchmark::kMillisecond)->Iterations(2)->UseManualTime();

} // namespace

int main(int argc, char** argv) {
    return qv::bench::RunQtBenchmarks(argc, argv);
}
