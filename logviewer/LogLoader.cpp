#include "LogLoader.h"

#include "LogFileReader.h"

#include <QMetaObject>

namespace qv {

LogLoader::LogLoader(QObject* parent) : QObject(parent) {
    // One read at a time: a stopped read gives up its buffer before the next one takes its own.
    m_pool.setMaxThreadCount(1);
}

LogLoader::~LogLoader() {
    Cancel();
    m_pool.waitForDone();
}

template <typename Function> void LogLoader::Post(std::uint64_t generation, Function function) {
    QMetaObject::invokeMethod(
        this,
        [this, generation, function] {
            if (generation == m_generation)
                function();
        },
        Qt::QueuedConnection);
}

void LogLoader::Start(const std::string& logDirectory, const LogFileEntry& entry) {
    Cancel();
    m_stop = std::make_shared<std::atomic<bool>>(false);
    m_running = true;
    const std::uint64_t generation = m_generation;
    m_pool.start([this, generation, stop = m_stop, logDirectory, entry] {
        LogFileReader reader;
        if (!reader.Open(logDirectory, entry)) {
            Post(generation, [this] {
                m_running = false;
                Q_EMIT finished(false);
            });
            return;
        }
        reader.ReadAhead(kPiece);
        std::shared_ptr<const LogFile> file = reader.File();
        Post(generation, [this, file] { Q_EMIT opened(file); });
        std::uint64_t piece = kFirstPiece;
        while (!stop->load()) {
            const bool more = reader.ReadNext(piece);
            piece = kPiece;
            const quint64 read = reader.BytesRead();
            const quint64 length = reader.Length();
            const quint64 rows = file->RowCount();
            Post(generation, [this, read, length, rows] { Q_EMIT progressed(read, length, rows); });
            if (!more) {
                Post(generation, [this] {
                    m_running = false;
                    Q_EMIT finished(true);
                });
                return;
            }
        }
    });
}

void LogLoader::Cancel() {
    if (m_stop)
        m_stop->store(true);
    ++m_generation;
    m_running = false;
}

} // namespace qv
