#pragma once

#include <cstdint>
#include <vector>

#include "records/Collection.h"

// The way the undo history changes the collection. Every change it makes, done, undone or
// redone, is one of these calls, so that a list model can derive from this class, wrap each
// call in its own notifications (rows inserted, removed, changed) and stay in step with the
// rows without looking at all of them again. This base class changes the collection and
// nothing else; each call means what the Collection method of the same name means.
class CollectionEditor {
public:
    explicit CollectionEditor(Collection& collection) : m_collection(collection) {}
    virtual ~CollectionEditor() = default;

    CollectionEditor(const CollectionEditor&) = delete;
    CollectionEditor& operator=(const CollectionEditor&) = delete;

    const Collection& Rows() const { return m_collection; }

    virtual bool InsertRows(int row, std::vector<CoinRecord> bottomUp)
    {
        return m_collection.InsertRows(row, std::move(bottomUp));
    }
    virtual std::vector<CoinRecord> TakeRows(int row, int count)
    {
        return m_collection.TakeRows(row, count);
    }
    virtual bool SwapRow(int row, CoinRecord& record) { return m_collection.SwapRow(row, record); }
    virtual void SwapAllRows(std::vector<CoinRecord>& bottomUp)
    {
        m_collection.SwapAllRows(bottomUp);
    }
    virtual bool SortByColumn(CoinField column, std::vector<std::uint32_t>& order)
    {
        return m_collection.SortByColumn(column, order);
    }
    virtual bool Permute(const std::vector<std::uint32_t>& order)
    {
        return m_collection.Permute(order);
    }
    virtual bool Unpermute(const std::vector<std::uint32_t>& order)
    {
        return m_collection.Unpermute(order);
    }
    virtual void ReverseRows() { m_collection.ReverseRows(); }

    // Leaves no row marked; the history calls it after every Undo and Redo.
    void ClearMark() { m_collection.SetMarkedRow(-1); }

private:
    Collection& m_collection;
};
