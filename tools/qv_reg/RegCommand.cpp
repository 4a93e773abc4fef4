#include "RegCommand.h"

#include "RegFileParser.h"
#include "RegTreeExport.h"
#include "RegValueText.h"

#include "platform/AsciiText.h"
#include "platform/RegistryKey.h"
#include "platform/WinError.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

namespace qv {

namespace {

constexpr const char* kSuccess = "The operation completed successfully.";
constexpr const char* kNotFound = "The system was unable to find the specified registry key or value.";
constexpr const char* kDefaultName = "(Default)";

std::string ShownName(const std::string& name) {
    return name.empty() ? kDefaultName : name;
}

long ReadValue(const RegistryKey& key, const std::string& name, RegValue& value) {
    value.name = name;
    return key.ReadValue(name, &value.type, value.data);
}

// A listing shows what could be enumerated before an error.
std::vector<std::string> ValueNames(const RegistryKey& key) {
    std::vector<std::string> names;
    key.ValueNames(names);
    return names;
}

std::vector<std::string> SubKeyNames(const RegistryKey& key) {
    std::vector<std::string> names;
    key.SubKeyNames(names);
    return names;
}

std::string CodeText(long code) {
    switch (code) {
    case kErrorFileNotFound:
        return kNotFound;
    case kErrorAccessDenied:
        return "Access is denied.";
    case kErrorBadDb:
        return "The registry store is damaged or is not a database; it was left untouched.";
    case kErrorCantOpen:
        return "The registry store could not be opened.";
    default:
        return "The registry operation failed with error " + std::to_string(code) + ".";
    }
}

bool ValueExists(const RegistryKey& key, const std::string& name) {
    std::uint32_t size = 0;
    const long result = key.QueryValue(name, nullptr, nullptr, &size);
    return result == kErrorSuccess || result == kErrorMoreData;
}

} // namespace

RegCommand::RegCommand(std::istream& in, std::ostream& out, std::ostream& err,
                       RegFileWriter::Encoding exportEncoding)
    : m_in(in), m_out(out), m_err(err), m_exportEncoding(exportEncoding) {}

int RegCommand::Run(const std::vector<std::string>& args) {
    if (args.empty())
        return Usage(std::string());
    m_verb = AsciiText::Lower(args.front());
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (m_verb == "/?" || m_verb == "-?")
        return Usage(std::string());
    if (rest.size() == 1 && (rest.front() == "/?" || rest.front() == "-?"))
        return Usage(m_verb);
    if (m_verb == "query")
        return Query(rest);
    if (m_verb == "add")
        return Add(rest);
    if (m_verb == "delete")
        return Delete(rest);
    if (m_verb == "export")
        return Export(rest);
    if (m_verb == "import")
        return Import(rest);
    m_err << "ERROR: Invalid syntax.\nType \"qv_reg /?\" for usage.\n";
    return 1;
}

bool RegCommand::ParseOptions(const std::vector<std::string>& args, std::size_t positionalCount,
                              const std::vector<std::string>& flags,
                              const std::vector<std::string>& withValue, Options& options) {
    // Only the verb's own switches are switches: anything else, "/tmp/x.reg" included, is an argument.
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string name;
        if (arg.size() >= 2 && (arg[0] == '/' || arg[0] == '-')) {
            name = AsciiText::Lower(arg);
            name[0] = '/';
        }
        const bool flag = std::find(flags.begin(), flags.end(), name) != flags.end();
        const bool valued = std::find(withValue.begin(), withValue.end(), name) != withValue.end();
        if (!flag && !valued) {
            options.positional.push_back(arg);
            continue;
        }
        if (options.Has(name) || (valued && i + 1 == args.size()))
            return false;
        options.switches[name] = valued ? args[++i] : std::string();
    }
    return options.positional.size() == positionalCount;
}

bool RegCommand::ParseKey(const std::string& text, std::optional<RegKeyPath>& key) {
    std::string error;
    key = RegKeyPath::Parse(text, &error);
    if (!key)
        Fail(error);
    return key.has_value();
}

