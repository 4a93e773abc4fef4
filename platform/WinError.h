#pragma once
// Windows error codes, the results of every registry call on both platforms.
namespace qv {
inline constexpr long kErrorSuccess = 0;
inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorAccessDenied = 5;
inline constexpr long kErrorInvalidHandle = 6;
inline constexpr long kErrorOutOfMemory = 14;
inline constexpr long kErrorInvalidParameter = 87;
inline constexpr long kErrorBusy = 170; // the key store stayed locked by other programs for too long
inline constexpr long kErrorMoreData = 234;
inline constexpr long kErrorNoMoreItems = 259;
inline constexpr long kErrorBadDb = 1009;            // the key store is not a database, or is damaged
inline constexpr long kErrorCantOpen = 1011;         // the key store could not be opened or created
inline constexpr long kErrorRegistryIoFailed = 1016; // reading or writing the key store failed
inline constexpr long kErrorKeyDeleted = 1018;       // the key of an open handle was deleted
} // namespace qv
