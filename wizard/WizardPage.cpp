#include "WizardPage.h"

#include "WizardControlId.h"
#include "WizardFrame.h"
#include "WizardImages.h"
#include "widgets/DialogUnits.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include <cmath>

namespace qv {

namespace {

constexpr const char* kControlIdProperty = "controlId";
// The template's own dialog font measures 13 pixels high; font heights scale from it.
constexpr double kTemplateBaseY = 13.0;

} // namespace

WizardPage::WizardPage(WizardFrame& frame, WizardPageId id, QWidget* parent)
    : QWidget(parent), m_frame(frame), m_id(id) {
    const bool large = id == WizardPageId::Welcome || id == WizardPageId::Finish;
    m_picture = large ? WizardImages::Background() : WizardImages::Banner();
    hide();
}

QWidget* WizardPage::Control(int id) const {
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->property(kControlIdProperty).toInt() == id)
            return child;
    }
    return nullptr;
}

QPushButton* WizardPage::Button(int id) const {
    return qobject_cast<QPushButton*>(Control(id));
}

void WizardPage::OnPageShown() {
    // A dialog has one default button: the shown page's Next takes it over.
    Button(kControlNext)->setDefault(true);
    show();
}

void WizardPage::OnPageHidden() {
    hide();
}

QFont WizardPage::VerdanaFont(const DialogUnits& units, int height, int weight) {
    QFont font(QStringLiteral("Verdana"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(height * units.BaseY() / kTemplateBaseY))));
    font.setWeight(static_cast<QFont::Weight>(weight));
    return font;
}

void WizardPage::SetUpPage() {
    const DialogUnits& units = m_frame.Units();
    setGeometry(QRect(QPoint(0, 0), m_frame.size()));
    PlaceControls(units);
    if (QWidget* title = Control(kControlTitle))
        title->setFont(VerdanaFont(units, kTitleHeight, QFont::Bold));
    if (QWidget* subtitle = Control(kControlSubtitle))
        subtitle->setFont(VerdanaFont(units, kSubtitleHeight, QFont::Normal));
    WrapCheckBoxes();

    // Enter always presses the page's default button, wherever the focus is; a button that took over as
    // default while focused would leave the next page without one.
    for (QPushButton* button : findChildren<QPushButton*>(Qt::FindDirectChildrenOnly))
        button->setAutoDefault(false);
    const WizardFlow::Buttons buttons = WizardFlow::ButtonsOf(m_id);
    QPushButton* back = Button(kControlBack);
    QPushButton* next = Button(kControlNext);
    QPushButton* cancel = Button(kControlCancel);
    back->setEnabled(buttons.backEnabled);
    next->setText(QString::fromStdString(buttons.nextText));
    cancel->setText(QString::fromStdString(buttons.cancelText));
    connect(back, &QPushButton::clicked, &m_frame, &WizardFrame::Back);
    connect(next, &QPushButton::clicked, &m_frame, &WizardFrame::Next);
    connect(cancel, &QPushButton::clicked, &m_frame, &WizardFrame::reject);
}

void WizardPage::PlaceControls(const DialogUnits& units) {
    const int right = units.X(WizardFrame::kWidthUnits - kMarginUnits);
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const QRect place = child->geometry();
        QRect pixels(units.X(place.x()), units.Y(place.y()), units.X(place.width()), units.Y(place.height()));
        // A one-line text wider in this font than in the template's grows to the right, up to the margin.
        const auto* label = qobject_cast<QLabel*>(child);
        if ((label && !label->wordWrap()) || qobject_cast<QCheckBox*>(child))
            pixels.setWidth(
                std::max(pixels.width(), std::min(child->sizeHint().width(), right - pixels.x())));
        child->setGeometry(pixels);
    }
}

void WizardPage::WrapCheckBoxes() {
    for (QCheckBox* box : findChildren<QCheckBox*>(Qt::FindDirectChildrenOnly)) {
        const QFontMetrics metrics(box->font());
        // Only a box made two lines high takes a second line.
        if (box->sizeHint().width() <= box->width() || box->height() < 2 * metrics.height())
            continue;
        const QString text = box->text();
        const int room = box->width() - (box->sizeHint().width() -
                                         metrics.horizontalAdvance(QString(text).remove(QLatin1Char('&'))));
        // The last space after which the first line still fits.
        qsizetype cut = -1;
        for (qsizetype space = text.indexOf(QLatin1Char(' ')); space > 0;
             space = text.indexOf(QLatin1Char(' '), space + 1)) {
            if (metrics.horizontalAdvance(text.left(space).remove(QLatin1Char('&'))) > room)
                break;
            cut = space;
        }
        if (cut > 0)
            box->setText(text.left(cut) + QLatin1Char('\n') + text.mid(cut + 1));
    }
}

void WizardPage::paintEvent(QPaintEvent* event) {
    static_cast<void>(event);
    // The large picture fills the page down to the line above the buttons; the banner spans the width.
    const QWidget* separator = Control(kControlSeparator);
    const QSize area(width(), separator ? separator->geometry().center().y() : height());
    if (m_scaled.isNull() || m_scaled.width() < area.width()) {
        m_scaled = m_picture.height() > WizardImages::kBannerSize.height()
                       ? m_picture.scaled(area, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation)
                       : m_picture.scaledToWidth(area.width(), Qt::SmoothTransformation);
    }
    QPainter painter(this);
    painter.drawPixmap(QPoint(0, 0), m_scaled,
                       QRect(0, 0, area.width(), std::min(area.height(), m_scaled.height())));
}

} // namespace qv
