#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// An amount of money in hundredths of its unit ("cents"), so that totals add up exactly.
using Cents = std::int64_t;

// Reads an amount from a free text as collectors type prices and values. The stored text is
// only read, never changed. The text is read when it holds exactly one number; whatever
// surrounds the number (currency signs and codes, words, spaces, brackets) is ignored. Where a
// text could mean two different amounts, or more than one number, it is refused (nullopt)
// rather than guessed.
//
// The number: digits with at most one decimal separator ("." or ",") followed by one or two
// digits, and separators between groups of three digits (",", ".", an apostrophe ' or ’, a
// space, a no-break space or a thin space). When both "." and "," appear, the last one is the
// decimal separator. A lone "." or "," is a decimal separator when one or two digits follow
// it, and separates thousands when three follow ("1,500" and "1.500" are both 1500.00). A
// space or apostrophe separates thousands only, and only before exactly three digits.
//
// Read (and what they give):
//   "25" 25.00             "25.5" 25.50            "0.75" 0.75            ".50" 0.50
//   "1,234.50" 1234.50     "1.234,50" 1234.50      "1 234,50" 1234.50     "1'234.50" 1234.50
//   "1,234" 1234.00        "1.234" 1234.00         "1,000,000" 1000000.00 "2.000.000,00"
//   "$25" "25$" "US$ 25" "25 EUR" "EUR 25" "€ 1.234,50" "1 234,50 Kč" "CHF 1'234.50"
//   "£3.50" "¥1000" "R$ 12,50" "zł 12,50" "25,-" 25.00 "Fr. 25.–" 25.00 "25,--" 25.00
//   "ca. 30" "approx. $40" "~40" "about 40 dollars" "25.00 each" "(25.00)" "25.00." 25.00
//   "-5" "-$5" "$-5" "−5" -5.00 (a minus sign directly before the number or its currency sign)
//   "50¢" "50c" "25 cents" "10 ct" "50p" "50 pence" "20 centimes": hundredths (0.50, 0.25, ...),
//   which must then be whole numbers.
//
// Refused:
//   "", "free", "n/a", "-", "unknown", "?": no number
//   "10-20", "5 or 6", "2 x 5.00", "1/2", "2005-03-07", "12.50 (2 coins)", "£1 10s 6d", "5 6",
//   "1e3": more than one number
//   "0.125", "1.2345", "12.345,678": more than two decimals
//   "1,23,456", "1.234.5", "1 2345", "12 34", "1,2345": digits grouped other than by three
//   "1.234.567,8.9", "1'234 567": mixed or repeated decimal separators, mixed group separators
//   ">100", "<5", "50%", "25?", "about 25 or more?": bounds, shares and doubtful values
//   "½", "2½", "²", "٣": digits other than 0-9 and fractions
//   "2.5c": a fraction of a cent
//   thirteen or more digits before the decimal separator (a catalogue number, not a price)
std::optional<Cents> ReadAmount(std::string_view text);

// The amount with two decimals, "." as decimal separator and "," between thousands:
// "1,234.50", "-0.05", "0.00".
std::string AmountText(Cents amount);

// a + b, held at the largest or smallest value instead of overflowing.
Cents AddAmounts(Cents a, Cents b);
