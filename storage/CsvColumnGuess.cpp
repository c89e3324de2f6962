#include "storage/CsvColumnGuess.h"

#include <array>

#include "records/CaseFold.h"

namespace {

// Letters and digits only, in folded case: "Mint-Mark (s)" and "mint_marks" read alike.
std::string Normalized(std::string_view heading)
{
    std::string kept;
    for (std::size_t i = 0; i < heading.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(heading[i]);
        if (c >= 0x80) {  // a letter of another alphabet is kept whole; a no-break space is not
            if (heading.substr(i, 2) == "\xC2\xA0") {
                ++i;
                continue;
            }
            kept += heading[i];
        } else if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            kept += heading[i];
        }
    }
    return FoldCase(kept);
}

struct Synonym {
    std::string_view name;  // normalized
    CoinField field;
};

// The names other programs and spreadsheets give to our fields, normalized. "Value" alone is
// the face value, as coin lists use it; a worth says "market", "estimated" or "current".
constexpr Synonym kSynonyms[] = {
    {"title", CoinField::Name}, {"coin", CoinField::Name}, {"coinname", CoinField::Name},
    {"item", CoinField::Name}, {"itemname", CoinField::Name}, {"object", CoinField::Name},
    {"label", CoinField::Name},
    {"yearofissue", CoinField::Year}, {"issueyear", CoinField::Year},
    {"mintyear", CoinField::Year}, {"yearminted", CoinField::Year},
    {"denomination", CoinField::FaceValue}, {"denom", CoinField::FaceValue},
    {"value", CoinField::FaceValue}, {"face", CoinField::FaceValue},
    {"nominal", CoinField::FaceValue}, {"nominalvalue", CoinField::FaceValue},
    {"nation", CoinField::Country}, {"issuer", CoinField::Country},
    {"issuingcountry", CoinField::Country}, {"countryoforigin", CoinField::Country},
    {"origin", CoinField::Country},
    {"mint", CoinField::MintMarks}, {"mintmark", CoinField::MintMarks},
    {"grade", CoinField::Condition}, {"grading", CoinField::Condition},
    {"quality", CoinField::Condition}, {"preservation", CoinField::Condition},
    {"price", CoinField::PurchasePrice}, {"cost", CoinField::PurchasePrice},
    {"pricepaid", CoinField::PurchasePrice}, {"paid", CoinField::PurchasePrice},
    {"amountpaid", CoinField::PurchasePrice}, {"purchasecost", CoinField::PurchasePrice},
    {"buyprice", CoinField::PurchasePrice}, {"acquisitioncost", CoinField::PurchasePrice},
    {"costprice", CoinField::PurchasePrice},
    {"dateacquired", CoinField::PurchaseDate}, {"datepurchased", CoinField::PurchaseDate},
    {"acquired", CoinField::PurchaseDate}, {"acquisitiondate", CoinField::PurchaseDate},
    {"dateofpurchase", CoinField::PurchaseDate}, {"purchased", CoinField::PurchaseDate},
    {"boughton", CoinField::PurchaseDate}, {"datebought", CoinField::PurchaseDate},
    {"marketvalue", CoinField::CurrentValue}, {"estimatedvalue", CoinField::CurrentValue},
    {"estimate", CoinField::CurrentValue}, {"worth", CoinField::CurrentValue},
    {"appraisedvalue", CoinField::CurrentValue}, {"catalogvalue", CoinField::CurrentValue},
    {"cataloguevalue", CoinField::CurrentValue}, {"bookvalue", CoinField::CurrentValue},
    {"valuenow", CoinField::CurrentValue}, {"marketprice", CoinField::CurrentValue},
    {"valuedate", CoinField::ValuationDate}, {"valuedon", CoinField::ValuationDate},
    {"appraisaldate", CoinField::ValuationDate}, {"dateofvaluation", CoinField::ValuationDate},
    {"lastvalued", CoinField::ValuationDate}, {"datevalued", CoinField::ValuationDate},
    {"type", CoinField::Category}, {"set", CoinField::Category},
    {"series", CoinField::Category}, {"group", CoinField::Category},
    {"collection", CoinField::Category}, {"kind", CoinField::Category},
    {"class", CoinField::Category}, {"tag", CoinField::Category},
    {"picture", CoinField::Image}, {"photo", CoinField::Image}, {"obverse", CoinField::Image},
    {"obverseimage", CoinField::Image}, {"obversephoto", CoinField::Image},
    {"imagefile", CoinField::Image}, {"imagepath", CoinField::Image},
    {"picturefile", CoinField::Image}, {"photofile", CoinField::Image},
    {"img", CoinField::Image}, {"front", CoinField::Image}, {"frontimage", CoinField::Image},
    {"cover", CoinField::Image}, {"coverimage", CoinField::Image},
    {"notes", CoinField::Description}, {"note", CoinField::Description},
    {"comment", CoinField::Description}, {"remark", CoinField::Description},
    {"details", CoinField::Description}, {"memo", CoinField::Description},
    {"info", CoinField::Description}, {"information", CoinField::Description},
    {"personalnotes", CoinField::Description}, {"privatenotes", CoinField::Description},
};

std::optional<CoinField> Lookup(const std::string& key)
{
    for (CoinField field : kCoinFields) {
        if (key == Normalized(ColumnHeading(field)) || key == Normalized(DataFileKey(field)))
            return field;
    }
    for (const Synonym& synonym : kSynonyms) {
        if (key == synonym.name)
            return synonym.field;
    }
    return std::nullopt;
}

}  // namespace

std::optional<CoinField> GuessCsvField(std::string_view heading)
{
    const std::string key = Normalized(heading);
    if (key.empty())
        return std::nullopt;
    if (std::optional<CoinField> field = Lookup(key))
        return field;
    if (key.size() > 3 && key.ends_with("ies")) {  // "Countries", "Categories"
        if (std::optional<CoinField> field = Lookup(key.substr(0, key.size() - 3) + "y"))
            return field;
    }
    if (key.size() > 2 && key.ends_with("es")) {
        if (std::optional<CoinField> field = Lookup(key.substr(0, key.size() - 2)))
            return field;
    }
    if (key.size() > 1 && key.ends_with('s'))
        return Lookup(key.substr(0, key.size() - 1));
    return std::nullopt;
}

CsvColumnMap GuessCsvColumnMap(const std::vector<std::string>& headings)
{
    CsvColumnMap map;
    std::array<bool, kCoinFieldCount> taken{};
    for (const std::string& heading : headings) {
        std::optional<CoinField> field = GuessCsvField(heading);
        if (field && taken[FieldIndex(*field)] && *field != CoinField::Description)
            field.reset();
        if (field)
            taken[FieldIndex(*field)] = true;
        map.push_back(field);
    }
    return map;
}

std::string_view CsvJoinSeparator(CoinField field)
{
    return field == CoinField::Description ? "\n" : " ";
}

std::vector<CoinField> JoinedFields(const CsvColumnMap& map)
{
    std::array<int, kCoinFieldCount> columns{};
    for (const std::optional<CoinField>& field : map) {
        if (field)
            ++columns[FieldIndex(*field)];
    }
    std::vector<CoinField> joined;
    for (CoinField field : kCoinFields) {
        if (columns[FieldIndex(field)] > 1)
            joined.push_back(field);
    }
    return joined;
}
