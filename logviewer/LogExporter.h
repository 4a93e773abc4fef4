#pragma once
// Writes rows of a log file as CSV on a worker thread: the header row, then the given rows in order.
#include "LogFile.h"

#include <QObject>
#include <QThreadPool>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qv {

class LogExporter : public QObject {
    Q_OBJECT
public:
    explicit LogExporter(QObject* parent = nullptr);
    // A write in flight is stopped and its file removed.
    ~LogExporter() override;

    void Start(const std::string& path, std::shared_ptr<const LogFile> file, std::vector<std::uint32_t> rows);
    bool Running() const { return m_running; }

Q_SIGNALS:
    void progressed(quint64 written, quint64 total);
    void finished(bool ok, quint64 rows);

private:
    QThreadPool m_pool;
    std::shared_ptr<std::atomic<bool>> m_stop;
    bool m_running = false;
};

} // namespace qv
