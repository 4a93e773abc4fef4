#pragma once
// An unnamed lock with bounded waits. A copy is a new, unlocked lock: records that are copied (a template
// taken privately) never share their lock.
#include <chrono>
#include <mutex>

namespace qv {

class TimedLock {
public:
    TimedLock() = default;
    TimedLock(const TimedLock&) {}
    TimedLock& operator=(const TimedLock&) { return *this; }

    bool TryLockFor(int milliseconds) { return m_mutex.try_lock_for(std::chrono::milliseconds(milliseconds)); }
    void Unlock() { m_mutex.unlock(); }

    // For std::unique_lock and friends.
    void lock() { m_mutex.lock(); }
    bool try_lock() { return m_mutex.try_lock(); }
    void unlock() { m_mutex.unlock(); }

private:
    std::timed_mutex m_mutex;
};

} // namespace qv
