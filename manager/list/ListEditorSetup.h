#pragma once
// The texts and the normaliser of one use of the list editor. A null text keeps the form's own.
#include <string>
#include <string_view>

namespace qv {

struct ListEditorSetup {
    using Normaliser = std::string (*)(std::string_view);

    const char* title = nullptr;       // window title, or the tab's title inside the image dialog
    const char* description = nullptr; // above the list; null leaves it empty
    const char* itemTitle = nullptr;   // the item dialog's title
    const char* prompt = nullptr;      // the item dialog's prompt
    const char* label = nullptr;       // the item dialog's field label; null keeps "File Extension:"
    const char* hint = nullptr;        // the description's tooltip; null gives none
    Normaliser normaliser = nullptr;   // applied to every text the item dialog returns
};

// The Error Files page's four lists.
namespace ListEditorSetups {
const ListEditorSetup& StaticExtensions();
const ListEditorSetup& DynamicExtensions();
const ListEditorSetup& ImageSelectors();
const ListEditorSetup& ImageExtensions();
// The title of the two-tab image dialog.
const char* ImageListsTitle();
} // namespace ListEditorSetups

} // namespace qv
