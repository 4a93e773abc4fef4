#pragma once
// A stand-in IIS Admin Base Object: IMSAdminBase over an in-memory metabase, answering the four reads through
// ModelAdminBase and E_NOTIMPL to the rest. Free-threaded; its own class object, which makes a fresh object
// over the same metabase for each CoCreateInstance. Include <initguid.h> before it in one file.
#include "webserver/MetabaseModel.h"
#include "webserver/ModelAdminBase.h"

#include <windows.h>

#include <objbase.h>

#include <iadmw.h>

#include <atomic>
#include <memory>
#include <mutex>

// The suite only reads; every other method of the interface is declared by this.
#define QV_NOT_SERVED(method, ...)                                                                           \
    HRESULT WINAPI method(__VA_ARGS__) override {                                                            \
        return E_NOTIMPL;                                                                                    \
    }

namespace qv::test {

class ModelComServer final : public IMSAdminBaseW, public IClassFactory {
public:
    // A class object over model registered in the calling thread's apartment: its cookie, 0 when refused.
    static DWORD Register(std::shared_ptr<const MetabaseModel> model) {
        IClassFactory* classObject = new ModelComServer(std::move(model));
        DWORD cookie = 0;
        if (FAILED(CoRegisterClassObject(CLSID_MSAdminBase, classObject, CLSCTX_INPROC_SERVER,
                                         REGCLS_MULTIPLEUSE, &cookie)))
            cookie = 0;
        classObject->Release(); // COM holds its own reference while registered
        return cookie;
    }
    static void Revoke(DWORD cookie) {
        if (cookie)
            CoRevokeClassObject(cookie);
    }
    static long LiveCount() { return s_live; } // objects alive now, class objects included

    HRESULT WINAPI QueryInterface(REFIID riid, void** object) override {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IMSAdminBase_W))
            *object = static_cast<IMSAdminBaseW*>(this);
        else if (IsEqualIID(riid, IID_IClassFactory))
            *object = static_cast<IClassFactory*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG WINAPI AddRef() override { return ++m_references; }
    ULONG WINAPI Release() override {
        const ULONG left = --m_references;
        if (left == 0)
            delete this;
        return left;
    }
    HRESULT WINAPI CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
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
    HRESULT WINAPI LockServer(BOOL) override { return S_OK; }

    HRESULT WINAPI OpenKey(METADATA_HANDLE handle, LPCWSTR path, DWORD access, DWORD timeout,
                           PMETADATA_HANDLE opened) override {
        if (!opened)
            return E_INVALIDARG;
        std::lock_guard lock(m_mutex);
        MetadataHandle key = 0;
        const HRESULT result = m_adminBase.OpenKey(handle, Utf16(path), access, timeout, &key);
        *opened = key;
        return result;
    }
    HRESULT WINAPI CloseKey(METADATA_HANDLE handle) override {
        std::lock_guard lock(m_mutex);
        return m_adminBase.CloseKey(handle);
    }
    HRESULT WINAPI EnumKeys(METADATA_HANDLE handle, LPCWSTR path, LPWSTR name, DWORD index) override {
        std::lock_guard lock(m_mutex); // the model refuses a null name itself
        return m_adminBase.EnumKeys(handle, Utf16(path), reinterpret_cast<char16_t*>(name), index);
    }
    HRESULT WINAPI GetData(METADATA_HANDLE handle, LPCWSTR path, PMETADATA_RECORD record,
                           DWORD* required) override {
        if (!record || !required)
            return E_INVALIDARG;
        MetadataRecord data{record->dwMDIdentifier, record->dwMDAttributes, record->dwMDUserType,
                            record->dwMDDataType,   record->dwMDDataLen,    record->pbMDData,
                            record->dwMDDataTag};
        std::uint32_t needed = 0;
        std::lock_guard lock(m_mutex);
        const HRESULT result = m_adminBase.GetData(handle, Utf16(path), &data, &needed);
        *record = {data.identifier, data.attributes, data.userType, data.dataType,
                   data.dataLen,    data.data,       data.dataTag};
        *required = needed;
        return result;
    }

