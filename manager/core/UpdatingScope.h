#pragma once
// Holds a session's updating flag set while the dialog fills its controls, and restores it after.
#include "SettingsSession.h"

namespace qv {

class UpdatingScope {
public:
    explicit UpdatingScope(SettingsSession& session) : m_session(session), m_previous(session.Updating()) {
        m_session.SetUpdating(true);
    }
    ~UpdatingScope() { m_session.SetUpdating(m_previous); }
    UpdatingScope(const UpdatingScope&) = delete;
    UpdatingScope& operator=(const UpdatingScope&) = delete;

private:
    SettingsSession& m_session;
    bool m_previous;
};

} // namespace qv
