#include "webserver/MetabaseConnection.h"

#include "MetabaseFile.h"
#include "webserver/ModelAdminBase.h"

#include <cstdio>

namespace qv {

// POSIX: the metabase is the machine's MetaBase.xml, read once per connection.
bool MetabaseConnection::OpenMetabase() {
    MetabaseModel model;
    std::string error;
    const std::string path = MetabaseFile::MachinePath();
    if (!MetabaseFile::Load(path, model, &error)) {
        if (!error.empty()) {
            std::fprintf(stderr, "%s\n", error.c_str());
            m_source = WebServerSource::Metabase; // read, but it gives no sites
            m_sourceName = path;
        }
        return false;
    }
    m_adminBase = std::make_unique<ModelAdminBase>(std::make_shared<const MetabaseModel>(std::move(model)));
    m_source = WebServerSource::Metabase;
    m_sourceName = path;
    return true;
}

void MetabaseConnection::Close() {
    m_adminBase.reset();
    m_source = WebServerSource::None;
    m_sourceName.clear();
}

} // namespace qv
