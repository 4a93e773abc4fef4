#pragma once
// Writes rows of a log file as CSV off the window's thread: the header row, then the given rows in order.
#include "logviewer/parse/LogFile.h"

#include <QFutureWatcher>
#include <QObject>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qv {

class ViewerExportTask : public QObject {
    Q_OBJECT
public:
    explicit ViewerExportTask(QObject* parent = nullptr);
    // A write in flight is stopped and its file removed.
    ~ViewerExportTask() override;

    void Start(const std::string& path, std::shared_ptr<const LogFile> file, std::vector<std::uint32_t> rows);
    bool Running() const { return m_running; }

Q_SIGNALS:
    void progressed(quint64 written, quint64 total);
    void finished(bool ok, quint64 rows);

private:
    QFutureWatcher<bool> m_watcher;
    quint64 m_total = 0;
    bool m_running = false;
};

} // namespace qv
