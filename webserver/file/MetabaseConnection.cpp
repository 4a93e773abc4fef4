#include "webserver/MetabaseConnection.h"

#include "MetabaseFile.h"
#include "webserver/ModelAdminBase.h"

#include <cstdio>

namespace qv {

// POSIX: the metabase is the machine's MetaBase.xml, read once per connection.
bool MetabaseConnection::Open() {
    MetabaseModel model;
    std::string error;
    if (!MetabaseFile::Load(MetabaseFile::MachinePath(), model, &error)) {
        if (!error.empty())
            std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    m_adminBase = std::make_unique<ModelAdminBase>(std::make_shared<const MetabaseModel>(std::move(model)));
    return true;
}

void MetabaseConnection::Close() {
    m_adminBase.reset();
}

} // namespace qv
