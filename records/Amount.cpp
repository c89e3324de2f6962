#include "records/Amount.h"

#include <array>
#include <limits>

#include "records/Utf8.h"

namespace {

enum class Kind {
    Digit,
    Point,       // "." or ",": decimal or thousands separator
    Apostrophe,  // ' or ’: thousands separator only
    Space,       // space, no-break space, thin spaces: thousands separator only between digits
    Minus,       // - or −
    Dash,        // – or —, which close "25.–"
    Currency,    // a currency sign: may stand between a minus and the digits
    Cent,        // ¢
    Refused,     // a character that makes the whole text unreadable
    Other,       // letters, brackets, anything else: ignored
};

Kind KindOf(char32_t c)
{
    if (c >= U'0' && c <= U'9')
        return Kind::Digit;
    switch (c) {
    case U'.':
    case U',':
        return Kind::Point;
    case U'\'':
    case 0x2019:
        return Kind::Apostrophe;
    case U' ':
    case 0xA0:
    case 0x2009:
    case 0x202F:
        return Kind::Space;
    case U'-':
    case 0x2212:
        return Kind::Minus;
    case 0x2013:
    case 0x2014:
        return Kind::Dash;
    case U'$':
    case 0xA3:
    case 0xA5:
    case 0x192:
        return Kind::Currency;
    case 0xA2:
        return Kind::Cent;
    // Bounds, shares and doubt: the number is not the amount.
    case U'<':
    case U'>':
    case U'%':
    case U'?':
    case 0x2030:
    case 0x2264:
    case 0x2265:
    // Numbers in other forms than ASCII digits.
    case 0xB2:
    case 0xB3:
    case 0xB9:
    case 0xBC:
    case 0xBD:
    case 0xBE:
        return Kind::Refused;
    default:
        break;
    }
    if (c >= 0x20A0 && c <= 0x20CF)
        return Kind::Currency;
    const bool otherDigit = (c >= 0x660 && c <= 0x669) || (c >= 0x6F0 && c <= 0x6F9) ||
                            (c >= 0x966 && c <= 0x96F) || (c >= 0x2070 && c <= 0x2089) ||
                            (c >= 0x2150 && c <= 0x218B) || (c >= 0x2460 && c <= 0x24FF) ||
                            (c >= 0xFF10 && c <= 0xFF19);
    return otherDigit ? Kind::Refused : Kind::Other;
}

bool IsAsciiLetter(char32_t c) { return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z'); }

// A character of the text with its place, so that the reader can look back and ahead.
struct Char {
    char32_t c = 0;
    Kind kind = Kind::Other;
    std::size_t begin = 0;
    std::size_t end = 0;
};

class Cursor {
public:
    explicit Cursor(std::string_view text) : m_text(text) {}

    // The character at byte `i`; a character of kind Other with c == 0 past the end.
    Char At(std::size_t i) const
    {
        Char ch;
        ch.begin = i;
        ch.end = i;
        if (i >= m_text.size())
            return ch;
        std::size_t length = 0;
        ch.c = DecodeUtf8(m_text, i, length);
        ch.kind = KindOf(ch.c);
        ch.end = i + length;
        return ch;
    }

    // The character that ends at byte `i`, found by stepping over continuation bytes.
    Char Before(std::size_t i) const
    {
        if (i == 0)
            return Char{};
        std::size_t begin = i - 1;
        while (begin > 0 && i - begin < 4 &&
               (static_cast<unsigned char>(m_text[begin]) & 0xC0) == 0x80)
            --begin;
        const Char ch = At(begin);
        return ch.end == i ? ch : At(i - 1);
    }

    std::size_t Size() const { return m_text.size(); }

private:
    std::string_view m_text;
};

// The digits and separators of one number as written.
struct Token {
    static constexpr int kMaxGroups = 16;
    std::array<std::size_t, kMaxGroups> groupBegin{};  // byte offsets of each digit group
    std::array<int, kMaxGroups> groupLength{};         // digits in each group
    std::array<char32_t, kMaxGroups> separator{};      // separator before group i (i >= 1)
    std::array<Kind, kMaxGroups> separatorKind{};
    int groups = 0;
    std::size_t end = 0;  // past the number, and past a "-" that marks a whole amount ("25,-")
};

constexpr int kMaxIntegerDigits = 12;

// Counts the digits from byte `i` on.
int DigitsAt(const Cursor& cursor, std::size_t i)
{
    int count = 0;
    for (Char ch = cursor.At(i); ch.kind == Kind::Digit; ch = cursor.At(ch.end))
        ++count;
    return count;
}

// Reads the digits and separators of a number starting at byte `i` (a digit, or a point
// directly followed by a digit). False when it has more groups than any amount has.
bool ReadToken(const Cursor& cursor, std::size_t i, Token& token)
{
    Char ch = cursor.At(i);
    if (ch.kind == Kind::Point) {
        // ".50": an empty whole part before the separator.
        token.groupBegin[0] = i;
        token.groupLength[0] = 0;
        token.groups = 1;
        token.separator[1] = ch.c;
        token.separatorKind[1] = ch.kind;
        i = ch.end;
    }
    for (;;) {
        if (token.groups == Token::kMaxGroups)
            return false;
        const int g = token.groups++;
        token.groupBegin[g] = i;
        token.groupLength[g] = DigitsAt(cursor, i);
        i += static_cast<std::size_t>(token.groupLength[g]);  // digits are one byte each

        const Char sep = cursor.At(i);
        if (sep.kind != Kind::Point && sep.kind != Kind::Apostrophe && sep.kind != Kind::Space)
            break;
        const int following = DigitsAt(cursor, sep.end);
        if (following == 0)
            break;
        // A space or an apostrophe groups thousands only; before any other count of digits it
        // separates two numbers ("5 6").
        if (sep.kind != Kind::Point && following != 3)
            break;
        token.separator[g + 1] = sep.c;
        token.separatorKind[g + 1] = sep.kind;
        i = sep.end;
    }
    token.end = i;

    // "25,-", "25.–", "25,--": a whole amount, the way prices are written in shops.
    const Char point = cursor.At(i);
    if (point.kind == Kind::Point) {
        std::size_t j = point.end;
        Char dash = cursor.At(j);
        int dashes = 0;
        while ((dash.kind == Kind::Minus || dash.kind == Kind::Dash) && dashes < 2) {
            ++dashes;
            j = dash.end;
            dash = cursor.At(j);
        }
        if (dashes > 0 && dash.kind != Kind::Digit)
            token.end = j;
    }
    return true;
}

struct Number {
    Cents units = 0;     // the whole part
    int hundredths = 0;  // the decimals as hundredths
    bool hasDecimals = false;
};

// The value of a token, or nullopt when its separators allow more than one reading or none.
std::optional<Number> Interpret(std::string_view text, const Token& token)
{
    // Which separator is the decimal one, if any: index of the group after it, or 0.
    int decimalAt = 0;
    int points[2] = {0, 0};  // counts of "." and ","
    bool otherGroupers = false;
    for (int g = 1; g < token.groups; ++g) {
        if (token.separatorKind[g] == Kind::Point)
            ++points[token.separator[g] == U'.' ? 0 : 1];
        else
            otherGroupers = true;
    }
    const int last = token.groups - 1;
    const bool lastIsPoint = last >= 1 && token.separatorKind[last] == Kind::Point;
    const bool leadingPoint = token.groupLength[0] == 0;
    if (leadingPoint) {
        if (token.groups != 2)
            return std::nullopt;
        decimalAt = 1;
    } else if (points[0] > 0 && points[1] > 0) {
        // Both kinds: the last separator is the decimal one and appears once.
        if (!lastIsPoint || points[token.separator[last] == U'.' ? 0 : 1] != 1)
            return std::nullopt;
        decimalAt = last;
    } else if (points[0] + points[1] == 1 && lastIsPoint) {
        const int after = token.groupLength[last];
        if (otherGroupers || after <= 2)
            decimalAt = last;
        else if (after != 3)
            return std::nullopt;  // "1.2345": four decimals, or grouping by four
        // Three digits after a lone point: thousands, unless the whole part is a bare 0.
        else if (token.groupLength[0] == 1 && text[token.groupBegin[0]] == '0')
            return std::nullopt;
    } else if (points[0] + points[1] == 1) {
        return std::nullopt;  // "1.234 567": a point that neither ends nor groups the number
    }

    // Every separator before the decimal one groups thousands: all of one kind (spaces of
    // any width count as one kind), the first group of one to three digits, the others three.
    const int integerGroups = decimalAt == 0 ? token.groups : decimalAt;
    for (int g = 1; g < integerGroups; ++g) {
        if (token.groupLength[g] != 3)
            return std::nullopt;
        if (g >= 2 && (token.separatorKind[g] != token.separatorKind[1] ||
                       (token.separatorKind[g] != Kind::Space &&
                        token.separator[g] != token.separator[1])))
            return std::nullopt;
    }
    if (integerGroups > 1 && token.groupLength[0] > 3)
        return std::nullopt;
    if (decimalAt != 0 && (token.groupLength[decimalAt] < 1 || token.groupLength[decimalAt] > 2))
        return std::nullopt;

    Number number;
    int significant = 0;
    for (int g = 0; g < integerGroups; ++g) {
        for (int k = 0; k < token.groupLength[g]; ++k) {
            const int digit = text[token.groupBegin[g] + static_cast<std::size_t>(k)] - '0';
            if (significant == 0 && digit == 0)
                continue;
            if (++significant > kMaxIntegerDigits)
                return std::nullopt;
            number.units = number.units * 10 + digit;
        }
    }
    if (decimalAt != 0) {
        number.hasDecimals = true;
        const std::size_t at = token.groupBegin[decimalAt];
        number.hundredths = (text[at] - '0') * 10;
        if (token.groupLength[decimalAt] == 2)
            number.hundredths += text[at + 1] - '0';
    }
    return number;
}

// True when the text after a number names hundredths: "50¢", "50c", "25 cents", "50p".
bool NamesHundredths(const Cursor& cursor, std::string_view text, std::size_t i)
{
    Char ch = cursor.At(i);
    while (ch.kind == Kind::Space)
        ch = cursor.At(ch.end);
    if (ch.kind == Kind::Cent)
        return true;
    std::size_t end = ch.begin;
    while (end < text.size() && IsAsciiLetter(static_cast<unsigned char>(text[end])))
        ++end;
    if (end == ch.begin)
        return false;
    // A word that goes on in letters outside ASCII ("centésimos") is some other word.
    if (end < text.size() && static_cast<unsigned char>(text[end]) >= 0x80 &&
        cursor.At(end).kind == Kind::Other)
        return false;
    std::string word(text.substr(ch.begin, end - ch.begin));
    for (char& c : word)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    static constexpr std::array<std::string_view, 9> kWords = {
        "c", "ct", "cts", "cent", "cents", "centimes", "centavos", "p", "pence"};
    for (std::string_view w : kWords) {
        if (word == w)
            return true;
    }
    return false;
}

// True when a minus sign stands directly before the number at byte `i`, or before the
// currency sign directly before it: "-5", "-$5", "$-5".
bool IsNegative(const Cursor& cursor, std::size_t i)
{
    Char before = cursor.Before(i);
    if (before.kind == Kind::Currency)
        before = cursor.Before(before.begin);
    if (before.kind != Kind::Minus)
        return false;
    // "10-20" is a range, not a negative second number; it is refused for its two numbers.
    const Char prior = cursor.Before(before.begin);
    return prior.kind != Kind::Digit;
}

}  // namespace

std::optional<Cents> ReadAmount(std::string_view text)
{
    const Cursor cursor(text);
    std::optional<Cents> amount;
    std::size_t i = 0;
    while (i < text.size()) {
        const Char ch = cursor.At(i);
        if (ch.kind == Kind::Refused)
            return std::nullopt;
        bool startsNumber = ch.kind == Kind::Digit;
        if (ch.kind == Kind::Point && cursor.At(ch.end).kind == Kind::Digit) {
            // ".50" is a number; in "Fr.50" and "No.5" the point ends an abbreviation.
            const Char before = cursor.Before(i);
            startsNumber = !IsAsciiLetter(before.c) && before.kind != Kind::Digit;
        }
        if (!startsNumber) {
            i = ch.end;
            continue;
        }
        if (amount)
            return std::nullopt;  // a second number
        Token token;
        if (!ReadToken(cursor, i, token))
            return std::nullopt;
        const std::optional<Number> number = Interpret(text, token);
        if (!number)
            return std::nullopt;
        Cents cents = number->units * 100 + number->hundredths;
        if (NamesHundredths(cursor, text, token.end)) {
            if (number->hasDecimals)
                return std::nullopt;  // "2.5c"
            cents = number->units;
        }
        amount = IsNegative(cursor, i) ? -cents : cents;
        i = token.end;
    }
    return amount;
}

std::string AmountText(Cents amount)
{
    // Built from the unsigned magnitude, so that the smallest value has a text too.
    const bool negative = amount < 0;
    std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(amount)
                                       : static_cast<std::uint64_t>(amount);
    std::string digits = std::to_string(magnitude / 100);
    std::string text;
    for (std::size_t k = 0; k < digits.size(); ++k) {
        if (k > 0 && (digits.size() - k) % 3 == 0)
            text += ',';
        text += digits[k];
    }
    const auto hundredths = static_cast<int>(magnitude % 100);
    text += '.';
    text += static_cast<char>('0' + hundredths / 10);
    text += static_cast<char>('0' + hundredths % 10);
    return negative ? "-" + text : text;
}

Cents AddAmounts(Cents a, Cents b)
{
    Cents sum = 0;
    if (__builtin_add_overflow(a, b, &sum))
        return b > 0 ? std::numeric_limits<Cents>::max() : std::numeric_limits<Cents>::min();
    return sum;
}
