#pragma once
// A test's hand on a modal dialog: once set, it runs on the dialog as soon as exec() has shown it, so that a
// QtTest can click and type on a dialog that the code under test opens and waits for.
#include <QDialog>
#include <QTimer>

#include <functional>

namespace qv {

class DialogTestHook {
public:
    using Hook = std::function<void(QDialog&)>;

    void Set(Hook hook) { m_hook = std::move(hook); }
    // Right before exec().
    void Arm(QDialog& dialog) const {
        if (m_hook)
            QTimer::singleShot(0, &dialog, [hook = m_hook, &dialog] { hook(dialog); });
    }

private:
    Hook m_hook;
};

} // namespace qv
