#pragma once

// The tips of the main window's controls, by control ID, in the wording of the earlier
// versions, spelling slips included, since users' notes and screenshots quote them.

#include <string_view>
#include <utility>

inline constexpr std::pair<int, std::string_view> kTooltipTexts[] = {
    {1, "This button will save your data, save your preferences and then quit the program."},
    {1000, "This button adds the coin contained in the fields to the list below."},
    {1001, "This button updates the Coin contained in the fields to the list below."},
    {1002, "This button deletes the currently selected Coin in the list."},
    {1003, "This button clears the data entry fields."},
    {1004, "This list displays all of the coins currently in your list."},
    {1005, "Enter or Update the Title of the Coin here."},
    {1006, "Enter or Update the year the Coin was made here."},
    {1007, "Enter or Update the face value of the Coin here."},
    {1008, "The URL or path where the image will appear on your website or disk."},
    {1009, "Enter or Update the price you purchased the coin for here."},
    {1010, "Enter or Update the date you purchased the coin here."},
    {1011, "Enter or Update the price of the valuation or sale of the coin here."},
    {1012, "Enter or Update the date of the valuation or sale of the coin here."},
    {1013, "Enter or Update the mint marks on the coin here."},
    {1014, "Enter a description of the coin here."},
    {1015, "This button will take you to the Vardelle Website for more information."},
    {1017, "Enter, Update or Choose the condition of your coin from the list."},
    {1019, "Enter, Update or Choose a country of your coin from the list."},
    {1022, "Enter, Update or Choose a category from the list."},
    {1024, "This button generates your Catalogue page."},
    {1025, "This button generates your Report page."},
    {1026, "This button displays a calendar so that you can select a pruchase date for your coin."},
    {1027, "This button displays a calendar so that you can select a valuation date for your coin."},
    {1028, "This button will display the preferences window and allow you to edit them."},
};

// The tip of a control, or an empty text for a control without one.
constexpr std::string_view TooltipText(int controlId)
{
    for (const auto& [id, text] : kTooltipTexts) {
        if (id == controlId)
            return text;
    }
    return {};
}
