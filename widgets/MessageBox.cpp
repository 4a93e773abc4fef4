#include "MessageBox.h"

#include <QGuiApplication>

#include <utility>

namespace qv {

namespace {

MessageBox::Hook& CurrentHook() {
    static MessageBox::Hook hook;
    return hook;
}

} // namespace

QMessageBox::StandardButton MessageBox::Show(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                             QMessageBox::StandardButtons buttons,
                                             QMessageBox::StandardButton defaultButton) {
    return ShowTitled(parent, icon, QGuiApplication::applicationDisplayName(), text, buttons, defaultButton);
}

QMessageBox::StandardButton MessageBox::ShowTitled(QWidget* parent, QMessageBox::Icon icon,
                                                   const QString& title, const QString& text,
                                                   QMessageBox::StandardButtons buttons,
                                                   QMessageBox::StandardButton defaultButton) {
    Request request{icon, title, text, buttons, defaultButton};
    if (const Hook& hook = CurrentHook())
        return hook(request);
    QMessageBox box(icon, request.title, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QMessageBox::StandardButton MessageBox::AskYesNoCancel(QWidget* parent, const QString& text) {
    return Show(parent, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                QMessageBox::Yes);
}

void MessageBox::Inform(QWidget* parent, const QString& text) {
    Show(parent, QMessageBox::Information, text);
}

void MessageBox::Warn(QWidget* parent, const QString& text) {
    Show(parent, QMessageBox::Warning, text);
}

MessageBox::Hook MessageBox::SetHook(Hook hook) {
    return std::exchange(CurrentHook(), std::move(hook));
}

} // namespace qv
