#include "ViewerExportTask.h"

#include "logviewer/parse/LogCsvWriter.h"

#include <QPromise>
#include <QtConcurrent/QtConcurrentRun>

namespace qv {

ViewerExportTask::ViewerExportTask(QObject* parent) : QObject(parent) {
    connect(&m_watcher, &QFutureWatcher<bool>::progressValueChanged, this,
            [this](int written) { Q_EMIT progressed(static_cast<quint64>(written), m_total); });
    connect(&m_watcher, &QFutureWatcher<bool>::finished, this, [this] {
        if (!m_running)
            return;
        m_running = false;
        const bool ok = m_watcher.future().resultCount() > 0 && m_watcher.result();
        Q_EMIT finished(ok, ok ? m_total : 0);
    });
}

ViewerExportTask::~ViewerExportTask() {
    m_watcher.cancel();
    m_watcher.waitForFinished();
}

void ViewerExportTask::Start(const std::string& path, std::shared_ptr<const LogFile> file,
                             std::vector<std::uint32_t> rows) {
    if (m_running)
        return;
    m_running = true;
    m_total = rows.size();
    // The list shows at most INT_MAX rows, so that the count of rows written fits the future's progress.
    m_watcher.setFuture(QtConcurrent::run(
        [](QPromise<bool>& promise, const std::string& path, const std::shared_ptr<const LogFile>& file,
           const std::vector<std::uint32_t>& rows) {
            promise.setProgressRange(0, static_cast<int>(rows.size()));
            promise.addResult(LogCsvWriter::WriteFile(path, *file, rows, [&promise](std::size_t written) {
                promise.setProgressValue(static_cast<int>(written));
                return !promise.isCanceled();
            }));
        },
        path, std::move(file), std::move(rows)));
}

} // namespace qv
