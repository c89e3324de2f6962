#include "output/ValueWizardWalk.h"

#include <stdexcept>
#include <utility>

#include "resources/FixedStrings.h"

ValueWizardWalk::ValueWizardWalk(const Collection& collection, std::string today)
    : m_collection(collection), m_today(std::move(today))
{
}

bool ValueWizardWalk::Empty() const { return m_collection.Empty(); }

WizardShowing ValueWizardWalk::Current() const
{
    if (Empty())
        throw std::logic_error(std::string(strings::kWizardHasNoItem));
    const CoinRecord& row = m_collection.Row(m_position);
    WizardShowing showing;
    showing.index = m_position;
    showing.last = m_collection.Count() - 1;
    showing.name = row.Get(CoinField::Name);
    showing.year = row.Get(CoinField::Year);
    showing.faceValue = row.Get(CoinField::FaceValue);
    showing.country = row.Get(CoinField::Country);
    showing.value = row.Get(CoinField::CurrentValue);
    // Every item shown is valued today, whichever way the walk reached it.
    showing.date = m_today;
    return showing;
}

CoinRecord ValueWizardWalk::Close(WizardClose how, const WizardShowing& shown)
{
    if (Empty() || m_finished)
        throw std::logic_error(std::string(strings::kWizardNotRunning));

    CoinRecord record = m_collection.Row(m_position);
    record.Set(CoinField::CurrentValue, shown.value);
    record.Set(CoinField::ValuationDate, shown.date);

    const int last = m_collection.Count() - 1;
    switch (how) {
    case WizardClose::Ok:
        m_finished = true;
        break;
    case WizardClose::Next:
        // The dialog disables Next on the last item; stay put should it come anyway.
        if (m_position < last)
            ++m_position;
        break;
    case WizardClose::Back:
        if (m_position > 0)
            --m_position;
        break;
    case WizardClose::Cancel:
        break;
    }
    return record;
}
