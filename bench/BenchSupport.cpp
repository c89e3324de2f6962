#include "BenchSupport.h"

#include <sys/resource.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string_view>

namespace {

// SplitMix64: small, fast, and the same on every platform, unlike the standard distributions.
class Random {
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t Next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    // 0 <= result < n.
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }

    // True with the probability `percent` / 100.
    bool Percent(int percent) { return Below(100) < percent; }

    template <typename T, std::size_t N>
    const T& Pick(const std::array<T, N>& items)
    {
        return items[static_cast<std::size_t>(Below(static_cast<int>(N)))];
    }

private:
    std::uint64_t m_state;
};

using Words = std::string_view;

constexpr std::array<Words, 24> kDenominations = {
    "1",  "2",    "5",      "10",      "20",     "25",    "50",      "100",
    "Half", "Quarter", "1/2", "1/4",    "3",      "250",   "500",     "1000",
    "Double", "Triple", "6",  "12",     "4",      "40",    "200",     "2 1/2",
};

constexpr std::array<Words, 30> kUnits = {
    "Euro",     "Cent",     "Francs",   "Mark",      "Pfennig",  "Kreuzer", "Ducat",
    "Crown",    "Shilling", "Pence",    "Sovereign", "Drachmes", "Lire",    "Pesetas",
    "Escudos",  "Kopeks",   "Roubles",  "Złotych",   "Korun",    "Forint",  "Gulden",
    "Dollars",  "Yen",      "Rupees",   "Reais",     "Pesos",    "Thaler",  "Øre",
    "Копеек",   "Δραχμές",
};

constexpr std::array<Words, 12> kKinds = {
    "", "", "", "", " Commemorative", " Proof", " Token", " Trial strike",
    " Bullion", " Restrike", " Pattern", " Jubilee issue",
};

constexpr std::array<Words, 36> kCountries = {
    "France",        "Deutschland", "Österreich", "Ελλάδα",      "Россия",    "Česko",
    "Polska",        "España",      "Italia",     "Nederland",   "België",    "Schweiz",
    "Sverige",       "Danmark",     "Norge",      "Suomi",       "Magyarország", "Türkiye",
    "United Kingdom", "Ireland",    "Portugal",   "United States", "Canada",  "México",
    "Brasil",        "Argentina",   "Australia",  "Japan",       "India",     "Україна",
    "България",      "Србија",      "Ísland",     "Lietuva",     "Latvija",   "Eesti",
};

constexpr std::array<Words, 10> kConditions = {
    "Poor", "Fair", "Good", "Very Good", "Fine", "Very Fine", "Extremely Fine",
    "About Uncirculated", "Uncirculated", "Proof",
};

constexpr std::array<Words, 16> kCategories = {
    "Circulation", "Commemorative", "Tokens",    "Bullion",     "Ancient",  "Medieval",
    "Error coins", "Patterns",      "Proof sets", "Gold",       "Silver",   "Colonial",
    "Siege money", "Trade coins",   "Medals",    "World War II",
};

constexpr std::array<Words, 12> kMintMarks = {
    "", "", "", "", "D", "S", "P", "A", "R", "CC", "KM", "MM",
};

constexpr std::array<Words, 5> kCurrencies = {"", "", "€", "$", "£"};

constexpr std::array<Words, 24> kPhrases = {
    "struck in silver",        "with a reeded edge",       "toned on the reverse",
    "a small rim nick at 3 o'clock", "from the estate of a collector in Lyon",
    "portrait of the monarch facing left", "arms of the city on the reverse",
    "mintage of about 40,000", "weakly struck at the centre",  "bought at the spring fair",
    "cleaned long ago",        "original lustre in the fields", "die crack through the date",
    "Ελληνική έκδοση",         "выпуск для обращения",      "très belle patine",
    "the legend reads DEI GRATIA", "holed and plugged",     "in its original holder",
    "graded by the dealer",    "a pair with the coin beside it", "rare with this mint mark",
    "from a roll found in 1998", "light wear on the high points",
};

