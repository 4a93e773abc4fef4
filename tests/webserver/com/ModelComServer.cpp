#include <initguid.h> // the GUIDs of iadmw.h are defined where they are used

#include "ModelComServer.h"

namespace qv::test {

namespace {

std::atomic<long> g_live{0};

const char16_t* Utf16(LPCWSTR text) {
    return reinterpret_cast<const char16_t*>(text);
}

} // namespace

ModelComServer::ModelComServer(std::shared_ptr<const MetabaseModel> model)
    : m_model(model), m_adminBase(std::move(model)) {
    ++g_live;
}

ModelComServer::~ModelComServer() {
    --g_live;
}

DWORD ModelComServer::Register(std::shared_ptr<const MetabaseModel> model) {
    IClassFactory* classObject = new ModelComServer(std::move(model));
    DWORD cookie = 0;
    if (FAILED(CoRegisterClassObject(CLSID_MSAdminBase, classObject, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                     &cookie)))
        cookie = 0;
    classObject->Release(); // COM holds its own reference while registered
    return cookie;
}

void ModelComServer::Revoke(DWORD cookie) {
    if (cookie)
        CoRevokeClassObject(cookie);
}

long ModelComServer::LiveCount() {
    return g_live;
}

HRESULT WINAPI ModelComServer::QueryInterface(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IMSAdminBase_W)) {
        *object = static_cast<IMSAdminBaseW*>(this);
    } else if (IsEqualIID(riid, IID_IClassFactory)) {
        *object = static_cast<IClassFactory*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG WINAPI ModelComServer::Release() {
    const ULONG left = --m_references;
    if (left == 0)
        delete this;
    return left;
}

HRESULT WINAPI ModelComServer::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    ModelComServer* server = new ModelComServer(m_model);
    const HRESULT result = server->QueryInterface(riid, object);
    server->Release();
    return result;
}

HRESULT WINAPI ModelComServer::OpenKey(METADATA_HANDLE hMDHandle, LPCWSTR pszMDPath,
                                       DWORD dwMDAccessRequested, DWORD dwMDTimeOut,
                                       PMETADATA_HANDLE phMDNewHandle) {
    if (!phMDNewHandle)
        return E_INVALIDARG;
    std::lock_guard lock(m_mutex);
    MetadataHandle opened = 0;
    const HRESULT result =
        m_adminBase.OpenKey(hMDHandle, Utf16(pszMDPath), dwMDAccessRequested, dwMDTimeOut, &opened);
    *phMDNewHandle = opened;
    return result;
}

HRESULT WINAPI ModelComServer::CloseKey(METADATA_HANDLE hMDHandle) {
    std::lock_guard lock(m_mutex);
    return m_adminBase.CloseKey(hMDHandle);
}

HRESULT WINAPI ModelComServer::EnumKeys(METADATA_HANDLE hMDHandle, LPCWSTR pszMDPath, LPWSTR pszMDName,
                                        DWORD dwMDEnumObjectIndex) {
    std::lock_guard lock(m_mutex); // the model refuses a null name itself
    return m_adminBase.EnumKeys(hMDHandle, Utf16(pszMDPath), reinterpret_cast<char16_t*>(pszMDName),
                                dwMDEnumObjectIndex);
}

HRESULT WINAPI ModelComServer::GetData(METADATA_HANDLE hMDHandle, LPCWSTR pszMDPath,
                                       PMETADATA_RECORD pmdrMDData, DWORD* pdwMDRequiredDataLen) {
    if (!pmdrMDData || !pdwMDRequiredDataLen)
        return E_INVALIDARG;
    MetadataRecord record{pmdrMDData->dwMDIdentifier, pmdrMDData->dwMDAttributes, pmdrMDData->dwMDUserType,
                          pmdrMDData->dwMDDataType,   pmdrMDData->dwMDDataLen,    pmdrMDData->pbMDData,
                          pmdrMDData->dwMDDataTag};
    std::uint32_t required = 0;
    std::unique_lock lock(m_mutex);
    const HRESULT result = m_adminBase.GetData(hMDHandle, Utf16(pszMDPath), &record, &required);
    lock.unlock();
    *pmdrMDData = {record.identifier, record.attributes, record.userType, record.dataType,
                   record.dataLen,    record.data,       record.dataTag};
    *pdwMDRequiredDataLen = required;
    return result;
}

} // namespace qv::test
