#include "ListEditorSetup.h"

#include "manager/core/ListEditor.h"

namespace qv::ListEditorSetups {

namespace {
constexpr const char* kFileExtension = "File Extension:";
} // namespace

const ListEditorSetup& StaticExtensions() {
    static const ListEditorSetup setup{
        "Static Error Extension List",
        "Configure the file extension(s) and the priority of files Quorvane selects for static error pages.",
        "Static Error Page",
        "Enter the file extension for the static error page:",
        kFileExtension,
        nullptr,
        &ListEditor::NormaliseExtension};
    return setup;
}

const ListEditorSetup& DynamicExtensions() {
    static const ListEditorSetup setup{
        "Dynamic 404 Extension List",
        "Configure the file extension(s) and the priority of files Quorvane selects for dynamic 404 error "
        "pages.",
        "Dynamic 404 Page",
        "Enter the file extension for the dynamic 404 error page:",
        kFileExtension,
        nullptr,
        &ListEditor::NormaliseExtension};
    return setup;
}

const ListEditorSetup& ImageSelectors() {
    // Selectors are paths: stored exactly as typed, so no normaliser.
    static const ListEditorSetup setup{
        "Request Selectors",
        "Configure and prioritize the URL path(s) and/or file extension(s) that Quorvane uses to identify "
        "error requests for 404 image responses.",
        "404 Image Request Selector",
        "Enter the URL path and/or file extension for a request that will receive a 404 image response:",
        "Selector:",
        "\"*\" is a wildcard that indicates zero or more characters and can be used anywhere in a path "
        "expression.",
        nullptr};
    return setup;
}

const ListEditorSetup& ImageExtensions() {
    static const ListEditorSetup setup{
        "Extension List",
        "Configure the file extension(s) and the priority of files Quorvane selects for 404 image error "
        "responses.",
        "404 Image File",
        "Enter the file extension for the 404 error image:",
        kFileExtension,
        nullptr,
        &ListEditor::NormaliseExtension};
    return setup;
}

const char* ImageListsTitle() {
    return "Edit 404 Image Settings";
}

} // namespace qv::ListEditorSetups
