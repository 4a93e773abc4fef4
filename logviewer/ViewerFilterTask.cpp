#include "ViewerFilterTask.h"

#include "logviewer/parse/LogRowFilter.h"

#include <QPromise>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

namespace qv {

ViewerFilterTask::ViewerFilterTask(QObject* parent) : QObject(parent) {
    connect(&m_watcher, &QFutureWatcher<Piece>::resultsReadyAt, this, &ViewerFilterTask::OnPieces);
    connect(&m_watcher, &QFutureWatcher<Piece>::finished, this, &ViewerFilterTask::OnFinished);
}

ViewerFilterTask::~ViewerFilterTask() {
    m_watcher.cancel();
    m_watcher.waitForFinished();
}

void ViewerFilterTask::Start(std::shared_ptr<const LogFile> file, LogRowQuery query,
                             std::size_t availableRows) {
    Cancel();
    m_file = std::move(file);
    m_query = std::move(query);
    m_next = 0;
    m_available = availableRows;
    Launch();
}

void ViewerFilterTask::Extend(std::size_t availableRows) {
    if (!m_file || availableRows <= m_available)
        return;
    m_available = availableRows;
    if (!m_running)
        Launch();
}

void ViewerFilterTask::Cancel() {
    m_watcher.cancel();
    m_running = false;
    m_file.reset();
    m_next = m_available = 0;
}

void ViewerFilterTask::Launch() {
    if (m_next >= m_available) {
        m_running = false;
        Q_EMIT idle();
        return;
    }
    m_running = true;
    m_watcher.setFuture(QtConcurrent::run(
        [](QPromise<Piece>& promise, const std::shared_ptr<const LogFile>& file, const LogRowFilter& filter,
           std::size_t begin, std::size_t end) {
            for (std::size_t from = begin; from < end && !promise.isCanceled(); from += kPieceRows) {
                const std::size_t to = std::min(end, from + kPieceRows);
                auto rows = std::make_shared<std::vector<std::uint32_t>>();
                filter.Collect(*file, from, to, *rows);
                promise.addResult(Piece{to, std::move(rows)});
            }
        },
        m_file, LogRowFilter(m_query), m_next, m_available));
}

void ViewerFilterTask::OnPieces(int begin, int end) {
    if (m_watcher.isCanceled() || !m_running)
        return;
    for (int i = begin; i < end; ++i) {
        const Piece piece = m_watcher.resultAt(i);
        m_next = piece.end;
        if (!piece.rows->empty()) {
            std::vector<std::uint32_t> rows;
            rows.swap(*piece.rows);
            Q_EMIT matched(rows);
        }
    }
}

// The rows read while the run went on are filtered next.
void ViewerFilterTask::OnFinished() {
    if (m_watcher.isCanceled() || !m_running)
        return;
    Launch();
}

} // namespace qv
