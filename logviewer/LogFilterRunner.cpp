#include "LogFilterRunner.h"

#include "LogRowFilter.h"

#include <QMetaObject>

#include <algorithm>

namespace qv {

LogFilterRunner::LogFilterRunner(QObject* parent) : QObject(parent) {
    m_pool.setMaxThreadCount(1);
}

LogFilterRunner::~LogFilterRunner() {
    Cancel();
    m_pool.waitForDone();
}

void LogFilterRunner::Start(std::shared_ptr<const LogFile> file, std::string text,
                            std::size_t availableRows) {
    Cancel();
    m_file = std::move(file);
    m_text = std::move(text);
    m_next = 0;
    m_available = availableRows;
    Launch();
}

void LogFilterRunner::Extend(std::size_t availableRows) {
    if (!m_file || availableRows <= m_available)
        return;
    m_available = availableRows;
    if (!m_running)
        Launch();
}

void LogFilterRunner::Cancel() {
    if (m_stop)
        m_stop->store(true);
    ++m_generation;
    m_running = false;
    m_file.reset();
    m_next = m_available = 0;
}

void LogFilterRunner::Launch() {
    if (m_next >= m_available) {
        Q_EMIT idle();
        return;
    }
    m_stop = std::make_shared<std::atomic<bool>>(false);
    m_running = true;
    const std::uint64_t generation = m_generation;
    const auto post = [this, generation](auto function) {
        QMetaObject::invokeMethod(
            this,
            [this, generation, function] {
                if (generation == m_generation)
                    function();
            },
            Qt::QueuedConnection);
    };
    m_pool.start([post, this, stop = m_stop, file = m_file, filter = LogRowFilter(m_text), begin = m_next,
                  end = m_available] {
        for (std::size_t from = begin; from < end && !stop->load(); from += kPieceRows) {
            const std::size_t to = std::min(end, from + kPieceRows);
            auto rows = std::make_shared<std::vector<std::uint32_t>>();
            filter.Collect(*file, from, to, *rows);
            post([this, to, rows] {
                m_next = to;
                if (!rows->empty())
                    Q_EMIT matched(*rows);
            });
        }
        post([this] {
            m_running = false;
            Launch();
        });
    });
}

} // namespace qv
