#include "records/CollectionHistory.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "resources/FixedStrings.h"

namespace {

// The records that loading keeps: a coin without a Name is no coin.
std::vector<CoinRecord> WithNames(std::vector<CoinRecord> records)
{
    std::erase_if(records, [](const CoinRecord& r) { return r.Get(CoinField::Name).empty(); });
    return records;
}

std::size_t HeldBytesOf(const std::vector<CoinRecord>& records)
{
    std::size_t bytes = records.capacity() * sizeof(CoinRecord);
    for (const CoinRecord& r : records)
        bytes += r.TextSize();
    return bytes;
}

}  // namespace

std::string_view StepName(StepKind kind)
{
    switch (kind) {
    case StepKind::Add: return strings::kStepAdd;
    case StepKind::Update: return strings::kStepUpdate;
    case StepKind::Delete: return strings::kStepDelete;
    case StepKind::ClearAll: return strings::kStepClearAll;
    case StepKind::Sort: return strings::kStepSort;
    case StepKind::ValueWizard: return strings::kStepValueWizard;
    case StepKind::RestoreBackup: return strings::kStepRestoreBackup;
    case StepKind::Import: return strings::kStepImport;
    }
    return {};
}

CollectionHistory::CollectionHistory(CollectionEditor& editor)
    : m_editor(editor)
{
}

void CollectionHistory::Add(CoinRecord record)
{
    const int before = m_editor.Rows().Count();
    std::vector<CoinRecord> one;
    one.push_back(std::move(record));
    m_editor.InsertRows(0, std::move(one));
    Record(StepKind::Add, RowSpan{0, 1, {}}, before);
}

bool CollectionHistory::Update(int row, CoinRecord record)
{
    const Collection& rows = m_editor.Rows();
    if (row < 0 || row >= rows.Count())
        return false;
    if (rows.Row(row) == record)
        return true;
    const int before = rows.Count();
    m_editor.SwapRow(row, record);  // `record` now holds the row as it was
    Record(StepKind::Update, RowSwap{row, std::move(record)}, before);
    return true;
}

bool CollectionHistory::Delete(int row)
{
    const int before = m_editor.Rows().Count();
    if (row < 0 || row >= before)
        return false;
    std::vector<CoinRecord> taken = m_editor.TakeRows(row, 1);
    Record(StepKind::Delete, RowSpan{row, 1, std::move(taken)}, before);
    return true;
}

void CollectionHistory::ClearAll()
{
    const int before = m_editor.Rows().Count();
    if (before == 0)
        return;
    std::vector<CoinRecord> taken;
    m_editor.SwapAllRows(taken);
    Record(StepKind::ClearAll, AllSwap{std::move(taken)}, before);
}

bool CollectionHistory::Sort(CoinField column)
{
    const int before = m_editor.Rows().Count();
    if (before < 2)
        return true;  // sorted already, and reversing changes nothing
    std::vector<std::uint32_t> order;
    const bool reversed = m_editor.SortByColumn(column, order);
    if (reversed)
        Record(StepKind::Sort, Reversed{}, before);
    else
        Record(StepKind::Sort, Sorted{std::move(order)}, before);
    return reversed;
}

void CollectionHistory::Reverse()
{
    const int before = m_editor.Rows().Count();
    if (before < 2)
        return;
    m_editor.ReverseRows();
    Record(StepKind::Sort, Reversed{}, before);
}

int CollectionHistory::Import(std::vector<CoinRecord> bottomUp)
{
    bottomUp = WithNames(std::move(bottomUp));
    const int added = static_cast<int>(bottomUp.size());
    if (added == 0)
        return 0;
    const int before = m_editor.Rows().Count();
    m_editor.InsertRows(0, std::move(bottomUp));
    Record(StepKind::Import, RowSpan{0, added, {}}, before);
    return added;
}

void CollectionHistory::RestoreBackup(std::vector<CoinRecord> bottomUp)
{
    bottomUp = WithNames(std::move(bottomUp));
    if (bottomUp == m_editor.Rows().BottomUp())
        return;
    const int before = m_editor.Rows().Count();
    m_editor.SwapAllRows(bottomUp);  // `bottomUp` now holds the rows as they were
    Record(StepKind::RestoreBackup, AllSwap{std::move(bottomUp)}, before);
}

