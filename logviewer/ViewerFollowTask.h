#pragma once
// Follows the shown file while the handler writes it: the bytes written since the last look are read and
// indexed off the window's thread, into the same LogFile, whose rows only grow. A watcher on the file calls
// for a look; since watchers miss appends on some file systems (network shares among them), a slow timer
// looks too. A file that shrank or was replaced is reported, to be read again whole.
#include "logviewer/parse/LogFileReader.h"

#include <QFileSystemWatcher>
#include <QFutureWatcher>
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <memory>

namespace qv {

class ViewerFollowTask : public QObject {
    Q_OBJECT
public:
    // Writes that come close together are read in one look.
    static constexpr int kSettleMs = 100;
    static constexpr int kPollMs = 1000;
    // What one look reads at most; more waiting is read by the next look at once.
    static constexpr std::uint64_t kPiece = 32 * 1024 * 1024;

    explicit ViewerFollowTask(QObject* parent = nullptr);
    // Waits for a look in flight.
    ~ViewerFollowTask() override;

    // Follows the file the reader has read to its end.
    void Start(std::shared_ptr<LogFileReader> reader);
    void Stop();
    bool Active() const { return m_reader != nullptr; }
    // A look is in flight or called for.
    bool Busy() const { return m_running || m_settle.isActive(); }
    // Looks at once (or right after the look in flight).
    void LookNow();

Q_SIGNALS:
    // Rows [before, after) are new; the row before them may have changed too (a line that had no line end).
    void appended(quint64 rowsBefore, quint64 rowsAfter);
    // The file shrank, was replaced or can no longer be read: it is to be read again whole.
    void replaced();

private:
    void Watch();
    void OnStep();

    std::shared_ptr<LogFileReader> m_reader;
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    QTimer m_poll;
    QFutureWatcher<LogFollowStep> m_step;
    bool m_running = false;
    bool m_again = false;
    // A look started for another reader than the one followed now is dropped.
    std::uint64_t m_generation = 0;
    std::uint64_t m_stepGeneration = 0;
};

} // namespace qv
