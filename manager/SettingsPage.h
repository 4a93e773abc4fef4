#pragma once
// The base of the dialog's four tabbed pages. A page reads and writes the session's combined values; the
// dialog tells it when the selection changed and which controls are enabled, and asks it where the focus
// goes when the user tabs into it. Tooltips are asked of the page when they are due and never grow wider
// than 300 pixels.
#include <QCheckBox>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <vector>

namespace qv {

class ControlStates;
class SettingsSession;

class SettingsPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int kToolTipWidth = 300;

    SettingsPage(SettingsSession& session, QWidget* parent = nullptr);

    // The tab's text, with the two spaces on each side.
    virtual QString TabText() const = 0;
    // Where Tab and Shift+Tab into the page land; none hands the focus on as Qt would.
    virtual QWidget* FirstControl() const { return nullptr; }
    virtual QWidget* LastControl() const { return nullptr; }
    // The selection changed: show the combined values (the session is updating meanwhile).
    virtual void ShowCombined() {}
    virtual void ApplyControlStates(const ControlStates& states) { static_cast<void>(states); }

    // The tooltip's text as shown: wrapped into kToolTipWidth pixels when it is wider in font.
    static QString FittedToolTip(const QString& text, const QFont& font);
    // A stored flag as a three-state box shows it: 0 unchecked, 1 checked, anything else (2, "varies")
    // indeterminate.
    static Qt::CheckState CheckStateOf(std::int32_t value);

Q_SIGNALS:
    // An edit of the page was written into these rows; the dialog redraws their status and Apply.
    void rowsWritten(const std::vector<int>& rows);

protected:
    // After a control stored its new value into the session's combined values.
    void ValueEdited();
    // A three-state box clicked: an unchecked box becomes checked, a checked or indeterminate one unchecked
    // (not Qt's next state). Stores the value into value and shows it; the caller then calls ValueEdited.
    static void ToggleFlag(QCheckBox* box, std::int32_t& value);
    // Tab moves only onto a control that takes the focus; none hands it on as Qt would.
    static QWidget* Focusable(QWidget* control) { return control->isEnabled() ? control : nullptr; }

    // The tooltip text of a control of the page, asked for when it is due; empty for none.
    virtual QString ToolTipFor(const QWidget* control) const {
        static_cast<void>(control);
        return {};
    }
    bool event(QEvent* event) override;

    SettingsSession& m_session;
};

} // namespace qv