void CollectionHistory::BeginStep(StepKind kind)
{
    EndStep();
    m_open = kind;
}

void CollectionHistory::EndStep()
{
    m_open.reset();
    m_openHasChanges = false;
}

std::optional<StepKind> CollectionHistory::NextUndo() const
{
    if (m_done == 0)
        return std::nullopt;
    return m_steps[m_done - 1].kind;
}

std::optional<StepKind> CollectionHistory::NextRedo() const
{
    if (m_done == m_steps.size())
        return std::nullopt;
    return m_steps[m_done].kind;
}

std::optional<StepKind> CollectionHistory::Undo()
{
    EndStep();
    if (m_done == 0)
        return std::nullopt;
    Step& step = m_steps[m_done - 1];
    if (m_editor.Rows().Count() != step.countAfter)
        return Fail();
    for (auto edit = step.edits.rbegin(); edit != step.edits.rend(); ++edit)
        if (!Apply(*edit, false))
            return Fail();
    --m_done;
    m_editor.ClearMark();
    return step.kind;
}

std::optional<StepKind> CollectionHistory::Redo()
{
    EndStep();
    if (m_done == m_steps.size())
        return std::nullopt;
    Step& step = m_steps[m_done];
    if (m_editor.Rows().Count() != step.countBefore)
        return Fail();
    for (Edit& edit : step.edits)
        if (!Apply(edit, true))
            return Fail();
    ++m_done;
    m_editor.ClearMark();
    return step.kind;
}

void CollectionHistory::Forget()
{
    m_steps.clear();
    m_done = 0;
    EndStep();
}

std::size_t CollectionHistory::HeldBytes() const
{
    std::size_t bytes = m_steps.capacity() * sizeof(Step);
    for (const Step& step : m_steps) {
        bytes += step.edits.capacity() * sizeof(Edit);
        for (const Edit& edit : step.edits) {
            if (const auto* span = std::get_if<RowSpan>(&edit))
                bytes += HeldBytesOf(span->held);
            else if (const auto* swap = std::get_if<RowSwap>(&edit))
                bytes += swap->other.TextSize();
            else if (const auto* all = std::get_if<AllSwap>(&edit))
                bytes += HeldBytesOf(all->other);
            else if (const auto* sorted = std::get_if<Sorted>(&edit))
                bytes += sorted->order.capacity() * sizeof(std::uint32_t);
        }
    }
    return bytes;
}

void CollectionHistory::Record(StepKind kind, Edit edit, int countBefore)
{
    // A new change makes the undone steps unreachable.
    m_steps.erase(m_steps.begin() + static_cast<std::ptrdiff_t>(m_done), m_steps.end());
    const int countAfter = m_editor.Rows().Count();
    if (m_open && m_openHasChanges) {
        m_steps.back().edits.push_back(std::move(edit));
        m_steps.back().countAfter = countAfter;
    } else {
        Step step{m_open.value_or(kind), {}, countBefore, countAfter};
        step.edits.push_back(std::move(edit));
        m_steps.push_back(std::move(step));
        m_openHasChanges = m_open.has_value();
    }
    m_done = m_steps.size();
}

bool CollectionHistory::Apply(Edit& edit, bool redo)
{
    struct Visitor {
        CollectionEditor& editor;
        bool redo;

        bool operator()(RowSpan& span) const
        {
            if (span.held.empty()) {
                span.held = editor.TakeRows(span.row, span.count);
                return static_cast<int>(span.held.size()) == span.count;
            }
            if (span.row > editor.Rows().Count())
                return false;  // checked first: inserting would give the rows away
            editor.InsertRows(span.row, std::move(span.held));
            span.held.clear();
            return true;
        }
        bool operator()(RowSwap& swap) const { return editor.SwapRow(swap.row, swap.other); }
        bool operator()(AllSwap& all) const
        {
            editor.SwapAllRows(all.other);
            return true;
        }
        bool operator()(Sorted& sorted) const
        {
            return redo ? editor.Permute(sorted.order) : editor.Unpermute(sorted.order);
        }
        bool operator()(Reversed&) const
        {
            editor.ReverseRows();
            return true;
        }
    };
    return std::visit(Visitor{m_editor, redo}, edit);
}

std::optional<StepKind> CollectionHistory::Fail()
{
    Forget();
    return std::nullopt;
}
