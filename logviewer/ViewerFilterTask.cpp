#include "ViewerFilterTask.h"

#include "logviewer/parse/LogRowFilter.h"

#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

namespace qv {

ViewerFilterTask::ViewerFilterTask(QObject* parent) : QObject(parent) {
    connect(&m_watcher, &QFutureWatcher<std::vector<std::uint32_t>>::finished, this,
            &ViewerFilterTask::OnPieceDone);
}

ViewerFilterTask::~ViewerFilterTask() {
    m_watcher.cancel();
    m_watcher.waitForFinished();
}

void ViewerFilterTask::Start(std::shared_ptr<const LogFile> file, std::string text,
                             std::size_t availableRows) {
    Cancel();
    m_file = std::move(file);
    m_text = std::move(text);
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

// One piece per run: the window takes its rows before the next begins, so that a stopped filter hands
// over nothing more and the future keeps no more than one piece's rows besides the list's own.
void ViewerFilterTask::Launch() {
    if (m_next >= m_available) {
        m_running = false;
        Q_EMIT idle();
        return;
    }
    m_running = true;
    m_pieceEnd = std::min(m_available, m_next + kPieceRows);
    m_watcher.setFuture(
        QtConcurrent::run([file = m_file, filter = LogRowFilter(m_text), begin = m_next, end = m_pieceEnd] {
            std::vector<std::uint32_t> rows;
            filter.Collect(*file, begin, end, rows);
            return rows;
        }));
}

void ViewerFilterTask::OnPieceDone() {
    if (m_watcher.isCanceled() || !m_running)
        return;
    // A copy: taking the result would leave the future neither finished nor running to wait for.
    const std::vector<std::uint32_t> rows = m_watcher.result();
    m_next = m_pieceEnd;
    if (!rows.empty())
        Q_EMIT matched(rows);
    Launch();
}

} // namespace qv
