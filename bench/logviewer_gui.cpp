// The Log Viewer on a 1 GB handler log (offscreen): the time from choosing the file to its first rows on
// screen, the time to the whole file, and the longest the window's thread went without handling events
// while the file was read; the filters on it; and a file that the handler writes 100,000 rows a second to
// while it is shown.
#include "LogBenchData.h"
#include "QtBenchMain.h"
#include "logviewer/LogTableModel.h"
#include "logviewer/ViewerDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTableView>
#include <QTimeEdit>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <time.h>

namespace {

constexpr std::uint64_t kFileBytes = 1ull << 30;

// Waits at most a minute for what the window has in flight.
void Settle(const qv::ViewerDialog& dialog) {
    QElapsedTimer waited;
    waited.start();
    while (dialog.Busy() && waited.elapsed() < 60000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
}

// A tick every 10 ms on the window's thread: the longest gap between ticks is the longest the window went
// unanswered. On a machine whose cores are shared that gap holds the time the thread waited for a core, so
// the thread's own CPU time between ticks is kept too: how long the window itself was busy.
class StallMeter {
public:
    StallMeter() {
        m_ticker.setInterval(10);
        QObject::connect(&m_ticker, &QTimer::timeout, [this] {
            m_wall = std::max(m_wall, m_sinceTick.restart());
            const double cpu = ThreadCpuMs();
            m_busy = std::max(m_busy, cpu - m_cpuAtTick);
            m_cpuAtTick = cpu;
        });
    }
    void Start() {
        m_sinceTick.start();
        m_cpuAtTick = ThreadCpuMs();
        m_ticker.start();
    }
    void Stop() { m_ticker.stop(); }
    qint64 Wall() const { return m_wall; }
    double Busy() const { return m_busy; }

private:
    static double ThreadCpuMs() {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return static_cast<double>(now.tv_sec) * 1000 + static_cast<double>(now.tv_nsec) / 1e6;
    }

    QTimer m_ticker;
    QElapsedTimer m_sinceTick;
    qint64 m_wall = 0;
    double m_cpuAtTick = 0;
    double m_busy = 0;
};

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
    if (files->count() != 2) {
        state.SkipWithError("the benchmark logs are not listed");
        return;
    }

    double firstRows = 0;
    double whole = 0;
    qint64 longestStall = 0;
    double longestBusy = 0;
    for (auto _ : state) {
        files->setCurrentIndex(0);
        Settle(dialog);
        QApplication::processEvents();

        // A tick every 10 ms: the gaps between ticks are how long the window went unanswered.
        StallMeter stall;

        QElapsedTimer clock;
        clock.start();
        stall.Start();
        files->setCurrentIndex(1);
        const int paintsBefore = painted.paints;
        while ((dialog.Model()->rowCount() == 0 || painted.paints == paintsBefore) && clock.elapsed() < 60000)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        const double first = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        Settle(dialog);
        const double all = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        stall.Stop();

        state.SetIterationTime(first);
        firstRows += first;
        whole += all;
        longestStall = std::max(longestStall, stall.Wall());
        longestBusy = std::max(longestBusy, stall.Busy());
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["first_rows_ms"] = firstRows / n * 1000;
    state.counters["whole_file_ms"] = whole / n * 1000;
    state.counters["longest_stall_ms"] = static_cast<double>(longestStall);
    state.counters["longest_busy_ms"] = longestBusy;
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
    Settle(dialog);

    qint64 longestStall = 0;
    double longestBusy = 0;
    double filtered = 0;
    std::size_t shown = 0;
    for (auto _ : state) {
        StallMeter stall;
        stall.Start();
        QElapsedTimer clock;
        clock.start();
        find->setText(QStringLiteral("ridgeline-42"));
        Settle(dialog);
        const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        shown = dialog.Model()->ShownRows();
        find->clear();
        Settle(dialog);
        QApplication::processEvents();
        stall.Stop();
        state.SetIterationTime(seconds);
        filtered += seconds;
        longestStall = std::max(longestStall, stall.Wall());
        longestBusy = std::max(longestBusy, stall.Busy());
    }
    state.counters["filter_ms"] = filtered / static_cast<double>(state.iterations()) * 1000;
    state.counters["shown"] = static_cast<double>(shown);
    state.counters["longest_stall_ms"] = static_cast<double>(longestStall);
    state.counters["longest_busy_ms"] = longestBusy;
}
BENCHMARK(BM_FindOnOneGigabyte)->Unit(benchmark::kMillisecond)->Iterations(2)->UseManualTime();

// Event type, an hour and a find text at once on the whole 1 GB file.
void BM_FiltersOnOneGigabyte(benchmark::State& state) {
    const std::string dir = qv::bench::BenchLogDirectory() + "/viewer";
    if (!qv::bench::MakeBenchLog(dir, "qv250101.log", kFileBytes)) {
        state.SkipWithError("the benchmark log cannot be written");
        return;
    }
    qv::ViewerDialog dialog({{1, "Bench Site", dir}}, 1);
    dialog.show();
    auto* find = dialog.findChild<QLineEdit*>(QStringLiteral("editFind"));
    auto* type = dialog.findChild<QComboBox*>(QStringLiteral("comboType"));
    auto* from = dialog.findChild<QTimeEdit*>(QStringLiteral("timeFrom"));
    auto* to = dialog.findChild<QTimeEdit*>(QStringLiteral("timeTo"));
    Settle(dialog);
    const int statics = type->findText(QStringLiteral("Quorvane File / Static"));
    if (statics < 0) {
        state.SkipWithError("the types of the file are not listed");
        return;
    }

    qint64 longestStall = 0;
    double longestBusy = 0;
    double filtered = 0;
    std::size_t shown = 0;
    for (auto _ : state) {
        StallMeter stall;
        stall.Start();
        QElapsedTimer clock;
        clock.start();
        {
            const QSignalBlocker blockType(type);
            const QSignalBlocker blockFrom(from);
            const QSignalBlocker blockTo(to);
            type->setCurrentIndex(statics);
            from->setTime(QTime(14, 0));
            to->setTime(QTime(14, 59));
        }
        find->setText(QStringLiteral("ridgeline"));
        Settle(dialog);
        const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        shown = dialog.Model()->ShownRows();
        {
            const QSignalBlocker blockType(type);
            const QSignalBlocker blockFrom(from);
            const QSignalBlocker blockTo(to);
            type->setCurrentIndex(0);
            from->setTime(QTime(0, 0));
            to->setTime(QTime(23, 59));
        }
        find->clear();
        Settle(dialog);
        QApplication::processEvents();
        stall.Stop();
        state.SetIterationTime(seconds);
        filtered += seconds;
        longestStall = std::max(longestStall, stall.Wall());
        longestBusy = std::max(longestBusy, stall.Busy());
    }
    state.counters["filter_ms"] = filtered / static_cast<double>(state.iterations()) * 1000;
    state.counters["shown"] = static_cast<double>(shown);
    state.counters["rows"] = static_cast<double>(dialog.Model()->TotalRows());
    state.counters["longest_stall_ms"] = static_cast<double>(longestStall);
    state.counters["longest_busy_ms"] = longestBusy;
}
BENCHMARK(BM_FiltersOnOneGigabyte)->Unit(benchmark::kMillisecond)->Iterations(2)->UseManualTime();

// The handler writes 100,000 rows a second, in a write every 10 ms, to the newest file while the window
// shows its end (and with a find text, range(0) = 1, so that the new rows are filtered as they come). The
// longest the window's thread went unanswered, and how long after the last write its rows were all listed.
void BM_FollowHundredThousandRowsASecond(benchmark::State& state) {
    constexpr int kRowsPerWrite = 1000;
    constexpr auto kWriteEvery = std::chrono::milliseconds(10);
    constexpr int kSeconds = 5;
    const bool withFind = state.range(0) != 0;
    const std::string dir = qv::bench::BenchLogDirectory() + "/viewer-follow";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::filesystem::path path = std::filesystem::path(dir) / "qv991231.log";
    std::ofstream(path, std::ios::binary) << "#Fields: time c-ip s-ip path query code number\n";

    qv::ViewerDialog dialog({{1, "Bench Site", dir}}, 1);
    dialog.show();
    auto* find = dialog.findChild<QLineEdit*>(QStringLiteral("editFind"));
    auto* list = static_cast<QTableView*>(dialog.Control(qv::kControlLogList));
    if (withFind)
        find->setText(QStringLiteral("ridgeline"));
    Settle(dialog);

    qint64 longestStall = 0;
    double longestBusy = 0;
    double catchUp = 0;
    std::uint64_t written = 0;
    for (auto _ : state) {
        list->scrollToBottom();
        std::atomic<bool> done{false};
        std::atomic<std::uint64_t> rows{written};
        std::thread writer([&] {
            std::ofstream out(path, std::ios::binary | std::ios::app);
            char line[160];
            auto next = std::chrono::steady_clock::now();
            for (int write = 0; write < kSeconds * 1000 / 10; ++write) {
                std::string block;
                for (int i = 0; i < kRowsPerWrite; ++i) {
                    const std::uint64_t n = rows.load() + static_cast<std::uint64_t>(i);
                    const int length =
                        std::snprintf(line, sizeof(line),
                                      "14:%02d:%02d 192.0.2.%d 198.51.100.5 /products/%s-%llu.htm - %d\n",
                                      static_cast<int>(n / 60 % 60), static_cast<int>(n % 60),
                                      static_cast<int>(n % 250), n % 7 == 0 ? "ridgeline" : "tent",
                                      static_cast<unsigned long long>(n), 2 + static_cast<int>(n % 3));
                    block.append(line, static_cast<std::size_t>(length));
                }
                out.write(block.data(), static_cast<std::streamsize>(block.size()));
                out.flush();
                rows += kRowsPerWrite;
                next += kWriteEvery;
                std::this_thread::sleep_until(next);
            }
            done = true;
        });

        StallMeter stall;
        stall.Start();
        while (!done)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        QElapsedTimer clock;
        clock.start();
        written = rows.load();
        while (dialog.Model()->TotalRows() < written && clock.elapsed() < 60000)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        const double lag = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        writer.join();
        Settle(dialog);
        stall.Stop();
        state.SetIterationTime(lag);
        catchUp += lag;
        longestStall = std::max(longestStall, stall.Wall());
        longestBusy = std::max(longestBusy, stall.Busy());
    }
    state.counters["rows"] = static_cast<double>(dialog.Model()->TotalRows());
    state.counters["shown"] = static_cast<double>(dialog.Model()->ShownRows());
    state.counters["catch_up_ms"] = catchUp / static_cast<double>(state.iterations()) * 1000;
    state.counters["longest_stall_ms"] = static_cast<double>(longestStall);
    state.counters["longest_busy_ms"] = longestBusy;
}
BENCHMARK(BM_FollowHundredThousandRowsASecond)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseManualTime();

} // namespace

int main(int argc, char** argv) {
    return qv::bench::RunQtBenchmarks(argc, argv);
}
