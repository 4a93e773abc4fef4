#pragma once
// The verbs of qv_reg, as reg.exe has them: query, add, delete, export, import. Exit codes 0 (success, or a
// question answered No) and 1 (failure). Questions are read from the input; no answer counts as No.
#include "RegFileWriter.h"
#include "RegKeyPath.h"
#include "RegValue.h"

#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace qv {

class RegistryKey;

class RegCommand {
public:
    RegCommand(std::istream& in, std::ostream& out, std::ostream& err,
               RegFileWriter::Encoding exportEncoding);

    // args: the verb and its arguments, without the program's name.
    int Run(const std::vector<std::string>& args);

private:
    struct Options {
        std::vector<std::string> positional;
        std::map<std::string, std::string> switches; // "/v" -> "name"; flags map to ""
        bool Has(const std::string& name) const { return switches.count(name) != 0; }
    };

    bool ParseOptions(const std::vector<std::string>& args, std::size_t positionalCount,
                      const std::vector<std::string>& flags, const std::vector<std::string>& withValue,
                      Options& options);
    bool ParseKey(const std::string& text, std::optional<RegKeyPath>& key);

    int Query(const std::vector<std::string>& args);
    int Add(const std::vector<std::string>& args);
    int Delete(const std::vector<std::string>& args);
    int Export(const std::vector<std::string>& args);
    int Import(const std::vector<std::string>& args);
    int Usage(const std::string& verb);

    void QueryTree(const RegistryKey& key, const RegKeyPath& path);
    int SearchTree(const RegistryKey& key, const RegKeyPath& path, const std::string& name);

    bool Confirm(const std::string& question);
    int Fail(const std::string& message);
    int FailCode(long code);
    int SyntaxError(const std::string& verb);
    int Succeeded();
    int Cancelled();
    void PrintValue(const RegValue& value);

    std::istream& m_in;
    std::ostream& m_out;
    std::ostream& m_err;
    RegFileWriter::Encoding m_exportEncoding;
    std::string m_verb;
};

} // namespace qv
