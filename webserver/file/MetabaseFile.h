#pragma once
// MetaBase.xml, IIS 6's own metabase file, read into a MetabaseModel. Every element below
// <configuration><MBProperty> with a Location is a key of that path and of the element's name as key type;
// the properties the suite reads come as named attributes, any other as <Custom> children.
#include "webserver/MetabaseModel.h"

#include <string>
#include <string_view>

namespace qv {

class MetabaseFile {
public:
    // MetaBase.xml of the machine directory.
    static std::string MachinePath();
    // Reads the file into model. A missing file gives false with *error empty (a machine without IIS); an
    // unreadable or malformed one false with one line "file:line:column: what" in *error.
    static bool Load(const std::string& path, MetabaseModel& model, std::string* error);
    // The same over text already read; name is the file's name for the message.
    static bool Parse(std::string_view text, const std::string& name, MetabaseModel& model,
                      std::string* error);
};

} // namespace qv
