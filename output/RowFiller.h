#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "records/CoinRecord.h"

// An item tag and the field whose text replaces it.
struct ItemTag {
    std::string_view tag;
    CoinField field;
};

// The item tags in the order they are substituted. Each later step also finds tags inside the
// values that earlier steps inserted, so the order is part of what a template means.
inline constexpr std::array<ItemTag, kCoinFieldCount> kItemTags = {{
    {"#CURRENTVALUE#", CoinField::CurrentValue},
    {"#COUNTRY#", CoinField::Country},
    {"#YEAR#", CoinField::Year},
    {"#NAME#", CoinField::Name},
    {"#FACEVALUE#", CoinField::FaceValue},
    {"#MINTMARKS#", CoinField::MintMarks},
    {"#CONDITION#", CoinField::Condition},
    {"#PURCHASEPRICE#", CoinField::PurchasePrice},
    {"#PURCHASEDATE#", CoinField::PurchaseDate},
    {"#VALUATIONDATE#", CoinField::ValuationDate},
    {"#CATEGORY#", CoinField::Category},
    {"#IMAGE#", CoinField::Image},
    {"#DESCRIPTION#", CoinField::Description},
}};

// Fills the inner template for one record after another: the template with the item tags
// replaced in the order of kItemTags, each over the whole text as it stands after the step
// before (ReplaceTag semantics).
//
// The steps are worked out once for each pattern of empty fields, over the template alone:
// the row becomes a list of template text and field values that is only copied out. That
// gives the same row whenever no occurrence of a tag, in a step after a value was inserted,
// could touch the value. A tag is '#', capitals, '#'; so a value with no '#' is touched only
// when it is capitals alone, wholly inside such an occurrence, with text on both sides that
// may continue it. Values that may be touched are filled step by step as before.
class RowFiller {
public:
    explicit RowFiller(std::string_view inner);
    ~RowFiller();
    RowFiller(const RowFiller&) = delete;
    RowFiller& operator=(const RowFiller&) = delete;

    // Appends the filled row to `out`.
    void AppendRow(std::string& out, const CoinRecord& record);

    // Rows filled step by step so far (the others were copied from a worked-out list).
    std::uint64_t RowsFilledStepByStep() const { return m_stepByStep; }

private:
    struct Plan;
    const Plan& PlanFor(unsigned emptyFields);
    void AppendStepByStep(std::string& out, const std::array<std::string_view, kCoinFieldCount>& values);

    std::string m_inner;
    std::vector<std::unique_ptr<Plan>> m_plans;  // by the mask of empty fields, made when needed
    std::string m_current;                       // the two buffers of the step-by-step road
    std::string m_next;
    std::uint64_t m_stepByStep = 0;
};
