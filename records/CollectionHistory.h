#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

#include "records/CollectionEditor.h"

// What a step of the history did, named for the Undo and Redo menu texts.
enum class StepKind { Add, Update, Delete, ClearAll, Sort, ValueWizard, RestoreBackup, Import };

// "Add", "Update", "Delete", "Clear All", "Sort", "Value Wizard", "Restore Backup", "Import".
std::string_view StepName(StepKind kind);

// The changes made to the collection during a run, for Undo and Redo. Every change goes through
// this class, which makes it through the editor and keeps what undoing it needs: the rows it
// took away or replaced, or the permutation of a sort (never a copy of rows that only moved).
// Undo puts the rows back exactly as they were, order included; Redo makes the change again.
// There is no limit on the steps; a new change drops the steps that were undone.
//
// The marked row: the changes themselves treat it as the Collection methods do (Add moves it
// down, Delete drops it, sorting leaves it at its index, Clear All drops it). Undo and Redo
// leave no row marked, since the row that was marked may now hold another coin or none.
//
// A change that would change nothing (Update with the row's own contents, Clear All of an empty
// list, a sort of fewer than two rows, an import of no coins) is made, when at all, without
// becoming a step. Should the collection be changed behind the history's back, so that a step no
// longer fits it, Undo and Redo refuse and the history forgets every step.
class CollectionHistory {
public:
    // The editor, and the collection behind it, must outlive the history.
    explicit CollectionHistory(CollectionEditor& editor);

    // The changes. Each returns what its Collection counterpart does, and is a step when it
    // changed the rows.
    void Add(CoinRecord record);                 // a new top row
    bool Update(int row, CoinRecord record);     // false: no such row
    bool Delete(int row);                        // false: no such row
    void ClearAll();
    bool Sort(CoinField column);                 // true when it reversed the rows
    void Reverse();                              // a reversal, named "Sort"
    // Records given bottom row first are loaded above the present rows, as Collection::
    // LoadBottomUp does (empty Names are dropped). Returns the number of rows added.
    int Import(std::vector<CoinRecord> bottomUp);
    // The rows become `bottomUp` (empty Names dropped, as reading the data file does); the
    // rows they replace are kept for Undo.
    void RestoreBackup(std::vector<CoinRecord> bottomUp);

    // Gathers the changes made until EndStep into one step of the given kind, such as every
    // row a walk of the value wizard writes; Undo then takes them back together. Starting a
    // step while one is open ends the open one first. A step that changed nothing is dropped.
    void BeginStep(StepKind kind);
    void EndStep();

    // What Undo and Redo would undo or redo next; nothing when there is none.
    std::optional<StepKind> NextUndo() const;
    std::optional<StepKind> NextRedo() const;

    // Undoes or redoes one step, ending an open step first, and returns its kind; nothing when
    // there was nothing to undo or redo, or when the step no longer fits the collection (the
    // history is then forgotten). No row is marked afterwards.
    std::optional<StepKind> Undo();
    std::optional<StepKind> Redo();

    // Forgets every step, e.g. after the rows were loaded afresh.
    void Forget();

    std::size_t UndoCount() const { return m_done; }
    std::size_t RedoCount() const { return m_steps.size() - m_done; }

    // The bytes the history holds in its own memory: kept rows with their texts and sort
    // permutations. An estimate of the heap in use, for the benchmarks.
    std::size_t HeldBytes() const;

private:
    // Rows [row, row + count) that are in the collection or, while held is not empty, out of
    // it: an Add or an import (in when done), a Delete (out when done).
    struct RowSpan {
        int row;
        int count;
        std::vector<CoinRecord> held;
    };
    // A row and the other version of it.
    struct RowSwap {
        int row;
        CoinRecord other;
    };
    // All rows and the other version of all of them.
    struct AllSwap {
        std::vector<CoinRecord> other;
    };
    struct Sorted {
        std::vector<std::uint32_t> order;
    };
    struct Reversed {};
    using Edit = std::variant<RowSpan, RowSwap, AllSwap, Sorted, Reversed>;

    struct Step {
        StepKind kind;
        std::vector<Edit> edits;  // in the order they were made
        int countBefore;          // rows before the step, and after it: a cheap check that the
        int countAfter;           // step still fits the collection
    };

    void Record(StepKind kind, Edit edit, int countBefore);
    bool Apply(Edit& edit, bool redo);
    std::optional<StepKind> Fail();

    CollectionEditor& m_editor;
    std::vector<Step> m_steps;
    std::size_t m_done = 0;                // steps [0, m_done) are done, the rest undone
    std::optional<StepKind> m_open;        // the kind of the step BeginStep opened
    bool m_openHasChanges = false;         // the open step is m_steps.back()
};
