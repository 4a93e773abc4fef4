#pragma once
// The base of the wizard's four pages: a borderless child of the frame that covers it, with its title and
// subtitle in Verdana (or the nearest sans serif), its background picture, the line above the buttons and
// the three buttons Back, Next and Cancel, which go to the frame. A page's form gives every control's place
// in dialog units; the page turns them into pixels for the frame's font once its form is set up.
#include "wizard/core/WizardFlow.h"

#include <QPixmap>
#include <QWidget>

class QPushButton;

namespace qv {

class DialogUnits;
class WizardFrame;

class WizardPage : public QWidget {
    Q_OBJECT
public:
    // Font heights in pixels, for the template's 8-point dialog font; they grow with the frame's font.
    static constexpr int kTitleHeight = 16;
    static constexpr int kSubtitleHeight = 12;
    // What a text grown wider than its place keeps free of the page's right edge, in dialog units.
    static constexpr int kMarginUnits = 7;

    WizardPage(WizardFrame& frame, WizardPageId id, QWidget* parent);

    WizardPageId Id() const { return m_id; }
    // The control with that id on this page, or null.
    QWidget* Control(int id) const;
    QPushButton* Button(int id) const;

    // Showing and hiding as the frame moves between pages; the base only shows or hides the page.
    virtual void OnPageShown();
    virtual void OnPageHidden();

    // "Verdana" at height pixels (scaled as the frame's dialog units) and weight, the nearest sans serif
    // where Verdana is missing.
    static QFont VerdanaFont(const DialogUnits& units, int height, int weight);

protected:
    // After the form is set up: places, fonts, button texts and what the buttons do.
    void SetUpPage();
    void paintEvent(QPaintEvent* event) override;

    WizardFrame& m_frame;

private:
    void PlaceControls(const DialogUnits& units);
    // The text of a two-line check box too long for one line breaks onto the second.
    void WrapCheckBoxes();

    WizardPageId m_id;
    QPixmap m_picture;
    QPixmap m_scaled;
};

} // namespace qv