int RegCommand::Query(const std::vector<std::string>& args) {
    Options options;
    if (!ParseOptions(args, 1, {"/ve", "/s"}, {"/v"}, options) || (options.Has("/v") && options.Has("/ve")))
        return SyntaxError("query");
    std::optional<RegKeyPath> path;
    if (!ParseKey(options.positional[0], path))
        return 1;
    RegistryKey key;
    if (const long result = key.Open(path->SubKey(), RegAccess::Read); result != kErrorSuccess)
        return FailCode(result);

    const bool named = options.Has("/v") || options.Has("/ve");
    const std::string name = options.Has("/v") ? options.switches["/v"] : std::string();
    if (named && options.Has("/s")) {
        const int matches = SearchTree(key, *path, name);
        m_out << "End of search: " << matches << " match(es) found.\n";
        return matches > 0 ? 0 : 1;
    }
    if (named) {
        RegValue value;
        const long result = ReadValue(key, name, value);
        if (result == kErrorFileNotFound && name.empty()) {
            // reg.exe shows an unset default value rather than failing.
            m_out << "\n"
                  << path->Display() << "\n    " << kDefaultName << "    REG_SZ    (value not set)\n\n";
            return 0;
        }
        if (result != kErrorSuccess)
            return FailCode(result);
        m_out << "\n" << path->Display() << "\n";
        PrintValue(value);
        m_out << "\n";
        return 0;
    }
    if (options.Has("/s")) {
        m_out << "\n";
        QueryTree(key, *path);
        return 0;
    }
    m_out << "\n" << path->Display() << "\n";
    const std::vector<std::string> names = ValueNames(key);
    for (const std::string& valueName : names) {
        RegValue value;
        if (ReadValue(key, valueName, value) == kErrorSuccess)
            PrintValue(value);
    }
    if (!names.empty())
        m_out << "\n";
    const std::vector<std::string> subKeys = SubKeyNames(key);
    for (const std::string& subKey : subKeys)
        m_out << path->Child(subKey).Display() << "\n";
    if (!subKeys.empty())
        m_out << "\n";
    return 0;
}

void RegCommand::QueryTree(const RegistryKey& key, const RegKeyPath& path) {
    m_out << path.Display() << "\n";
    for (const std::string& valueName : ValueNames(key)) {
        RegValue value;
        if (ReadValue(key, valueName, value) == kErrorSuccess)
            PrintValue(value);
    }
    m_out << "\n";
    for (const std::string& subKeyName : SubKeyNames(key)) {
        const RegKeyPath child = path.Child(subKeyName);
        RegistryKey subKey;
        if (subKey.Open(child.SubKey(), RegAccess::Read) == kErrorSuccess)
            QueryTree(subKey, child);
    }
}

int RegCommand::SearchTree(const RegistryKey& key, const RegKeyPath& path, const std::string& name) {
    int matches = 0;
    RegValue value;
    if (ReadValue(key, name, value) == kErrorSuccess) {
        m_out << "\n" << path.Display() << "\n";
        PrintValue(value);
        ++matches;
    }
    for (const std::string& subKeyName : SubKeyNames(key)) {
        const RegKeyPath child = path.Child(subKeyName);
        RegistryKey subKey;
        if (subKey.Open(child.SubKey(), RegAccess::Read) == kErrorSuccess)
            matches += SearchTree(subKey, child, name);
    }
    return matches;
}

int RegCommand::Add(const std::vector<std::string>& args) {
    Options options;
    if (!ParseOptions(args, 1, {"/ve", "/f"}, {"/v", "/t", "/d"}, options) ||
        (options.Has("/v") && options.Has("/ve")))
        return SyntaxError("add");
    std::optional<RegKeyPath> path;
    if (!ParseKey(options.positional[0], path))
        return 1;

    // reg.exe: /t or /d without /v sets the default value.
    const bool named = options.Has("/v") || options.Has("/ve") || options.Has("/t") || options.Has("/d");
    RegValue value;
    value.name = options.Has("/v") ? options.switches["/v"] : std::string();
    value.type = kRegSz;
    if (options.Has("/t")) {
        const std::optional<std::uint32_t> type = RegValueText::ParseTypeName(options.switches["/t"]);
        if (!type)
            return Fail("Invalid type \"" + options.switches["/t"] +
                        "\": use REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD, REG_QWORD or REG_BINARY.");
        value.type = *type;
    }
    std::string error;
    if (!RegValueText::FromCommandLine(value.type, options.switches["/d"], value.data, error))
        return Fail(error);
    if (path->IsRoot())
        return Fail("Keys and values cannot be added to HKEY_LOCAL_MACHINE itself.");

    if (named && !options.Has("/f")) {
        RegistryKey existing;
        if (existing.Open(path->SubKey(), RegAccess::Read) == kErrorSuccess &&
            ValueExists(existing, value.name) &&
            !Confirm("Value " + ShownName(value.name) + " exists, overwrite(Yes/No)? "))
            return Cancelled();
    }
    RegistryKey key;
    if (const long result = key.Create(path->SubKey(), RegAccess::ReadWrite); result != kErrorSuccess)
        return FailCode(result);
    if (named) {
        if (const long result = key.SetValue(value.name, value.type, value.data.data(),
                                             static_cast<std::uint32_t>(value.data.size()));
            result != kErrorSuccess)
            return FailCode(result);
    }
    return Succeeded();
}

