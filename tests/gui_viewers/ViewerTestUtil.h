#pragma once

#include "TestUtil.h"

#include "ACT/ACTRecords.h"

#include <QString>

#include <ostream>
#include <string_view>

class QWidget;

namespace viewertest {

inline void Put(const char*& field, std::string_view text)
{
    field = testutil::keep(text);
}

// The OLE Automation date of a local calendar time.
double Ole(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

// What the named control of `root` shows, as one text: an edit or memo its text, a check box or radio
// button "on" or "off", a drop-down its current item, a list its rows as "label|content" lines, a page
// control its visible page captions with the current one starred ("*General,Notes"). Several names
// joined by commas give the texts joined by commas. "?name" when there is no such control.
QString Shown(const QWidget* root, const QString& names);

// Records with every field filled.
void FillContact(ContactRecord& r);
void FillCalendar(CalendarRecord& r);
void FillTask(TaskRecord& r);
void FillNote(NoteRecord& r);

} // namespace viewertest

// Test failures print texts as texts.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
