#pragma once
// Runs the find filter over a file's rows on a worker thread, a piece at a time, and hands the matching
// rows over in file order. It follows a file that is still being read: Extend adds the rows read since.
#include "LogFile.h"

#include <QObject>
#include <QThreadPool>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qv {

class LogFilterRunner : public QObject {
    Q_OBJECT
public:
    static constexpr std::size_t kPieceRows = 64 * 1024;

    explicit LogFilterRunner(QObject* parent = nullptr);
    ~LogFilterRunner() override;

    // Filters rows [0, availableRows) of the file by the text; a run in flight is stopped.
    void Start(std::shared_ptr<const LogFile> file, std::string text, std::size_t availableRows);
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

    QThreadPool m_pool;
    std::shared_ptr<const LogFile> m_file;
    std::string m_text;
    std::shared_ptr<std::atomic<bool>> m_stop;
    std::uint64_t m_generation = 0;
    std::size_t m_next = 0;
    std::size_t m_available = 0;
    bool m_running = false;
};

} // namespace qv
