#include "records/qt/CoinListView.h"

#include <QHeaderView>
#include <QStyle>
#include <QTableView>

#include "records/qt/CoinTableModel.h"

CoinListView::CoinListView(QTableView* view, CoinTableModel* model) : m_view(view), m_model(model)
{
    m_view->setModel(m_model);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setShowGrid(false);
    m_view->setWordWrap(false);
    m_view->setSortingEnabled(false);
    m_view->setTabKeyNavigation(false);
    m_view->verticalHeader()->hide();
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->verticalHeader()->setDefaultSectionSize(m_view->fontMetrics().height() + 4);
    QHeaderView* header = m_view->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(false);
    QPalette palette = m_view->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Inactive, QPalette::Base));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText, palette.color(QPalette::Inactive, QPalette::Text));
    m_view->setPalette(palette);
}

void CoinListView::FitColumnWidths()
{
    QHeaderView* header = m_view->horizontalHeader();
    const int padding = 2 * (m_view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_view) + 1) + 6;
    int used = 0;
    const int columns = m_model->columnCount();
    for (int c = 0; c < columns; ++c) {
        int width = std::max(m_model->WidestText(c) + padding, header->sectionSizeHint(c));
        if (c == columns - 1)  // the last column reaches the list's right edge
            width = std::max(width, m_view->viewport()->width() - used);
        header->resizeSection(c, width);
        used += width;
    }
}
