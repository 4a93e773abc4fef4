#pragma once
// The computer's own name, as local accounts are qualified with it ("MACHINE\account"). Win32: the NetBIOS
// name (GetComputerNameA). POSIX: the host name up to its first dot. Empty when the system gives none.
#include <string>

namespace qv {

class ComputerName {
public:
    static std::string Get();
};

} // namespace qv
