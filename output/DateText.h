#pragma once

#include <string>

// The one form in which the program writes dates: year, month and day joined by hyphens, the
// month and day with two digits (2005-03-07). Formed from the calendar date itself, never
// through a count of seconds, so any year is written as it is; for the years 1000 to 9999 the
// texts sort chronologically.
std::string DateText(int year, int month, int day);
