#include "ToolRun.h"

#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace qv::test {

namespace {

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream stream(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
}

// _spawnv joins its arguments with spaces as they are: quote them by the rules the child's C runtime
// splits its command line with.
std::string Quote(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos)
        return arg;
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    quoted += '"';
    return quoted;
}

// Points one of this process's standard descriptors at a file while the child starts, then back.
class Redirect {
public:
    Redirect(int fd, const std::filesystem::path& path, int flags) : m_fd(fd), m_saved(_dup(fd)) {
        const int file = _open(path.string().c_str(), flags | _O_BINARY, _S_IREAD | _S_IWRITE);
        _dup2(file, fd);
        _close(file);
    }
    ~Redirect() {
        _dup2(m_saved, m_fd);
        _close(m_saved);
    }
    Redirect(const Redirect&) = delete;
    Redirect& operator=(const Redirect&) = delete;

private:
    int m_fd;
    int m_saved;
};

} // namespace

ToolResult ToolRun::Run(const std::string& program, const std::vector<std::string>& args,
                        const std::string& input, const std::string& machine) {
    std::random_device random;
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("qv-toolrun-" + std::to_string(random()));
    std::filesystem::create_directories(dir);
    const std::filesystem::path in = dir / "in", out = dir / "out", err = dir / "err";
    std::ofstream(in, std::ios::binary) << input;

    _putenv_s("QUORVANE_MACHINE", machine.c_str());
    std::vector<std::string> quoted{Quote(program)};
    for (const std::string& arg : args)
        quoted.push_back(Quote(arg));
    std::vector<const char*> argv;
    for (const std::string& arg : quoted)
        argv.push_back(arg.c_str());
    argv.push_back(nullptr);

    ToolResult result;
    std::fflush(stdout);
    std::fflush(stderr);
    {
        Redirect input(0, in, _O_RDONLY);
        Redirect output(1, out, _O_WRONLY | _O_CREAT | _O_TRUNC);
        Redirect errors(2, err, _O_WRONLY | _O_CREAT | _O_TRUNC);
        const intptr_t code = _spawnv(_P_WAIT, program.c_str(), argv.data());
        result.exitCode = static_cast<int>(code);
    }
    result.out = ReadAll(out);
    result.err = ReadAll(err);
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    return result;
}

} // namespace qv::test
