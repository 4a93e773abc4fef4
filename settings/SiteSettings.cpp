#include "SiteSettings.h"

#include "RegValues.h"
#include "platform/Paths.h"
#include "platform/RegistryKey.h"
#include "platform/TextCodec.h"
#include "platform/WinError.h"

namespace qv {

namespace {

constexpr const char* kDefaultDirectory = "errors";
constexpr const char* kDefaultExtList = "htm,html";
constexpr const char* kDefaultDynExtList = "asp,aspx,php,cfm";
constexpr const char* kDefaultImgFilters = "*/images/*,*.gif,*.jpg,*.png,*.bmp";
constexpr const char* kDefaultImgExts = "gif,jpg,png,bmp";

ValueList BuiltInList(const char* text) {
    ValueList list;
    ParseList(list, text);
    return list;
}

} // namespace

void LoadDefaultEntry(SiteSettings& record, const std::string& installDirectory) {
    record = SiteSettings{};
    record.siteId = 0;
    record.EnableDisable = 1;
    record.ServerState = 0;
    record.Dyn404 = 0;
    record.SendErrorImage = 1;
    record.Logging = 0;
    record.LogThreshold = 5;
    record.Directory = kDefaultDirectory;
    // The installation directory ends in a separator; "[SITE]" stays until a site is loaded from this record.
    std::string logDir = installDirectory;
    logDir += "Logs";
    logDir += kPathSeparator;
    logDir += "W3SVC[SITE]";
    logDir += kPathSeparator;
    record.LogDir = TextCodec::Cut(logDir, kMaxText);

    RegistryKey key;
    if (key.Open(kSitesKey, RegAccess::Read) != kErrorSuccess)
        return; // no Sites key: loadedDirectory and the lists stay empty

    // Stored values replace the built-in defaults; nothing is written back.
    RegNumber(&key, value::EnableDisable, record.EnableDisable, record.EnableDisable, ReadStored);
    RegNumber(&key, value::ServerState, record.ServerState, record.ServerState, ReadStored);
    RegNumber(&key, value::Dyn404, record.Dyn404, record.Dyn404, ReadStored);
    RegNumber(&key, value::SendErrorImage, record.SendErrorImage, record.SendErrorImage, ReadStored);
    RegNumber(&key, value::Logging, record.Logging, record.Logging, ReadStored);
    RegNumber(&key, value::LogThreshold, record.LogThreshold, record.LogThreshold, ReadStored);
    RegText(&key, value::Directory, record.Directory, record.Directory, ReadStored);
    RegText(&key, value::LogDir, record.LogDir, record.LogDir, ReadStored);

    record.loadedDirectory = record.Directory;

    RegList(&key, value::ExtList, record.ExtList, BuiltInList(kDefaultExtList), ReadStored | UseTemplate);
    RegList(&key, value::DynExtList, record.DynExtList, BuiltInList(kDefaultDynExtList),
            ReadStored | UseTemplate);
    RegList(&key, value::ImgFilters, record.ImgFilters, BuiltInList(kDefaultImgFilters),
            ReadStored | UseTemplate);
    RegList(&key, value::ImgExts, record.ImgExts, BuiltInList(kDefaultImgExts), ReadStored | UseTemplate);
}

} // namespace qv
