#pragma once
// Runs the list's filters (find text and its column, event kinds, hours) over a file's rows off the window's
// thread, a piece at a time, and hands the matching rows over in file order. It follows a file that is still
// being read or that grows: Extend adds the rows read since.
#include "logviewer/parse/LogFile.h"
#include "logviewer/parse/LogRowQuery.h"

#include <QFutureWatcher>
#include <QObject>

#include <cstdint>
#include <memory>
#include <vector>

namespace qv {

class ViewerFilterTask : public QObject {
    Q_OBJECT
public:
    static constexpr std::size_t kPieceRows = 64 * 1024;

    // One piece of a run: the matching rows among the file's rows up to end. They are moved out on the
    // window's thread, so that the future keeps no second copy of them.
    struct Piece {
        std::size_t end = 0;
        std::shared_ptr<std::vector<std::uint32_t>> rows;
    };

    explicit ViewerFilterTask(QObject* parent = nullptr);
    // Stops the run in flight and waits for it.
    ~ViewerFilterTask() override;

    // Filters rows [0, availableRows) of the file by the query; a run in flight is stopped.
    void Start(std::shared_ptr<const LogFile> file, LogRowQuery query, std::size_t availableRows);
    // The file holds this many rows now.
    void Extend(std::size_t availableRows);
    void Cancel();
    bool Active() const { return m_file != nullptr; }
    // Every available row has been looked at.
    bool Idle() const { return !m_running && m_next >= m_available; }

Q_SIGNALS:
    void matched(const std::vector<std::uint32_t>& rows);
    void idle();

private:
    void Launch();
    void OnPieces(int begin, int end);
    void OnFinished();

    QFutureWatcher<Piece> m_watcher;
    std::shared_ptr<const LogFile> m_file;
    LogRowQuery m_query;
    std::size_t m_next = 0;
    std::size_t m_available = 0;
    bool m_running = false;
};

} // namespace qv
