#include "ViewerLoadTask.h"

#include "logviewer/parse/LogFileReader.h"

#include <QPromise>
#include <QtConcurrent/QtConcurrentRun>

namespace qv {

namespace {

void Read(QPromise<ViewerLoadTask::Step>& promise, const std::string& logDirectory,
          const LogFileEntry& entry) {
    auto reader = std::make_shared<LogFileReader>();
    if (!reader->Open(logDirectory, entry))
        return;
    reader->ReadAhead(ViewerLoadTask::kPiece);
    const std::shared_ptr<const LogFile> file = reader->File();
    promise.addResult(ViewerLoadTask::Step{file, reader, 0, reader->Length(), 0});
    std::uint64_t piece = ViewerLoadTask::kFirstPiece;
    while (!promise.isCanceled()) {
        const bool more = reader->ReadNext(piece);
        piece = ViewerLoadTask::kPiece;
        promise.addResult(
            ViewerLoadTask::Step{file, nullptr, reader->BytesRead(), reader->Length(), file->RowCount()});
        if (!more)
            return;
    }
}

} // namespace

ViewerLoadTask::ViewerLoadTask(QObject* parent) : QObject(parent) {
    connect(&m_watcher, &QFutureWatcher<Step>::resultsReadyAt, this, &ViewerLoadTask::OnSteps);
    connect(&m_watcher, &QFutureWatcher<Step>::finished, this, &ViewerLoadTask::OnFinished);
}

ViewerLoadTask::~ViewerLoadTask() {
    m_watcher.cancel();
    m_watcher.waitForFinished();
}

void ViewerLoadTask::Start(const std::string& logDirectory, const LogFileEntry& entry) {
    Cancel();
    m_next = Request{logDirectory, entry};
    m_running = true;
    if (!m_watcher.isRunning())
        Launch();
}

void ViewerLoadTask::Cancel() {
    m_watcher.cancel();
    m_next.reset();
    m_reader.reset();
    m_running = false;
}

void ViewerLoadTask::Launch() {
    const Request request = std::move(*m_next);
    m_next.reset();
    m_opened = false;
    m_watcher.setFuture(QtConcurrent::run(Read, request.logDirectory, request.entry));
}

void ViewerLoadTask::OnSteps(int begin, int end) {
    if (m_watcher.isCanceled() || !m_running)
        return;
    for (int i = begin; i < end; ++i) {
        const Step step = m_watcher.resultAt(i);
        // The first step only tells that the file is open.
        if (!m_opened) {
            m_opened = true;
            m_reader = step.reader;
            Q_EMIT opened(step.file);
        } else {
            Q_EMIT progressed(step.bytesRead, step.length, step.rows);
        }
    }
}

void ViewerLoadTask::OnFinished() {
    if (m_next) {
        Launch();
        return;
    }
    if (m_watcher.isCanceled() || !m_running)
        return;
    m_running = false;
    Q_EMIT finished();
}

} // namespace qv
