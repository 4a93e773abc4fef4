#include "LogExporter.h"

#include "LogCsvWriter.h"
#include "platform/FileSystem.h"

#include <QMetaObject>

#include <filesystem>
#include <fstream>
#include <system_error>

namespace qv {

namespace {
constexpr std::size_t kFlushBytes = 1 << 20;
constexpr std::size_t kProgressRows = 256 * 1024;
} // namespace

LogExporter::LogExporter(QObject* parent) : QObject(parent) {
    m_pool.setMaxThreadCount(1);
}

LogExporter::~LogExporter() {
    if (m_stop)
        m_stop->store(true);
    m_pool.waitForDone();
}

void LogExporter::Start(const std::string& path, std::shared_ptr<const LogFile> file,
                        std::vector<std::uint32_t> rows) {
    m_stop = std::make_shared<std::atomic<bool>>(false);
    m_running = true;
    m_pool.start([this, stop = m_stop, path, file = std::move(file), rows = std::move(rows)] {
        const auto post = [this](auto function) {
            QMetaObject::invokeMethod(this, function, Qt::QueuedConnection);
        };
        const std::filesystem::path native = FileSystem::Native(path);
        std::ofstream out(native, std::ios::out | std::ios::binary | std::ios::trunc);
        const bool opened = out.is_open();
        std::string buffer;
        LogCsvWriter::AppendHeader(buffer);
        const quint64 total = rows.size();
        for (std::size_t i = 0; i < rows.size() && out && !stop->load(); ++i) {
            LogCsvWriter::AppendRecord(buffer, file->Record(rows[i]));
            if (buffer.size() >= kFlushBytes) {
                out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
                buffer.clear();
            }
            if ((i + 1) % kProgressRows == 0) {
                const quint64 written = i + 1;
                post([this, written, total] { Q_EMIT progressed(written, total); });
            }
        }
        out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        out.close();
        const bool ok = out.good() && !stop->load();
        // Only a file of ours is removed: one that could not be opened may be someone else's.
        if (!ok && opened) {
            std::error_code ignored;
            std::filesystem::remove(native, ignored);
        }
        post([this, ok, total] {
            m_running = false;
            Q_EMIT finished(ok, ok ? total : 0);
        });
    });
}

} // namespace qv
