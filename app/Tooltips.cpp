#include "app/Tooltips.h"

#include <QHash>

QString TooltipText(int controlId)
{
    static const QHash<int, QString> tips = {
        {1, QStringLiteral("This button will save your data, save your preferences and then quit the program.")},
        {1000, QStringLiteral("This button adds the coin contained in the fields to the list below.")},
        {1001, QStringLiteral("This button updates the Coin contained in the fields to the list below.")},
        {1002, QStringLiteral("This button deletes the currently selected Coin in the list.")},
        {1003, QStringLiteral("This button clears the data entry fields.")},
        {1004, QStringLiteral("This list displays all of the coins currently in your list.")},
        {1005, QStringLiteral("Enter or Update the Title of the Coin here.")},
        {1006, QStringLiteral("Enter or Update the year the Coin was made here.")},
        {1007, QStringLiteral("Enter or Update the face value of the Coin here.")},
        {1008, QStringLiteral("The URL or path where the image will appear on your website or disk.")},
        {1009, QStringLiteral("Enter or Update the price you purchased the coin for here.")},
        {1010, QStringLiteral("Enter or Update the date you purchased the coin here.")},
        {1011, QStringLiteral("Enter or Update the price of the valuation or sale of the coin here.")},
        {1012, QStringLiteral("Enter or Update the date of the valuation or sale of the coin here.")},
        {1013, QStringLiteral("Enter or Update the mint marks on the coin here.")},
        {1014, QStringLiteral("Enter a description of the coin here.")},
        {1015, QStringLiteral("This button will take you to the Vardelle Website for more information.")},
        {1017, QStringLiteral("Enter, Update or Choose the condition of your coin from the list.")},
        {1019, QStringLiteral("Enter, Update or Choose a country of your coin from the list.")},
        {1022, QStringLiteral("Enter, Update or Choose a category from the list.")},
        {1024, QStringLiteral("This button generates your Catalogue page.")},
        {1025, QStringLiteral("This button generates your Report page.")},
        {1026, QStringLiteral("This button displays a calendar so that you can select a pruchase date for your coin.")},
        {1027, QStringLiteral("This button displays a calendar so that you can select a valuation date for your coin.")},
        {1028, QStringLiteral("This button will display the preferences window and allow you to edit them.")},
    };
    return tips.value(controlId);
}
