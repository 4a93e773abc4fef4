#pragma once
// Every message box of the suite goes through here, so that a test can answer it: with a hook set, the box is
// not shown and the hook's answer is taken instead.
#include <QMessageBox>
#include <QString>

#include <functional>

namespace qv {

class MessageBox {
public:
    struct Request {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString title;
        QString text;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    };
    using Hook = std::function<QMessageBox::StandardButton(const Request&)>;

    // A modal box over parent, titled with the program's name; the button pressed. Escape and the close box
    // give Cancel, else No, else OK, when the box has it.
    static QMessageBox::StandardButton
    Show(QWidget* parent, QMessageBox::Icon icon, const QString& text,
         QMessageBox::StandardButtons buttons = QMessageBox::Ok,
         QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
    // The same under a caption of its own instead of the program's name.
    static QMessageBox::StandardButton
    ShowTitled(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
               QMessageBox::StandardButtons buttons,
               QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
    // Yes, No or Cancel, Yes the default.
    static QMessageBox::StandardButton AskYesNoCancel(QWidget* parent, const QString& text);
    static void Inform(QWidget* parent, const QString& text);
    static void Warn(QWidget* parent, const QString& text);

    // Replaces the hook (an empty one shows real boxes again) and gives back the one it replaced.
    static Hook SetHook(Hook hook);
};

} // namespace qv