std::string Price(Random& random)
{
    if (random.Percent(15))
        return {};
    std::string price(random.Pick(kCurrencies));
    price += std::to_string(random.Below(400));
    price += '.';
    const int cents = random.Below(4) * 25;
    if (cents < 10)
        price += '0';
    price += std::to_string(cents);
    if (random.Percent(3)) {
        price += " (1/2 = ";
        price += std::to_string(random.Below(200));
        price += ".00)";
    }
    return price;
}

std::string Date(Random& random)
{
    if (random.Percent(20))
        return {};
    const int year = 1975 + random.Below(50);
    const int month = 1 + random.Below(12);
    const int day = 1 + random.Below(28);
    std::string date = std::to_string(year);
    date += month < 10 ? "-0" : "-";
    date += std::to_string(month);
    date += day < 10 ? "-0" : "-";
    date += std::to_string(day);
    return date;
}

std::string Sentence(Random& random, int phrases)
{
    std::string text;
    for (int i = 0; i < phrases; ++i) {
        text += i == 0 ? "" : ", ";
        text += random.Pick(kPhrases);
    }
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z')
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text + '.';
}

std::string Description(Random& random)
{
    const int kind = random.Below(100);
    std::string text;
    if (kind < 40)
        return text;
    if (kind < 75) {
        text = Sentence(random, 1);
    } else if (kind < 95) {
        text = Sentence(random, 3 + random.Below(3));
    } else {
        // A long description of several lines, as pasted from a dealer's listing.
        const int lines = 3 + random.Below(5);
        for (int i = 0; i < lines; ++i) {
            text += i == 0 ? "" : "\n";
            text += Sentence(random, 2 + random.Below(6));
        }
    }
    if (random.Percent(3))
        text += " Grade: obverse = VF, reverse = EF.";
    return text;
}

CoinRecord MakeCoin(Random& random, int index)
{
    CoinRecord coin;
    std::string name(random.Pick(kDenominations));
    name += ' ';
    name += random.Pick(kUnits);
    name += random.Pick(kKinds);
    coin.Set(CoinField::Name, name);
    coin.Set(CoinField::Year, std::to_string(1700 + random.Below(325)));
    if (!random.Percent(10))
        coin.Set(CoinField::FaceValue, name.substr(0, name.find(' ', name.find(' ') + 1)));
    coin.Set(CoinField::Country, random.Pick(kCountries));
    coin.Set(CoinField::MintMarks, random.Pick(kMintMarks));
    coin.Set(CoinField::Condition, random.Pick(kConditions));
    coin.Set(CoinField::PurchasePrice, Price(random));
    coin.Set(CoinField::PurchaseDate, Date(random));
    coin.Set(CoinField::CurrentValue, Price(random));
    coin.Set(CoinField::ValuationDate, Date(random));
    coin.Set(CoinField::Category, random.Pick(kCategories));
    if (random.Percent(30))
        coin.Set(CoinField::Image, "images/coin-" + std::to_string(index) + ".png");
    coin.Set(CoinField::Description, Description(random));
    return coin;
}

long ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return 0;
}

long PeakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

std::vector<CoinRecord> GenerateCoins(int count)
{
    Random random(20240517);
    std::vector<CoinRecord> coins;
    coins.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        coins.push_back(MakeCoin(random, i));
    return coins;
}

Collection GenerateCollection(int count)
{
    Collection collection;
    collection.LoadBottomUp(GenerateCoins(count));
    return collection;
}

TempFolder::TempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "numora-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary folder");
    m_path = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

PeakMemory::PeakMemory()
{
    // Writing "5" resets the process's peak resident size to the present one (Linux 4.0 on).
    // Where that is not allowed the counters show the peak of the whole run so far.
    std::ofstream("/proc/self/clear_refs") << "5";
    m_startKiB = ResidentKiB();
}

void PeakMemory::Report(benchmark::State& state) const
{
    const long peak = PeakKiB();
    state.counters["peak_MiB"] = static_cast<double>(peak) / 1024.0;
    state.counters["added_MiB"] = static_cast<double>(peak - m_startKiB) / 1024.0;
}

void ReportRowRate(benchmark::State& state, long long rowsPerIteration)
{
    state.counters["rows/s"] = benchmark::Counter(
        static_cast<double>(rowsPerIteration) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate);
}
