#include "records/EditRules.h"

AddCheck CheckAdd(const Collection& collection, const CoinRecord& record)
{
    if (record.Get(CoinField::Name).empty())
        return AddCheck::BlankName;
    if (collection.HasNameAndYear(record.Get(CoinField::Name), record.Get(CoinField::Year)))
        return AddCheck::Duplicate;
    return AddCheck::Allowed;
}
