#pragma once

#include <QChartView>

#include <vector>

#include "output/CollectionSummary.h"

class QAbstractBarSeries;
class QBarCategoryAxis;
class QBarSet;
class QValueAxis;

// One bar chart of the summary: a bar for each ChartBar with its value written at its end, and
// its label and value's text in a tip on the bar. The colours come from the widget's palette,
// and follow it when it changes, so the chart reads in light and dark themes alike.
class SummaryChartView : public QChartView {
    Q_OBJECT

public:
    // Horizontal bars suit long labels (countries, categories), the first bar at the top;
    // vertical ones suit a row of years.
    enum class Direction { Horizontal, Vertical };

    SummaryChartView(const QString& title, const std::vector<ChartBar>& bars, Direction direction,
                     QWidget* parent = nullptr);

    // The bars and their labels, for horizontal bars from the bottom up.
    QBarSet* Bars() const { return m_set; }
    QBarCategoryAxis* LabelAxis() const { return m_labels; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void ApplyPalette();

    std::vector<ChartBar> m_bars;
    QAbstractBarSeries* m_series;
    QBarSet* m_set;
    QBarCategoryAxis* m_labels;
    QValueAxis* m_values;
};
