#include "ViewerFollowTask.h"

#include <QtConcurrent/QtConcurrentRun>

#include <utility>

namespace qv {

ViewerFollowTask::ViewerFollowTask(QObject* parent) : QObject(parent) {
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    m_poll.setInterval(kPollMs);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, [this] {
        if (!m_settle.isActive())
            m_settle.start();
    });
    connect(&m_settle, &QTimer::timeout, this, &ViewerFollowTask::LookNow);
    connect(&m_poll, &QTimer::timeout, this, &ViewerFollowTask::LookNow);
    connect(&m_step, &QFutureWatcher<LogFollowStep>::finished, this, &ViewerFollowTask::OnStep);
}

ViewerFollowTask::~ViewerFollowTask() {
    m_step.waitForFinished();
}

void ViewerFollowTask::Start(std::shared_ptr<LogFileReader> reader) {
    Stop();
    m_reader = std::move(reader);
    if (!m_reader)
        return;
    Watch();
    m_poll.start();
}

void ViewerFollowTask::Stop() {
    ++m_generation;
    m_reader.reset();
    m_again = false;
    m_settle.stop();
    m_poll.stop();
    if (!m_watcher.files().isEmpty())
        m_watcher.removePaths(m_watcher.files());
}

// A file that was replaced under its name drops out of the watcher: it is watched again at every look.
void ViewerFollowTask::Watch() {
    const QString path = QString::fromLocal8Bit(m_reader->Path());
    if (!m_watcher.files().contains(path))
        m_watcher.addPath(path);
}

void ViewerFollowTask::LookNow() {
    m_settle.stop();
    if (!m_reader)
        return;
    if (m_running) {
        m_again = true;
        return;
    }
    Watch();
    m_running = true;
    m_stepGeneration = m_generation;
    m_step.setFuture(QtConcurrent::run(
        [](const std::shared_ptr<LogFileReader>& reader) { return reader->ReadAppended(kPiece); }, m_reader));
}

void ViewerFollowTask::OnStep() {
    m_running = false;
    if (m_stepGeneration != m_generation || !m_reader) {
        // A look for the reader followed now was called for meanwhile.
        if (m_reader && std::exchange(m_again, false))
            LookNow();
        return;
    }
    const LogFollowStep step = m_step.result();
    if (step.change == LogFileChange::Replaced) {
        Stop();
        Q_EMIT replaced();
        return;
    }
    if (step.change == LogFileChange::Appended)
        Q_EMIT appended(step.rowsBefore, step.rowsAfter);
    // More is waiting, or a write came while the look was in flight.
    if (step.more || std::exchange(m_again, false))
        LookNow();
}

} // namespace qv
