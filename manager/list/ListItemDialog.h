#pragma once
// The small dialog in which one text of a list is typed, with the set-up's prompt and label.
#include "ListEditorSetup.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace Ui {
class ListItemDialog;
}

namespace qv {

class ListItemDialog : public QDialog {
    Q_OBJECT
public:
    ListItemDialog(const ListEditorSetup& setup, const std::string& text, QWidget* parent = nullptr);
    ~ListItemDialog() override;

    // Modal; the typed text, normalised when the set-up has a normaliser, or none for Cancel.
    static std::optional<std::string> Ask(QWidget* parent, const ListEditorSetup& setup,
                                          const std::string& text);
    // Called with the dialog once it is shown, so that a test can type and close it.
    static void SetTestHook(std::function<void(QDialog&)> hook);

    std::string Text() const;

private:
    std::unique_ptr<Ui::ListItemDialog> m_ui;
    ListEditorSetup::Normaliser m_normaliser;
};

} // namespace qv
