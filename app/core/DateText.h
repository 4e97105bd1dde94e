#pragma once

// The texts of a record's dates (OLE Automation dates) wherever one is shown or written: the viewers,
// the comparison pane, the review lists, the cleaning log, the backup and velloran-scan. The forms
// differ in how they treat no date, and each place keeps the one it has always shown.

#include <string>

// "MM/DD/YYYY", "HH:MM:SS", and both joined by a blank, for whatever the value holds: the date is empty
// before 1900 (0, the CRM's no date, and its neighbours), shown for every later year to 9999, and every
// text is empty for a value the calendar cannot take. So 0 gives "", "00:00:00" and " 00:00:00":
// callers that must not show it leave such dates out themselves.
std::string DateText(double date);
std::string TimeText(double date);
std::string DateTimeText(double date);

// As DateText and TimeText, but "N/A" for no date (below 0.001: 0 and every negative value).
std::string DateTextOrNA(double date);
std::string TimeTextOrNA(double date);

// "yyyy-MM-ddTHH:mm:ss", for files other programs read; empty for none (0), and the number itself for a
// value the calendar cannot take, so that nothing is lost.
std::string IsoDateText(double date);
