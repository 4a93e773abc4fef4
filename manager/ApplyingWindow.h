#pragma once
// "Applying settings...": shown while many records are saved, with a bar of how many are done. It takes no
// input, and while it is up the program handles paint and timer events only, so nothing else can be clicked.
#include <QWidget>

#include <cstddef>

class QProgressBar;

namespace qv {

class ApplyingWindow : public QWidget {
    Q_OBJECT
public:
    // Saves of fewer records than this are over before a window would be seen.
    static constexpr std::size_t kMinimumRecords = 2;

    ApplyingWindow(std::size_t total, QWidget* owner);

    // One more record saved; repaints now and then, never more often than the screen can show.
    void Advance();
    std::size_t Done() const { return m_done; }

private:
    void Repaint();

    QProgressBar* m_bar = nullptr;
    std::size_t m_total;
    std::size_t m_done = 0;
    qint64 m_lastRepaint = 0;
};

} // namespace qv