int RegCommand::Delete(const std::vector<std::string>& args) {
    Options options;
    if (!ParseOptions(args, 1, {"/ve", "/va", "/f"}, {"/v"}, options) ||
        (options.Has("/v") + options.Has("/ve") + options.Has("/va")) > 1)
        return SyntaxError("delete");
    std::optional<RegKeyPath> path;
    if (!ParseKey(options.positional[0], path))
        return 1;
    const bool force = options.Has("/f");

    if (!options.Has("/v") && !options.Has("/ve") && !options.Has("/va")) {
        if (path->IsRoot())
            return Fail("HKEY_LOCAL_MACHINE itself cannot be deleted.");
        RegistryKey key;
        if (const long result = key.Open(path->SubKey(), RegAccess::Read); result != kErrorSuccess)
            return FailCode(result);
        key.Close();
        if (!force && !Confirm("Permanently delete the registry key " + path->Display() + " (Yes/No)? "))
            return Cancelled();
        if (const long result = RegistryKey::DeleteTree(path->SubKey()); result != kErrorSuccess)
            return FailCode(result);
        return Succeeded();
    }

    RegistryKey key;
    if (const long result = key.Open(path->SubKey(), RegAccess::ReadWrite); result != kErrorSuccess)
        return FailCode(result);
    if (options.Has("/va")) {
        if (!force && !Confirm("Delete all values under the registry key " + path->Display() + " (Yes/No)? "))
            return Cancelled();
        for (const std::string& name : ValueNames(key)) {
            if (const long result = key.DeleteValue(name); result != kErrorSuccess)
                return FailCode(result);
        }
        return Succeeded();
    }
    const std::string name = options.Has("/v") ? options.switches["/v"] : std::string();
    if (!ValueExists(key, name))
        return FailCode(kErrorFileNotFound);
    if (!force && !Confirm("Delete the registry value " + ShownName(name) + " (Yes/No)? "))
        return Cancelled();
    if (const long result = key.DeleteValue(name); result != kErrorSuccess)
        return FailCode(result);
    return Succeeded();
}

int RegCommand::Export(const std::vector<std::string>& args) {
    Options options;
    if (!ParseOptions(args, 2, {"/y"}, {}, options))
        return SyntaxError("export");
    std::optional<RegKeyPath> path;
    if (!ParseKey(options.positional[0], path))
        return 1;
    const std::string& file = options.positional[1];
    RegistryKey key;
    if (const long result = key.Open(path->SubKey(), RegAccess::Read); result != kErrorSuccess)
        return FailCode(result);

    // The whole file is made before the old one is touched.
    RegFileWriter writer;
    std::string error;
    if (!RegTreeExport::Add(key, *path, writer, error))
        return Fail("Cannot export: " + error + ".");
    std::error_code ignored;
    if (!options.Has("/y") && std::filesystem::exists(file, ignored) &&
        !Confirm("File " + file + " already exists. Overwrite (Yes/No)? "))
        return Cancelled();
    const std::string bytes = writer.Bytes(m_exportEncoding);
    std::ofstream stream(file, std::ios::binary | std::ios::trunc);
    stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    stream.close();
    if (!stream)
        return Fail("Cannot write the file " + file + ".");
    return Succeeded();
}

