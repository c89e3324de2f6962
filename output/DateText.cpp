#include "output/DateText.h"

namespace {

void AppendTwoDigits(std::string& text, int value)
{
    if (value >= 0 && value < 10)
        text += '0';
    text += std::to_string(value);
}

}  // namespace

std::string DateText(int year, int month, int day)
{
    std::string text = std::to_string(year);
    text += '-';
    AppendTwoDigits(text, month);
    text += '-';
    AppendTwoDigits(text, day);
    return text;
}
