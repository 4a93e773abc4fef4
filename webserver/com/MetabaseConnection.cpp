#include "webserver/MetabaseConnection.h"

#include "ComAdminBase.h"

#include <windows.h>

#include <objbase.h>

#include <initguid.h> // CLSID_MSAdminBase and IID_IMSAdminBase are defined here, not in a library

#include <iadmw.h>

#include <new>

namespace qv {

// Windows: the IIS Admin Base Object through COM. COM stays initialised on this thread until Close.
bool MetabaseConnection::OpenMetabase() {
    if (!m_comInitialized) {
        HRESULT result = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (result == RPC_E_CHANGED_MODE) {
            // The thread already lives in a single-threaded apartment (a dialog's thread): join it.
            result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            if (FAILED(result))
                return false;
        }
        // Only a successful call is balanced by CoUninitialize in Close.
        m_comInitialized = SUCCEEDED(result);
    }
    IMSAdminBaseW* adminBase = nullptr;
    if (FAILED(CoCreateInstance(CLSID_MSAdminBase, nullptr, CLSCTX_ALL, IID_IMSAdminBase,
                                reinterpret_cast<void**>(&adminBase))) ||
        !adminBase)
        return false;
    m_adminBase.reset(new (std::nothrow) ComAdminBase(adminBase));
    if (!m_adminBase) {
        adminBase->Release();
        return false;
    }
    m_source = WebServerSource::Metabase;
    m_sourceName = "IIS Admin Base Object";
    return true;
}

void MetabaseConnection::Close() {
    m_adminBase.reset(); // releases the interface
    m_source = WebServerSource::None;
    m_sourceName.clear();
    if (m_comInitialized) {
        m_comInitialized = false;
        CoUninitialize();
    }
}

} // namespace qv