int RegCommand::Import(const std::vector<std::string>& args) {
    Options options;
    if (!ParseOptions(args, 1, {}, {}, options))
        return SyntaxError("import");
    const std::string& file = options.positional[0];
    std::ifstream stream(file, std::ios::binary);
    if (!stream)
        return Fail("Cannot open the file " + file + ".");
    const std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    if (stream.bad())
        return Fail("Cannot read the file " + file + ".");

    // Nothing is written unless the whole file reads well.
    RegFileParser parser;
    if (!parser.Parse(bytes))
        return Fail("Cannot import " + file + ": " + parser.Error() + ". Nothing was imported.");

    RegistryKey key;
    for (const RegFileEntry& entry : parser.Entries()) {
        long result = kErrorSuccess;
        switch (entry.kind) {
        case RegFileEntry::Kind::CreateKey:
            result = key.Create(entry.key, RegAccess::ReadWrite);
            break;
        case RegFileEntry::Kind::DeleteKey:
            key.Close();
            result = RegistryKey::DeleteTree(entry.key);
            if (result == kErrorFileNotFound)
                result = kErrorSuccess;
            break;
        case RegFileEntry::Kind::SetValue:
            result = key.SetValue(entry.value.name, entry.value.type, entry.value.data.data(),
                                  static_cast<std::uint32_t>(entry.value.data.size()));
            break;
        case RegFileEntry::Kind::DeleteValue:
            result = key.DeleteValue(entry.value.name);
            if (result == kErrorFileNotFound)
                result = kErrorSuccess;
            break;
        }
        if (result != kErrorSuccess)
            return Fail("Cannot import " + file + ": line " + std::to_string(entry.line) + ": " +
                        CodeText(result) + " The lines before it were imported.");
    }
    return Succeeded();
}

int RegCommand::Usage(const std::string& verb) {
    if (verb.empty() || verb == "query")
        m_out << "qv_reg query KEY [/v NAME | /ve] [/s]\n";
    if (verb.empty() || verb == "add")
        m_out << "qv_reg add KEY [/v NAME | /ve] [/t TYPE] [/d DATA] [/f]\n"
                 "    TYPE: REG_SZ (default), REG_EXPAND_SZ, REG_MULTI_SZ (\\0 between strings), REG_DWORD,\n"
                 "          REG_QWORD (decimal, or hexadecimal after 0x), REG_BINARY (hexadecimal digits)\n";
    if (verb.empty() || verb == "delete")
        m_out << "qv_reg delete KEY [/v NAME | /ve | /va] [/f]\n";
    if (verb.empty() || verb == "export")
        m_out << "qv_reg export KEY FILE [/y]\n";
    if (verb.empty() || verb == "import")
        m_out << "qv_reg import FILE\n";
    if (verb.empty())
        m_out << "KEY is HKLM\\... or HKEY_LOCAL_MACHINE\\...\n"
                 "Exit code: 0 for success, 1 for failure.\n";
    return 0;
}

bool RegCommand::Confirm(const std::string& question) {
    for (;;) {
        m_out << question << std::flush;
        std::string answer;
        if (!std::getline(m_in, answer)) {
            m_out << "\n";
            return false;
        }
        const std::size_t first = answer.find_first_not_of(" \t\r");
        if (first == std::string::npos)
            continue;
        const char c = AsciiText::Lower(answer[first]);
        if (c == 'y')
            return true;
        if (c == 'n')
            return false;
    }
}

void RegCommand::PrintValue(const RegValue& value) {
    m_out << "    " << ShownName(value.name) << "    " << RegValueText::TypeName(value.type) << "    "
          << RegValueText::Display(value) << "\n";
}

int RegCommand::Fail(const std::string& message) {
    m_err << "ERROR: " << message << "\n";
    return 1;
}

int RegCommand::FailCode(long code) {
    return Fail(CodeText(code));
}

int RegCommand::SyntaxError(const std::string& verb) {
    m_err << "ERROR: Invalid syntax.\nType \"qv_reg " << verb << " /?\" for usage.\n";
    return 1;
}

int RegCommand::Succeeded() {
    m_out << kSuccess << "\n";
    return 0;
}

int RegCommand::Cancelled() {
    m_out << "The operation was canceled by the user.\n";
    return 0;
}

} // namespace qv
