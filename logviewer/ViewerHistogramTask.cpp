#include "ViewerHistogramTask.h"

#include "logviewer/parse/LogEventTypes.h"

#include <QPromise>
#include <QtConcurrent/QtConcurrentRun>

namespace qv {

ViewerHistogramTask::ViewerHistogramTask(QObject* parent) : QObject(parent) {
    connect(&m_watcher, &QFutureWatcher<std::shared_ptr<const Counts>>::finished, this, [this] {
        if (!m_running || m_watcher.isCanceled() || m_watcher.future().resultCount() == 0)
            return;
        m_running = false;
        Q_EMIT counted(m_watcher.result());
    });
}

ViewerHistogramTask::~ViewerHistogramTask() {
    m_watcher.cancel();
    m_watcher.waitForFinished();
}

void ViewerHistogramTask::Start(std::shared_ptr<const LogFile> file, std::size_t rows) {
    Cancel();
    if (!file)
        return;
    m_running = true;
    m_watcher.setFuture(QtConcurrent::run(
        [](QPromise<std::shared_ptr<const Counts>>& promise, const std::shared_ptr<const LogFile>& file,
           std::size_t rows) {
            const auto goOn = [&promise] { return !promise.isCanceled(); };
            auto counts = std::make_shared<Counts>();
            counts->rows = rows;
            if (!counts->hours.Count(*file, rows, goOn))
                return;
            counts->kinds = LogEventTypes::Present(*file, rows, goOn);
            if (!promise.isCanceled())
                promise.addResult(std::shared_ptr<const Counts>(std::move(counts)));
        },
        std::move(file), rows));
}

void ViewerHistogramTask::Cancel() {
    m_watcher.cancel();
    m_running = false;
}

} // namespace qv
