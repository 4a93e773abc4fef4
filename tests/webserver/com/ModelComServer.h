#pragma once
// A stand-in IIS Admin Base Object for the tests: IMSAdminBase over an in-memory metabase. OpenKey,
// CloseKey, EnumKeys and GetData answer as IIS does (through ModelAdminBase); every other method gives
// E_NOTIMPL. Free-threaded: calls may come from any thread of the multithreaded apartment. It is its own
// class object too: the one registered under CLSID_MSAdminBase makes a fresh object over the same metabase
// for each CoCreateInstance, as COM would find IIS's.
#include "webserver/MetabaseModel.h"
#include "webserver/ModelAdminBase.h"

#include <windows.h>

#include <objbase.h>

#include <iadmw.h>

#include <atomic>
#include <memory>
#include <mutex>

namespace qv::test {

class ModelComServer final : public IMSAdminBaseW, public IClassFactory {
public:
    // Registers a class object over model in the calling thread's apartment: its cookie, 0 when COM refused.
    static DWORD Register(std::shared_ptr<const MetabaseModel> model);
    static void Revoke(DWORD cookie);
    // Objects alive now in this process, class objects included.
    static long LiveCount();

    HRESULT WINAPI QueryInterface(REFIID riid, void** object) override;
    ULONG WINAPI AddRef() override { return ++m_references; }
    ULONG WINAPI Release() override;

    HRESULT WINAPI CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
    HRESULT WINAPI LockServer(BOOL) override { return S_OK; }

    HRESULT WINAPI OpenKey(METADATA_HANDLE hMDHandle, LPCWSTR pszMDPath, DWORD dwMDAccessRequested,
                           DWORD dwMDTimeOut, PMETADATA_HANDLE phMDNewHandle) override;
    HRESULT WINAPI CloseKey(METADATA_HANDLE hMDHandle) override;
    HRESULT WINAPI EnumKeys(METADATA_HANDLE hMDHandle, LPCWSTR pszMDPath, LPWSTR pszMDName,
                            DWORD dwMDEnumObjectIndex) override;
    HRESULT WINAPI GetData(METADATA_HANDLE hMDHandle, LPCWSTR pszMDPath, PMETADATA_RECORD pmdrMDData,
                           DWORD* pdwMDRequiredDataLen) override;

    // The suite reads only; nothing below is served.
    HRESULT WINAPI AddKey(METADATA_HANDLE, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT WINAPI DeleteKey(METADATA_HANDLE, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT WINAPI DeleteChildKeys(METADATA_HANDLE, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT WINAPI CopyKey(METADATA_HANDLE, LPCWSTR, METADATA_HANDLE, LPCWSTR, WINBOOL, WINBOOL) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI RenameKey(METADATA_HANDLE, LPCWSTR, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT WINAPI SetData(METADATA_HANDLE, LPCWSTR, PMETADATA_RECORD) override { return E_NOTIMPL; }
    HRESULT WINAPI DeleteData(METADATA_HANDLE, LPCWSTR, DWORD, DWORD) override { return E_NOTIMPL; }
    HRESULT WINAPI EnumData(METADATA_HANDLE, LPCWSTR, PMETADATA_RECORD, DWORD, DWORD*) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI GetAllData(METADATA_HANDLE, LPCWSTR, DWORD, DWORD, DWORD, DWORD*, DWORD*, DWORD,
                              unsigned char*, DWORD*) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI DeleteAllData(METADATA_HANDLE, LPCWSTR, DWORD, DWORD) override { return E_NOTIMPL; }
    HRESULT WINAPI CopyData(METADATA_HANDLE, LPCWSTR, METADATA_HANDLE, LPCWSTR, DWORD, DWORD, DWORD,
                            WINBOOL) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI GetDataPaths(METADATA_HANDLE, LPCWSTR, DWORD, DWORD, DWORD, WCHAR*, DWORD*) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI ChangePermissions(METADATA_HANDLE, DWORD, DWORD) override { return E_NOTIMPL; }
    HRESULT WINAPI SaveData() override { return E_NOTIMPL; }
    HRESULT WINAPI GetHandleInfo(METADATA_HANDLE, PMETADATA_HANDLE_INFO) override { return E_NOTIMPL; }
    HRESULT WINAPI GetSystemChangeNumber(DWORD*) override { return E_NOTIMPL; }
    HRESULT WINAPI GetDataSetNumber(METADATA_HANDLE, LPCWSTR, DWORD*) override { return E_NOTIMPL; }
    HRESULT WINAPI SetLastChangeTime(METADATA_HANDLE, LPCWSTR, PFILETIME, WINBOOL) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI GetLastChangeTime(METADATA_HANDLE, LPCWSTR, PFILETIME, WINBOOL) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI KeyExchangePhase1() override { return E_NOTIMPL; }
    HRESULT WINAPI KeyExchangePhase2() override { return E_NOTIMPL; }
    HRESULT WINAPI Backup(LPCWSTR, DWORD, DWORD) override { return E_NOTIMPL; }
    HRESULT WINAPI Restore(LPCWSTR, DWORD, DWORD) override { return E_NOTIMPL; }
    HRESULT WINAPI EnumBackups(LPWSTR, DWORD*, PFILETIME, DWORD) override { return E_NOTIMPL; }
    HRESULT WINAPI DeleteBackup(LPCWSTR, DWORD) override { return E_NOTIMPL; }
    HRESULT WINAPI UnmarshalInterface(IMSAdminBaseW**) override { return E_NOTIMPL; }
    HRESULT WINAPI GetServerGuid() override { return E_NOTIMPL; }

private:
    // Starts with one reference, which the creator owns.
    explicit ModelComServer(std::shared_ptr<const MetabaseModel> model);
    ~ModelComServer();

    std::atomic<ULONG> m_references{1};
    std::shared_ptr<const MetabaseModel> m_model;
    std::mutex m_mutex;
    ModelAdminBase m_adminBase;
};

} // namespace qv::test
