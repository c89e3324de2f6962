#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>

class QWidget;

// A measuring aid for the end-to-end tests: when NUMORA_PAINT_GAP_LOG names a file, the window
// is asked to repaint every 10 ms, and every gap of 30 ms or more between two of its paints is
// added to that file as a line "gap_ms=N end_ms=T" (T: the paint that ended it, in ms since
// 1970), so that a test can pick the gaps of the time it watched. A window whose thread is
// held up by work shows it as a long gap.
class PaintGapProbe : public QObject {
    Q_OBJECT

public:
    // Watches `window` when the environment asks for it; once per window.
    static void AttachIfAsked(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PaintGapProbe(QWidget* window, QString logPath);

    QWidget* m_window;
    QString m_logPath;
    QElapsedTimer m_clock;
    qint64 m_lastPaint = -1;
};
