#include "output/qt/SummaryChartView.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCursor>
#include <QHorizontalBarSeries>
#include <QSet>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

#include "widgets/QtText.h"

namespace {

// The longest label shown beside a bar, in average characters.
constexpr int kLabelChars = 22;

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

    // Horizontal bars are drawn from the bottom up; they are added last first so that the list
    // reads from the top down, as the page and the table do.
    if (horizontal)
        std::reverse(m_bars.begin(), m_bars.end());
    double largest = 0;
    double smallest = 0;
    QSet<QString> labels;
    const int labelWidth = fontMetrics().averageCharWidth() * kLabelChars;
    for (const ChartBar& bar : m_bars) {
        m_set->append(bar.value);
        // The axis keeps only the first of equal labels, and a group may be named as the bar
        // of the rest ("Other"): an equal label is told apart by invisible spaces. A long label
        // is shortened; the bar's tip shows it whole.
        QString label = fontMetrics().elidedText(ToQString(bar.label), Qt::ElideRight, labelWidth);
        while (labels.contains(label))
            label += QChar(0x200B);
        labels.insert(label);
        m_labels->append(label);
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
    // The view made a chart of its own, which it gives up, without deleting it, for this one.
    QChart* made = this->chart();
    setChart(chart);
    delete made;
    setRenderHint(QPainter::Antialiasing);
    // The axis writes a label as "..." when its row is not well higher than the label: each
    // bar gets two lines of text, below the title and above the value axis.
    const int line = fontMetrics().height();
    const int rows = horizontal ? std::max<int>(1, static_cast<int>(m_bars.size())) : 0;
    setMinimumSize(line * 16, horizontal ? rows * line * 2 + line * 7 : line * 12);

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
