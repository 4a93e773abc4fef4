#include "RegTreeExport.h"

#include "platform/RegistryKey.h"
#include "platform/WinError.h"

#include <vector>

namespace qv {

bool RegTreeExport::Add(const RegistryKey& key, const RegKeyPath& path, RegFileWriter& writer,
                        std::string& error) {
    if (!writer.AddKey(path, error))
        return false;
    std::vector<std::string> valueNames;
    key.ValueNames(valueNames);
    for (const std::string& name : valueNames) {
        RegValue value;
        value.name = name;
        if (const long result = key.ReadValue(name, &value.type, value.data); result != kErrorSuccess) {
            error = "the value \"" + name + "\" of " + path.Display() + " cannot be read (error " +
                    std::to_string(result) + ")";
            return false;
        }
        if (!writer.AddValue(value, error)) {
            error += " in " + path.Display();
            return false;
        }
    }
    std::vector<std::string> subKeyNames;
    key.SubKeyNames(subKeyNames);
    for (const std::string& subKeyName : subKeyNames) {
        const RegKeyPath child = path.Child(subKeyName);
        RegistryKey subKey;
        if (const long result = subKey.Open(child.SubKey(), RegAccess::Read); result != kErrorSuccess) {
            error = "the key " + child.Display() + " cannot be read (error " + std::to_string(result) + ")";
            return false;
        }
        if (!Add(subKey, child, writer, error))
            return false;
    }
    return true;
}

} // namespace qv
