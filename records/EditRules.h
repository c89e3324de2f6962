#pragma once

#include "records/Collection.h"

// What adding a record to the list needs: a record without a Name is never added; one whose
// Name and Year are already in the list is added only when the user says so.
enum class AddCheck { Allowed, BlankName, Duplicate };

AddCheck CheckAdd(const Collection& collection, const CoinRecord& record);
