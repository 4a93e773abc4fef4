#pragma once
// Counts a file's rows per hour and event kind, and finds the kinds that occur, off the window's thread.
// A new count stops the one in flight; a stopped count reports nothing.
#include "logviewer/parse/LogEventKind.h"
#include "logviewer/parse/LogFile.h"
#include "logviewer/parse/LogHourHistogram.h"

#include <QFutureWatcher>
#include <QObject>

#include <memory>
#include <vector>

namespace qv {

class ViewerHistogramTask : public QObject {
    Q_OBJECT
public:
    struct Counts {
        LogHourHistogram hours;
        std::vector<LogEventKind> kinds; // those that occur, in the order of LogEventKind
        std::size_t rows = 0;
    };

    explicit ViewerHistogramTask(QObject* parent = nullptr);
    // Stops the count in flight and waits for it.
    ~ViewerHistogramTask() override;

    // Rows [0, rows) of the file.
    void Start(std::shared_ptr<const LogFile> file, std::size_t rows);
    void Cancel();
    bool Running() const { return m_running; }

Q_SIGNALS:
    void counted(std::shared_ptr<const ViewerHistogramTask::Counts> counts);

private:
    QFutureWatcher<std::shared_ptr<const Counts>> m_watcher;
    bool m_running = false;
};

} // namespace qv
