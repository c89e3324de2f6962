// The main window's way back and its search: Undo and Redo of changes to the collection, and
// finding a coin from the search field.

#include "app/CCollectionDlg.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QTableView>

#include "records/qt/CoinSearchField.h"
#include "records/qt/CoinTableModel.h"
#include "resources/FixedStrings.h"
#include "widgets/QtText.h"

void CCollectionDlg::OnFindNext()
{
    ReadForm();
    ShowFound(FindNext(m_collection, m_search->Search(), m_collection.MarkedRow()));
}

void CCollectionDlg::OnFindPrevious()
{
    ReadForm();
    ShowFound(FindPrevious(m_collection, m_search->Search(), m_collection.MarkedRow()));
}

void CCollectionDlg::ShowFound(const FindResult& result)
{
    m_search->ShowResult(result);
    if (result.row < 0) {
        ShowValues();
        return;
    }
    // The found row is selected, marked, shown and read into the form, as a click on it is.
    m_list->selectRow(result.row);
    m_list->scrollTo(m_model->index(result.row, 0));
    m_collection.SetMarkedRow(result.row);
    ReadRowIntoForm(result.row);
}

void CCollectionDlg::OnItemUndo()
{
    ReadForm();
    m_history->Undo();
    ShowChangedRows();
}

void CCollectionDlg::OnItemRedo()
{
    ReadForm();
    m_history->Redo();
    ShowChangedRows();
}

void CCollectionDlg::ShowChangedRows()
{
    // No row is marked after Undo and Redo, so nothing may look selected either; the form
    // stays as it is.
    m_list->selectionModel()->clear();
    m_collection.SetMarkedRow(-1);
    FitColumnWidths();
    RefreshItemCount();
}

void CCollectionDlg::UpdateUndoActions()
{
    QAction* undo = m_actions.value(MenuCommand::ItemUndo);
    QAction* redo = m_actions.value(MenuCommand::ItemRedo);
    const std::optional<StepKind> nextUndo = m_history->NextUndo();
    const std::optional<StepKind> nextRedo = m_history->NextRedo();
    undo->setEnabled(nextUndo.has_value());
    redo->setEnabled(nextRedo.has_value());
    undo->setText(ToQString(std::string(strings::kUndoPrefix) + std::string(nextUndo ? StepName(*nextUndo) : "")).trimmed());
    redo->setText(ToQString(std::string(strings::kRedoPrefix) + std::string(nextRedo ? StepName(*nextRedo) : "")).trimmed());
}