    QV_NOT_SERVED(AddKey, METADATA_HANDLE, LPCWSTR)
    QV_NOT_SERVED(DeleteKey, METADATA_HANDLE, LPCWSTR)
    QV_NOT_SERVED(DeleteChildKeys, METADATA_HANDLE, LPCWSTR)
    QV_NOT_SERVED(CopyKey, METADATA_HANDLE, LPCWSTR, METADATA_HANDLE, LPCWSTR, WINBOOL, WINBOOL)
    QV_NOT_SERVED(RenameKey, METADATA_HANDLE, LPCWSTR, LPCWSTR)
    QV_NOT_SERVED(SetData, METADATA_HANDLE, LPCWSTR, PMETADATA_RECORD)
    QV_NOT_SERVED(DeleteData, METADATA_HANDLE, LPCWSTR, DWORD, DWORD)
    QV_NOT_SERVED(EnumData, METADATA_HANDLE, LPCWSTR, PMETADATA_RECORD, DWORD, DWORD*)
    QV_NOT_SERVED(GetAllData, METADATA_HANDLE, LPCWSTR, DWORD, DWORD, DWORD, DWORD*, DWORD*, DWORD,
                  unsigned char*, DWORD*)
    QV_NOT_SERVED(DeleteAllData, METADATA_HANDLE, LPCWSTR, DWORD, DWORD)
    QV_NOT_SERVED(CopyData, METADATA_HANDLE, LPCWSTR, METADATA_HANDLE, LPCWSTR, DWORD, DWORD, DWORD, WINBOOL)
    QV_NOT_SERVED(GetDataPaths, METADATA_HANDLE, LPCWSTR, DWORD, DWORD, DWORD, WCHAR*, DWORD*)
    QV_NOT_SERVED(ChangePermissions, METADATA_HANDLE, DWORD, DWORD)
    QV_NOT_SERVED(SaveData)
    QV_NOT_SERVED(GetHandleInfo, METADATA_HANDLE, PMETADATA_HANDLE_INFO)
    QV_NOT_SERVED(GetSystemChangeNumber, DWORD*)
    QV_NOT_SERVED(GetDataSetNumber, METADATA_HANDLE, LPCWSTR, DWORD*)
    QV_NOT_SERVED(SetLastChangeTime, METADATA_HANDLE, LPCWSTR, PFILETIME, WINBOOL)
    QV_NOT_SERVED(GetLastChangeTime, METADATA_HANDLE, LPCWSTR, PFILETIME, WINBOOL)
    QV_NOT_SERVED(KeyExchangePhase1)
    QV_NOT_SERVED(KeyExchangePhase2)
    QV_NOT_SERVED(Backup, LPCWSTR, DWORD, DWORD)
    QV_NOT_SERVED(Restore, LPCWSTR, DWORD, DWORD)
    QV_NOT_SERVED(EnumBackups, LPWSTR, DWORD*, PFILETIME, DWORD)
    QV_NOT_SERVED(DeleteBackup, LPCWSTR, DWORD)
    QV_NOT_SERVED(UnmarshalInterface, IMSAdminBaseW**)
    QV_NOT_SERVED(GetServerGuid)

private:
    // Starts with one reference, the creator's.
    explicit ModelComServer(std::shared_ptr<const MetabaseModel> model)
        : m_model(model), m_adminBase(std::move(model)) {
        ++s_live;
    }
    ~ModelComServer() { --s_live; }
    static const char16_t* Utf16(LPCWSTR text) { return reinterpret_cast<const char16_t*>(text); }

    static inline std::atomic<long> s_live{0};
    std::atomic<ULONG> m_references{1};
    std::shared_ptr<const MetabaseModel> m_model;
    std::mutex m_mutex;
    ModelAdminBase m_adminBase;
};

} // namespace qv::test

#undef QV_NOT_SERVED
