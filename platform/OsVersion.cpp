#include "platform/OsVersion.h"

#include <atomic>

namespace qv {

// The record itself is the same on both backends; only Record() asks the system.
namespace {

std::atomic<int> g_major{0};
std::atomic<int> g_minor{0};
std::atomic<bool> g_known{false};

void EnsureRecorded() {
    if (!g_known.load())
        OsVersion::Record();
}

} // namespace

void OsVersion::Set(int major, int minor) {
    g_major = major;
    g_minor = minor;
    g_known = true;
}

int OsVersion::Major() {
    EnsureRecorded();
    return g_major;
}

int OsVersion::Minor() {
    EnsureRecorded();
    return g_minor;
}

} // namespace qv
