#pragma once

class CoinTableModel;
class QTableView;

// Sets a table view up as the list of coins and keeps its column widths: single selection of
// whole rows, no grid, no editing, clickable headings without a sort mark, a selection that
// shows only while the list has the focus, and every column as wide as its widest text or its
// heading, the last one reaching the list's right edge.
class CoinListView {
public:
    CoinListView(QTableView* view, CoinTableModel* model);

    void FitColumnWidths();

private:
    QTableView* m_view;
    CoinTableModel* m_model;
};
