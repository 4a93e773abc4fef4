#pragma once
// Reads one log file into its LogFile in pieces, so that a caller can show progress, show the first rows
// early and stop between pieces. The file is opened for shared reading and read in the state it has when it
// is opened: its length then is all that is read.
//
// With ReadAhead, a thread of the reader's own reads the rest of the file into the buffer while ReadNext
// indexes what has arrived, so that reading and indexing overlap.
//
// Once the file is read, ReadAppended follows it as the handler goes on writing: it indexes only the bytes
// written since, into the same LogFile, whose rows only grow. A file that shrank or was replaced is not
// followed; Reopen then reads it again from the start, into a new LogFile.
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

// What a follow found in the file.
enum class LogFileChange {
    Unchanged, // nothing new
    Appended,  // bytes were added at the end and indexed (maybe no whole row yet)
    Replaced,  // the file shrank, was replaced by another, cannot be read, or grew past what we can hold
};

struct LogFollowStep {
    LogFileChange change = LogFileChange::Unchanged;
    std::size_t rowsBefore = 0; // the file's RowCount() before and after; the last row may have changed
    std::size_t rowsAfter = 0;  // too when it came from a line that had no line end yet
    std::uint64_t bytes = 0;    // read in this step
    bool more = false;          // more bytes are waiting than maxBytes let in: call again
};

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

    // After Done(): reads at most maxBytes of what was written to the file since the last read, and indexes
    // every line now complete. A last line without its line end shows as it is and is read again whole
    // when the rest of it comes. The file is opened for each step, so that it is held open no longer than
    // a read takes. Replaced changes nothing: call Reopen.
    LogFollowStep ReadAppended(std::uint64_t maxBytes);
    // Opens the same file again from the start, into a new File(); then ReadNext as after Open.
    bool Reopen();
    // The file's path as opened; empty before Open.
    const std::string& Path() const { return m_path; }

    bool Done() const { return m_done; }
    std::uint64_t BytesRead() const { return m_read; }
    std::uint64_t Length() const { return m_length; }
    // Shared with whoever shows the rows while the reading goes on.
    const std::shared_ptr<LogFile>& File() const { return m_file; }

private:
    std::uint64_t ReadInto(std::uint64_t offset, std::uint64_t bytes);
    // Indexes the current piece from m_indexed up to limit (offsets in the file).
    void Index(std::uint64_t limit);
    void Finish(std::uint64_t limit);
    // Finds the line at the end that has no line end yet (m_tailStart, m_tailRow).
    void FindTail();
    // Whether the bytes of the file at [offset, offset + bytes) are still the ones in memory.
    bool SameBytes(std::ifstream& stream, std::uint64_t offset, std::uint64_t bytes) const;

    std::string m_path;
    std::string m_dateText;
    // Where the last line without a line end begins, and whether it gave the last row; m_length when the
    // data ends in a line end.
    std::uint64_t m_tailStart = 0;
    bool m_tailRow = false;

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
