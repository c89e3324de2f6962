#include "output/qt/SummaryChartView.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCursor>
#include <QHorizontalBarSeries>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

#include "widgets/QtText.h"

namespace {

// A step between grid lines of 1, 2 or 5 times a power of ten that gives about five lines up to
// `largest`; whole numbers only for counts.
double GridStep(double largest, bool whole)
{
    if (largest <= 0)
        return 1;
    const double raw = largest / 5;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double residual = raw / magnitude;
    double step = (residual <= 1 ? 1 : residual <= 2 ? 2 : residual <= 5 ? 5 : 10) * magnitude;
    if (whole)
        step = std::max(1.0, std::round(step));
    return step;
}

// Whether every value is a whole number, as counts of coins are.
bool AllWhole(const std::vector<ChartBar>& bars)
{
    return std::all_of(bars.begin(), bars.end(),
                       [](const ChartBar& bar) { return bar.value == std::floor(bar.value); });
}

}  // namespace

SummaryChartView::SummaryChartView(const QString& title, const std::vector<ChartBar>& bars,
                                   Direction direction, QWidget* parent)
    : QChartView(parent), m_bars(bars)
{
    const bool horizontal = direction == Direction::Horizontal;
    m_series = horizontal ? static_cast<QAbstractBarSeries*>(new QHorizontalBarSeries)
                          : static_cast<QAbstractBarSeries*>(new QBarSeries);
    m_set = new QBarSet(title);
    m_labels = new QBarCategoryAxis;
    m_values = new QValueAxis;

    double largest = 0;
    double smallest = 0;
    for (const ChartBar& bar : m_bars) {
        m_set->append(bar.value);
        m_labels->append(ToQString(bar.label));
        largest = std::max(largest, bar.value);
        smallest = std::min(smallest, bar.value);
    }
    m_series->append(m_set);
    m_series->setLabelsVisible(true);
    m_series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    m_series->setLabelsPrecision(15);
    m_series->setBarWidth(0.7);

    // Room past the largest bar for the value written at its end.
    const bool whole = AllWhole(m_bars);
    const double step = GridStep(largest, whole);
    m_values->setTickType(QValueAxis::TicksDynamic);
    m_values->setTickAnchor(0);
    m_values->setTickInterval(step);
    m_values->setRange(std::floor(smallest / step) * step,
                       std::max(step, std::ceil(largest * 1.15 / step) * step));
    m_values->setLabelFormat(whole || step >= 1 ? "%.0f" : "%.2f");
    // Horizontal bars list from the top down, as the page and the table do.
    m_labels->setReverse(horizontal);

    auto* chart = new QChart;
    chart->setTitle(title);
    chart->addSeries(m_series);
    chart->addAxis(m_labels, horizontal ? Qt::AlignLeft : Qt::AlignBottom);
    chart->addAxis(m_values, horizontal ? Qt::AlignBottom : Qt::AlignLeft);
    m_series->attachAxis(m_labels);
    m_series->attachAxis(m_values);
    chart->legend()->hide();
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(4, 4, 4, 4));
    setChart(chart);
    setRenderHint(QPainter::Antialiasing);
    setMinimumSize(240, 180);

    connect(m_set, &QBarSet::hovered, this, [this](bool status, int index) {
        if (!status || index < 0 || index >= static_cast<int>(m_bars.size())) {
            QToolTip::hideText();
            return;
        }
        const ChartBar& bar = m_bars[static_cast<std::size_t>(index)];
        QToolTip::showText(QCursor::pos(), ToQString(bar.label) + ": " + ToQString(bar.valueText),
                           this);
    });
    ApplyPalette();
}

void SummaryChartView::ApplyPalette()
{
    const QPalette colours = palette();
    const QColor text = colours.color(QPalette::Text);
    QColor grid = text;
    grid.setAlphaF(0.2f);
    QColor line = text;
    line.setAlphaF(0.5f);

    QChart* chart = this->chart();
    chart->setBackgroundBrush(colours.brush(QPalette::Base));
    chart->setBackgroundPen(Qt::NoPen);
    chart->setPlotAreaBackgroundVisible(false);
    chart->setTitleBrush(text);
    QFont titleFont = font();
    titleFont.setBold(true);
    chart->setTitleFont(titleFont);
    for (QAbstractAxis* axis : {static_cast<QAbstractAxis*>(m_labels),
                                static_cast<QAbstractAxis*>(m_values)}) {
        axis->setLabelsBrush(text);
        axis->setLabelsFont(font());
        axis->setLinePenColor(line);
        axis->setGridLineColor(grid);
    }
    m_labels->setGridLineVisible(false);
    const QColor bar = colours.color(QPalette::Highlight);
    m_set->setColor(bar);
    m_set->setBorderColor(bar);
    m_set->setLabelColor(text);
    m_set->setLabelFont(font());
    setBackgroundBrush(colours.brush(QPalette::Base));
}

void SummaryChartView::changeEvent(QEvent* event)
{
    QChartView::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange)
        ApplyPalette();
}
