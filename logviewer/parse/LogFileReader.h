#pragma once
// Reads one log file into its LogFile in pieces, so that a caller can show progress, show the first rows
// early and stop between pieces. The file is opened for shared reading and read in the state it has when it
// is opened: its length then is all that is read.
//
// With ReadAhead, a thread of the reader's own reads the rest of the file into the buffer while ReadNext
// indexes what has arrived, so that reading and indexing overlap.
#include "LogFile.h"
#include "LogFileEntry.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace qv {

class LogFileReader {
public:
    LogFileReader() = default;
    LogFileReader(const LogFileReader&) = delete;
    LogFileReader& operator=(const LogFileReader&) = delete;
    // Stops a read-ahead at its next piece.
    ~LogFileReader();

    // Opens the file and makes its buffer. False when it cannot be opened or the memory is not there: no row.
    bool Open(const std::string& path, std::string dateText);
    // The entry's file in the log directory (joined with a separator unless the directory ends in one),
    // with the date of its name. An entry without a file name (the list's "None") gives no row.
    bool Open(const std::string& logDirectory, const LogFileEntry& entry);
    // Reads at most maxBytes more into the buffer and indexes every line that is now complete (the last
    // line too once the end is reached). False when the file is read to its end.
    bool ReadNext(std::uint64_t maxBytes);
    // Reads the rest of the file on a thread of its own, in pieces that grow to the given size; ReadNext
    // then waits for the data it indexes instead of reading it. With faultInAhead, ReadNext uses its waits
    // to fault in the buffer's pages that the reading comes to next, which takes half the cost of filling
    // fresh memory off the reading thread; it keeps both of two cores busy, which a window that shows the
    // rows as they come feels.
    void ReadAhead(std::uint64_t piece, bool faultInAhead = false);

    bool Done() const { return m_done; }
    std::uint64_t BytesRead() const { return m_read; }
    std::uint64_t Length() const { return m_length; }
    // Shared with whoever shows the rows while the reading goes on.
    const std::shared_ptr<LogFile>& File() const { return m_file; }

private:
    std::uint64_t ReadInto(std::uint64_t offset, std::uint64_t bytes);
    void Index(std::uint64_t limit);
    void Finish(std::uint64_t limit);

    std::ifstream m_stream;
    std::shared_ptr<LogFile> m_file;
    std::uint64_t m_length = 0;
    std::uint64_t m_read = 0;
    std::uint64_t m_indexed = 0;
    bool m_done = true;

    std::thread m_ahead;
    std::atomic<bool> m_stopAhead{false};
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::uint64_t m_available = 0; // read ahead so far (m_mutex)
    bool m_aheadEnded = false;     // no more will arrive (m_mutex)
    std::uint64_t m_aheadPiece = 0;
    // Faulted in ahead of the reader by ReadNext while it waits.
    bool m_faultInAhead = false;
    std::uint64_t m_prepared = 0;
    bool m_canPrepare = true;
};

} // namespace qv
