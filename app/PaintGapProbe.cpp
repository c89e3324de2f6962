#include "app/PaintGapProbe.h"

#include <QEvent>
#include <QFile>
#include <QTimer>
#include <QWidget>

void PaintGapProbe::AttachIfAsked(QWidget* window)
{
    const QString path = qEnvironmentVariable("NUMORA_PAINT_GAP_LOG");
    if (path.isEmpty() || window->findChild<PaintGapProbe*>(QString(), Qt::FindDirectChildrenOnly))
        return;
    new PaintGapProbe(window, path);
}

PaintGapProbe::PaintGapProbe(QWidget* window, QString logPath)
    : QObject(window), m_window(window), m_logPath(std::move(logPath))
{
    m_clock.start();
    window->installEventFilter(this);
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, window, [window] { window->update(); });
    timer->start(10);
    Write();
}

bool PaintGapProbe::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window && event->type() == QEvent::Paint) {
        const qint64 now = m_clock.elapsed();
        ++m_paints;
        if (m_lastPaint >= 0 && now - m_lastPaint > m_longestGap) {
            m_longestGap = now - m_lastPaint;
            Write();
        } else if (m_paints % 100 == 0) {
            Write();
        }
        m_lastPaint = now;
    }
    return QObject::eventFilter(watched, event);
}

void PaintGapProbe::Write() const
{
    QFile file(m_logPath);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(QStringLiteral("longest_gap_ms=%1 paints=%2\n").arg(m_longestGap).arg(m_paints).toUtf8());
}
