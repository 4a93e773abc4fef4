#pragma once
// The 404 image lists in one dialog of two tabs: the request selectors and the image extensions. Both are
// committed on OK only.
#include "settings/ValueList.h"

#include <QDialog>

#include <functional>
#include <memory>

namespace Ui {
class ImageListsDialog;
}

namespace qv {

class ListEditorPage;

struct ImageListsResult {
    bool selectorsChanged = false;
    bool extensionsChanged = false;
};

class ImageListsDialog : public QDialog {
    Q_OBJECT
public:
    ImageListsDialog(const ValueList& selectors, const ValueList& extensions, QWidget* parent = nullptr);
    ~ImageListsDialog() override;

    // Modal. On OK both lists are committed, each flag telling whether its tab changed; Cancel or the
    // close box change nothing and give both false.
    static ImageListsResult Edit(QWidget* parent, ValueList& selectors, ValueList& extensions);
    // Called with the dialog once it is shown, so that a test can click, type and close it.
    static void SetTestHook(std::function<void(QDialog&)> hook);

    ListEditorPage* SelectorsPage() const;
    ListEditorPage* ExtensionsPage() const;

private:
    std::unique_ptr<Ui::ImageListsDialog> m_ui;
};

} // namespace qv
