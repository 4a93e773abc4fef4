#pragma once
// The product's keys below HKEY_LOCAL_MACHINE, spelt once for every program of the suite. A key below one
// of them is made here at compile time (KeyBelow), so its path cannot drift from its parent's.
#include <array>
#include <cstddef>

namespace qv {

template <std::size_t N> constexpr std::array<char, N> KeyPath(const char (&text)[N]) {
    std::array<char, N> path{};
    for (std::size_t i = 0; i < N; ++i)
        path[i] = text[i];
    return path;
}

// parent\child, zero-terminated.
template <std::size_t P, std::size_t C>
constexpr std::array<char, P + C> KeyBelow(const std::array<char, P>& parent, const char (&child)[C]) {
    std::array<char, P + C> path{};
    std::size_t at = 0;
    for (std::size_t i = 0; i + 1 < P; ++i)
        path[at++] = parent[i];
    path[at++] = '\\';
    for (std::size_t i = 0; i + 1 < C; ++i)
        path[at++] = child[i];
    return path;
}

inline constexpr auto kProductKeyPath = KeyPath("SOFTWARE\\Helmark\\Quorvane");
inline constexpr auto kSitesKeyPath = KeyBelow(kProductKeyPath, "Value\\Sites");
inline constexpr auto kDialogKeyPath = KeyBelow(kProductKeyPath, "Dlg");

inline constexpr const char* kProductKey = kProductKeyPath.data();
inline constexpr const char* kSitesKey = kSitesKeyPath.data();
inline constexpr const char* kDialogKey = kDialogKeyPath.data();

} // namespace qv
