// qv_reg: the key store from the command line, with reg.exe's verbs and exit codes.
#include "RegCommand.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    // reg.exe writes UTF-16LE files on Windows; POSIX gets UTF-8, its own narrow text (chosen by CMake).
    constexpr auto encoding =
        QV_REG_EXPORT_UTF16 ? qv::RegFileWriter::Encoding::Utf16Le : qv::RegFileWriter::Encoding::Utf8;
    const std::vector<std::string> args(argv + 1, argv + argc);
    qv::RegCommand command(std::cin, std::cout, std::cerr, encoding);
    const int code = command.Run(args);
    std::cout.flush();
    return code;
}
