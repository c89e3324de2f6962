#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>

class QWidget;

// A measuring aid for the end-to-end tests: when NUMORA_PAINT_GAP_LOG names a file, the window
// is asked to repaint every 10 ms and the longest time between two of its paints is written
// to that file ("longest_gap_ms=N paints=M") as it grows and every hundred paints. A window
// whose thread is held up by work shows it as a long gap.
class PaintGapProbe : public QObject {
    Q_OBJECT

public:
    // Watches `window` when the environment asks for it; once per window.
    static void AttachIfAsked(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PaintGapProbe(QWidget* window, QString logPath);
    void Write() const;

    QWidget* m_window;
    QString m_logPath;
    QElapsedTimer m_clock;
    qint64 m_lastPaint = -1;
    qint64 m_longestGap = 0;
    long m_paints = 0;
};
