#pragma once
// Reads a log file off the window's thread in pieces: the first piece is small so that the first rows show
// at once, the rest come in larger pieces with progress. Starting another file, or Cancel, stops the read
// in flight at its next piece; what a stopped read still reports is dropped. A file read to its end keeps
// its reader, which can follow the file as it grows.
#include "logviewer/parse/LogFile.h"
#include "logviewer/parse/LogFileEntry.h"
#include "logviewer/parse/LogFileReader.h"

#include <QFutureWatcher>
#include <QObject>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace qv {

class ViewerLoadTask : public QObject {
    Q_OBJECT
public:
    static constexpr std::uint64_t kFirstPiece = 256 * 1024;
    static constexpr std::uint64_t kPiece = 8 * 1024 * 1024;

    // How far a read has come; the file rides along so that the first step can hand it over.
    struct Step {
        std::shared_ptr<const LogFile> file;
        std::shared_ptr<LogFileReader> reader;
        quint64 bytesRead = 0;
        quint64 length = 0;
        quint64 rows = 0;
    };

    explicit ViewerLoadTask(QObject* parent = nullptr);
    // Stops the read in flight and waits for it.
    ~ViewerLoadTask() override;

    void Start(const std::string& logDirectory, const LogFileEntry& entry);
    void Cancel();
    bool Running() const { return m_running; }
    // The reader of the file read last, once it is read to its end; null before and after a Cancel.
    std::shared_ptr<LogFileReader> Reader() const { return m_running ? nullptr : m_reader; }

Q_SIGNALS:
    // The file is open: its rows may be shown as they come.
    void opened(std::shared_ptr<const LogFile> file);
    void progressed(quint64 bytesRead, quint64 length, quint64 rows);
    // The whole file was read, or it could not be opened.
    void finished();

private:
    struct Request {
        std::string logDirectory;
        LogFileEntry entry;
    };

    void Launch();
    void OnSteps(int begin, int end);
    void OnFinished();

    QFutureWatcher<Step> m_watcher;
    // Waits while a stopped read lets go of its buffer: one file in memory at a time.
    std::optional<Request> m_next;
    std::shared_ptr<LogFileReader> m_reader;
    bool m_opened = false;
    bool m_running = false;
};

} // namespace qv
