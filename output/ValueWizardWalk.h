#pragma once

#include <string>

#include "records/Collection.h"

// What one showing of the value wizard displays and hands back.
struct WizardShowing {
    int index = 0;  // row of the item shown, 0 = top
    int last = 0;   // row of the last item
    std::string name, year, faceValue, country;
    std::string value;  // Current Value, the one field the user edits
    std::string date;   // valuation date to store: today's date text
};

// How a showing of the wizard was closed.
enum class WizardClose { Ok, Next, Back, Cancel };

// The walk of the value wizard over the rows, from the top. Each closing of the dialog writes
// back exactly the item shown: its Current Value and Valuation Date take the showing's value and
// date (for Cancel, the value the showing began with). Next and Back move to the neighbouring
// row, Cancel shows the same row again, OK ends the walk. Every item shown gets today's date.
class ValueWizardWalk {
public:
    // `today` is today's date text. The collection must outlive the walk.
    ValueWizardWalk(const Collection& collection, std::string today);

    bool Empty() const;

    // The showing for the current position, dated today. Throws std::logic_error when the
    // collection is empty.
    WizardShowing Current() const;

    // Applies a closing of the showing at Position(). `shown` holds the dialog's members after
    // it closed (for Cancel, those the showing began with); its value and date are taken, its
    // index is not: the walk keeps its own position. Returns the row shown with that Current
    // Value and Valuation Date, for the caller to write into that row (the row's other fields
    // are as the collection held them), then moves: Next and Back to the neighbouring row
    // (never past either end), Cancel nowhere, OK ends the walk. Throws std::logic_error when
    // the walk is empty or has finished.
    CoinRecord Close(WizardClose how, const WizardShowing& shown);

    int Position() const { return m_position; }
    bool Finished() const { return m_finished; }

private:
    const Collection& m_collection;
    std::string m_today;
    int m_position = 0;
    bool m_finished = false;
};
