#pragma once
// Reads a log file on a worker thread in pieces: the first piece is small so that the first rows show at
// once, the rest come in larger pieces with progress. Starting another file, or Cancel, stops the read in
// flight at its next piece; what a stopped read still reports is dropped.
#include "LogFile.h"
#include "LogFileEntry.h"

#include <QObject>
#include <QThreadPool>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace qv {

class LogLoader : public QObject {
    Q_OBJECT
public:
    static constexpr std::uint64_t kFirstPiece = 256 * 1024;
    static constexpr std::uint64_t kPiece = 8 * 1024 * 1024;

    explicit LogLoader(QObject* parent = nullptr);
    ~LogLoader() override;

    void Start(const std::string& logDirectory, const LogFileEntry& entry);
    void Cancel();
    bool Running() const { return m_running; }

Q_SIGNALS:
    // The file is open: its rows may be shown as they come.
    void opened(std::shared_ptr<const LogFile> file);
    void progressed(quint64 bytesRead, quint64 length, quint64 rows);
    // complete: the whole file was read; false when it could not be opened.
    void finished(bool complete);

private:
    template <typename Function> void Post(std::uint64_t generation, Function function);

    QThreadPool m_pool;
    std::shared_ptr<std::atomic<bool>> m_stop;
    std::uint64_t m_generation = 0;
    bool m_running = false;
};

} // namespace qv
