#include "ErrorFilesPage.h"

#include "manager/core/SettingsSession.h"
#include "manager/list/ImageListsDialog.h"
#include "manager/list/ListEditorDialog.h"
#include "manager/list/ListEditorSetup.h"
#include "ui_ErrorFilesPage.h"

namespace qv {

namespace {} // namespace

ErrorFilesPage::ErrorFilesPage(SettingsSession& session, QWidget* parent)
    : SettingsPage(session, parent), m_ui(std::make_unique<Ui::ErrorFilesPage>()) {
    m_ui->setupUi(this);
    connect(m_ui->checkDynamic, &QCheckBox::clicked, this, [this] {
        FlagClicked(m_ui->checkDynamic, m_session.Combined().Values().Dyn404, m_ui->buttonDynamicConfigure);
    });
    connect(m_ui->checkImages, &QCheckBox::clicked, this, [this] {
        FlagClicked(m_ui->checkImages, m_session.Combined().Values().SendErrorImage,
                    m_ui->buttonImageConfigure);
    });
    connect(m_ui->buttonStaticConfigure, &QPushButton::clicked, this, [this] {
        ConfigureList(ListChangeFlags::ExtList, ListEditorSetups::StaticExtensions(),
                      m_session.Combined().Values().ExtList);
    });
    connect(m_ui->buttonDynamicConfigure, &QPushButton::clicked, this, [this] {
        ConfigureList(ListChangeFlags::DynExtList, ListEditorSetups::DynamicExtensions(),
                      m_session.Combined().Values().DynExtList);
    });
    connect(m_ui->buttonImageConfigure, &QPushButton::clicked, this, &ErrorFilesPage::ConfigureImages);
}

ErrorFilesPage::~ErrorFilesPage() = default;

QWidget* ErrorFilesPage::FirstControl() const {
    return Focusable(m_ui->buttonStaticConfigure);
}

QWidget* ErrorFilesPage::LastControl() const {
    if (m_ui->checkImages->checkState() != Qt::Unchecked)
        return Focusable(m_ui->buttonImageConfigure);
    return Focusable(m_ui->checkImages);
}

void ErrorFilesPage::ShowCombined() {
    // Without a base the controls keep what they showed; they are disabled.
    if (!m_session.HasBase())
        return;
    const SiteSettings& values = m_session.Combined().Values();
    m_ui->checkDynamic->setCheckState(CheckStateOf(values.Dyn404));
    m_ui->checkImages->setCheckState(CheckStateOf(values.SendErrorImage));
}

void ErrorFilesPage::ApplyControlStates(const ControlStates& states) {
    for (QWidget* control : std::initializer_list<QWidget*>{m_ui->labelStatic, m_ui->buttonStaticConfigure,
                                                            m_ui->checkDynamic, m_ui->checkImages})
        control->setEnabled(states.errorFiles);
    m_ui->buttonDynamicConfigure->setEnabled(states.dynamicConfigure);
    m_ui->buttonImageConfigure->setEnabled(states.imageConfigure);
}

void ErrorFilesPage::FlagClicked(QCheckBox* box, std::int32_t& value, QPushButton* configure) {
    ToggleFlag(box, value);
    configure->setEnabled(value == 1);
    ValueEdited();
}

void ErrorFilesPage::ConfigureList(ListChangeFlags::List flag, const ListEditorSetup& setup,
                                   ValueList& list) {
    ListChangeFlags& lists = m_session.Lists();
    lists.Clear(flag);
    if (ListEditorDialog::Edit(this, setup, list)) {
        lists.Set(flag);
        ValueEdited();
    }
}

void ErrorFilesPage::ConfigureImages() {
    ListChangeFlags& lists = m_session.Lists();
    lists.Clear(ListChangeFlags::ImgExts);
    lists.Clear(ListChangeFlags::ImgFilters);
    SiteSettings& values = m_session.Combined().Values();
    const ImageListsResult result = ImageListsDialog::Edit(this, values.ImgFilters, values.ImgExts);
    if (result.selectorsChanged)
        lists.Set(ListChangeFlags::ImgFilters);
    if (result.extensionsChanged)
        lists.Set(ListChangeFlags::ImgExts);
    if (result.selectorsChanged || result.extensionsChanged)
        ValueEdited();
}

QString ErrorFilesPage::ToolTipFor(const QWidget* control) const {
    if (control == m_ui->buttonStaticConfigure || control == m_ui->labelStatic)
        return QStringLiteral(
            "When any type of server error occurs, Quorvane can respond with a customized static file.  "
            "This control defines the type of static file used and the order of preference for error "
            "files with the same name (e.g. 500.html is preferred to 500.htm).");
    if (control == m_ui->checkDynamic)
        return QStringLiteral(
            "Specifically for 404 server errors, Quorvane can respond with a customized dynamic file "
            "with more interactivity than a static file. This control defines the type of dynamic file "
            "used and the order of preference for error files with the same name (e.g. 404.asp preferred "
            "to 404.cfm).");
    if (control == m_ui->checkImages)
        return QStringLiteral(
            "Specifically for 404 server errors on image file type requests, Quorvane can respond with a "
            "custom image file, allowing developers to control the type of image displayed rather than a "
            "Web browser\u2019s default error image file. This control defines the type of image files "
            "used and the order of preference for error files with the same name (e.g. 404.gif preferred "
            "to 404.jpg).");
    return {};
}

} // namespace qv
