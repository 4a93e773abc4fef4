#pragma once
// A key of HKEY_LOCAL_MACHINE. Win32: the real registry. POSIX: the SQLite key store registry.db in the
// machine directory (see MachineDirectory.h).
//
// Paths are below HKEY_LOCAL_MACHINE, separated by '\', e.g. "SOFTWARE\Helmark\Quorvane". Key and value
// names compare without regard to ASCII letter case on both backends. The empty value name is the key's
// default value. Every result is a Windows error code (WinError.h).
//
// Differences between the backends:
// - POSIX: each value write is atomic, in a transaction of its own or, while a RegistryBatch is alive, in
//   the batch's (see RegistryBatch.h); a store that is not a database or is damaged fails every open with
//   kErrorBadDb and is never modified; a store without write permission bits opens read-only and every
//   write fails with kErrorAccessDenied.
// - POSIX: subkeys enumerate in case-insensitive name order, values in the order they were first written.
// - POSIX: a handle belongs to the machine directory it was opened in; after MachineDirectory::Set every
//   call on it gives kErrorInvalidHandle.
// Both: a key opened for reading refuses writes, one opened for writing refuses reads (kErrorAccessDenied);
// a handle whose key was deleted gives kErrorKeyDeleted.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

enum RegType : std::uint32_t {
    kRegNone = 0,
    kRegSz = 1,
    kRegExpandSz = 2,
    kRegBinary = 3,
    kRegDword = 4,
    kRegMultiSz = 7,
    kRegQword = 11,
};

enum class RegAccess { Read, Write, ReadWrite };

class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey();
    RegistryKey(RegistryKey&& other) noexcept;
    RegistryKey& operator=(RegistryKey&& other) noexcept;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Opens an existing key; kErrorFileNotFound when it does not exist.
    long Open(std::string_view path, RegAccess access);
    // Opens the key, creating it and every missing parent; *created tells whether the key itself is new.
    long Create(std::string_view path, RegAccess access, bool* created = nullptr);

    // As RegQueryValueExA: data may be null to ask only type and size. *size is in/out (bytes); a buffer
    // too small gives kErrorMoreData with the size needed in *size. type may be null.
    long QueryValue(std::string_view name, std::uint32_t* type, void* data, std::uint32_t* size) const;
    // As RegSetValueExA: the bytes are stored as given (a REG_SZ should include its terminating zero).
    long SetValue(std::string_view name, std::uint32_t type, const void* data, std::uint32_t size);
    long DeleteValue(std::string_view name);

    // Enumeration by index from 0; kErrorNoMoreItems past the end.
    long EnumSubKey(std::uint32_t index, std::string& name) const;
    long EnumValue(std::uint32_t index, std::string& name) const;

    // The reads below are written once for both backends on the calls above.
    // The whole value: its size is asked first; a value that grows before it is read is asked again. data is
    // empty on failure. type may be null.
    long ReadValue(std::string_view name, std::uint32_t* type, std::string& data) const;
    // At most maxBytes in one call: a longer value gives kErrorMoreData.
    long ReadValue(std::string_view name, std::uint32_t* type, std::string& data,
                   std::uint32_t maxBytes) const;
    // A value of any type read as text of at most maxChars characters: its bytes up to the first zero byte.
    // A value longer than maxChars + 1 bytes, or as long without a zero, does not fit (kErrorMoreData).
    long ReadText(std::string_view name, std::uint32_t maxChars, std::string& text,
                  std::uint32_t* type = nullptr) const;
    // Every subkey or value name, in enumeration order. An error other than the end is returned, with the
    // names read before it.
    long SubKeyNames(std::vector<std::string>& names) const;
    long ValueNames(std::vector<std::string>& names) const;

    void Close();
    bool IsOpen() const { return m_open; }

    // Deletes the key with all its subkeys and values; kErrorFileNotFound when it does not exist.
    static long DeleteTree(std::string_view path);

private:
    bool m_open = false;
    bool m_writable = false;
    std::uintptr_t m_handle = 0; // HKEY on Win32, the key's row id on POSIX
};

} // namespace qv
