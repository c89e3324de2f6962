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
