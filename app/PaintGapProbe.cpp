#include "app/PaintGapProbe.h"

#include <QDateTime>
#include <QEvent>
#include <QFile>
#include <QTimer>
#include <QWidget>

namespace {
constexpr qint64 kLoggedGapMs = 30;
}

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
    QFile file(m_logPath);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write("watching\n");
}

bool PaintGapProbe::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window && event->type() == QEvent::Paint) {
        const qint64 now = m_clock.elapsed();
        if (m_lastPaint >= 0 && now - m_lastPaint >= kLoggedGapMs) {
            QFile file(m_logPath);
            if (file.open(QIODevice::WriteOnly | QIODevice::Append))
                file.write(QStringLiteral("gap_ms=%1 end_ms=%2\n")
                               .arg(now - m_lastPaint)
                               .arg(QDateTime::currentMSecsSinceEpoch())
                               .toUtf8());
        }
        m_lastPaint = now;
    }
    return QObject::eventFilter(watched, event);
}
