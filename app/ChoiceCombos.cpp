#include "app/ChoiceCombos.h"

#include <QComboBox>

#include <vector>

#include "widgets/QtText.h"

ChoiceCombos::ChoiceCombos(QComboBox* country, QComboBox* condition, QComboBox* category)
    : m_boxes{country, condition, category}
{
}

void ChoiceCombos::Add(const CoinRecord& record)
{
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        const std::string_view text = record.Get(kFields[i]);
        const int index = m_lists[i].Add(text);
        if (index < 0)
            continue;
        // Putting the first entry into an empty box would also make it the box's text.
        QComboBox* box = m_boxes[i];
        const QString shown = box->currentText();
        box->insertItem(index, ToQString(text));
        box->setEditText(shown);
    }
}

void ChoiceCombos::AddAll(const Collection& collection)
{
    ChoiceList::AddAll(collection.BottomUp(), kFields, m_lists);
    Rebuild();
}

void ChoiceCombos::AddLists(std::array<ChoiceList, 3>&& gathered)
{
    for (std::size_t i = 0; i < m_lists.size(); ++i) {
        if (m_lists[i].Entries().empty()) {
            m_lists[i] = std::move(gathered[i]);
        } else {
            const std::vector<std::string>& entries = gathered[i].Entries();
            m_lists[i].AddAll(std::vector<std::string_view>(entries.begin(), entries.end()));
        }
    }
    Rebuild();
}

void ChoiceCombos::Clear()
{
    for (ChoiceList& list : m_lists)
        list = ChoiceList();
    Rebuild();
}

void ChoiceCombos::Rebuild()
{
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        QComboBox* box = m_boxes[i];
        const QString shown = box->currentText();
        QStringList entries;
        for (const std::string& e : m_lists[i].Entries())
            entries.append(ToQString(e));
        box->clear();
        box->addItems(entries);
        box->setEditText(shown);
    }
}
