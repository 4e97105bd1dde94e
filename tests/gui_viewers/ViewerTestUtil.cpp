#include "ViewerTestUtil.h"

#include "misc/CxDateTime.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTabWidget>
#include <QTreeWidget>

namespace viewertest {

double Ole(int year, int month, int day, int hour, int minute, int second)
{
    SystemTime time;
    time.wYear = static_cast<std::uint16_t>(year);
    time.wMonth = static_cast<std::uint16_t>(month);
    time.wDay = static_cast<std::uint16_t>(day);
    time.wHour = static_cast<std::uint16_t>(hour);
    time.wMinute = static_cast<std::uint16_t>(minute);
    time.wSecond = static_cast<std::uint16_t>(second);
    double date = 0;
    SystemTimeToVariantTime(time, &date);
    return date;
}

namespace {

QString ShownOne(const QWidget* root, const QString& name)
{
    auto* control = root->findChild<QWidget*>(name);
    if (!control)
        return "?" + name;
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        return edit->text();
    if (auto* memo = qobject_cast<QPlainTextEdit*>(control))
        return memo->toPlainText();
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        return button->isChecked() ? "on" : "off";
    if (auto* box = qobject_cast<QComboBox*>(control))
        return box->currentText();
    if (auto* list = qobject_cast<QTreeWidget*>(control)) {
        QStringList rows;
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = list->topLevelItem(i);
            rows << item->text(0) + "|" + item->text(1);
        }
        return rows.join('\n');
    }
    if (auto* pages = qobject_cast<QTabWidget*>(control)) {
        QStringList captions;
        for (int i = 0; i < pages->count(); ++i) {
            if (pages->isTabVisible(i))
                captions << (i == pages->currentIndex() ? "*" : "") + pages->tabText(i);
        }
        return captions.join(',');
    }
    return "?" + name;
}

} // namespace

QString Shown(const QWidget* root, const QString& names)
{
    QStringList texts;
    for (const QString& name : names.split(','))
        texts << ShownOne(root, name);
    return texts.join(',');
}

void FillContact(ContactRecord& r)
{
    Put(r.RecordID, "C-000123");
    Put(r.RecordCreator, "Chris Manager");
    Put(r.LastEditedBy, "Pat Editor");
    Put(r.RecordManager, "Sam Owner");
    Put(r.Category, "Customer / Key Account");
    Put(r.NamePrefix, "Dr.");
    Put(r.NameSuffix, "Jr.");
    Put(r.FirstName, "Margaret");
    Put(r.MiddleName, "Anne");
    Put(r.LastName, "Whitfield-Henderson");
    Put(r.FullName, "Dr. Margaret Anne Whitfield");
    Put(r.Salutation, "Margaret");
    Put(r.ReferredBy, "Trade fair 2007");
    Put(r.Company, "Northbridge Engineering and Supplies Ltd.");
    Put(r.Department, "Procurement");
    Put(r.Title, "Head of Purchasing");
    Put(r.BusinessCountry, "United Kingdom");
    Put(r.BusinessState, "Greater Manchester");
    Put(r.BusinessCity, "Manchester");
    Put(r.BusinessAddress1, "Unit 14, Riverside Business Park");
    Put(r.BusinessAddress2, "Trafford Wharf Road");
    Put(r.BusinessAddress3, "Building C, Second Floor");
    Put(r.BusinessPostal, "M17 1AB");
    Put(r.HomeCountry, "United Kingdom");
    Put(r.HomeState, "Cheshire");
    Put(r.HomeCity, "Altrincham");
    Put(r.HomeAddress1, "27 Orchard Lane");
    Put(r.HomeAddress2, "Hale Barns");
    Put(r.HomeAddress3, "c/o The Lodge");
    Put(r.HomePostal, "WA15 0QR");
    Put(r.BusinessPhone, "+44 161 555 0147");
    Put(r.HomePhone, "+44 161 555 0199");
    Put(r.MobilePhone, "+44 7700 900123");
    Put(r.Pager, "+44 7623 555012");
    Put(r.Fax, "+44 161 555 0148");
    Put(r.AlternatePhone, "+44 161 555 0150");
    Put(r.FaxExtension, "2");
    Put(r.PagerExtension, "77");
    Put(r.BusinessPhoneExtension, "12");
    Put(r.HomePhoneExtension, "3");
    Put(r.MobilePhoneExtension, "9");
    Put(r.AlternatePhoneExtension, "4410");
    Put(r.BusinessEmail, "margaret.whitfield@northbridge-engineering.example.co.uk");
    Put(r.PersonalEmail, "maggie.whitfield@mail.example.org");
    Put(r.Website, "https://www.northbridge-engineering.example.co.uk/people/purchasing/margaret-whitfield");
    Put(r.InstantMessenger, "mwhitfield.northbridge");
    Put(r.SpouseName, "Jonathan Whitfield");
    for (int i = 0; i < 10; ++i)
        Put(r.UserDefined[i], "Custom value number " + std::to_string(i + 1) + " of the contact");
    Put(r.LastResults, "Sent the revised quotation; call back after the budget meeting");
    r.IsUser = false;
    r.IsImported = true;
    r.IsPrivate = true;
    r.Birthday = Ole(1962, 7, 14);
    r.CreateDate = Ole(2004, 2, 3, 9, 15, 0);
    r.EditDate = Ole(2008, 3, 5, 14, 7, 9);
    r.LastAttempt = Ole(2008, 2, 28, 16, 45, 30);
    r.LastEmail = Ole(2008, 3, 1, 8, 2, 11);
    r.LastMeeting = Ole(2008, 1, 17, 10, 0, 0);
    r.LastReach = Ole(2008, 2, 27, 11, 30, 0);
    r.LastLetter = Ole(2007, 12, 12, 15, 20, 5);
    Put(r.SecondaryFirstName, "Thomas");
    Put(r.SecondaryLastName, "Okafor");
    Put(r.SecondaryContact, "Thomas Okafor");
    Put(r.SecondaryCompany, "Northbridge Engineering and Supplies Ltd.");
    Put(r.SecondaryTitle, "Assistant Buyer");
    Put(r.SecondaryCountry, "United Kingdom");
    Put(r.SecondaryState, "Greater Manchester");
    Put(r.SecondaryCity, "Salford");
    Put(r.SecondaryAddress1, "Unit 14, Riverside Business Park");
    Put(r.SecondaryAddress2, "Trafford Wharf Road");
    Put(r.SecondaryAddress3, "Building C, Reception");
    Put(r.SecondaryPostal, "M17 1AB");
    Put(r.SecondaryPhone, "+44 161 555 0160");
    Put(r.SecondaryMobilePhone, "+44 7700 900456");
    Put(r.SecondaryFax, "+44 161 555 0161");
    Put(r.SecondaryPhoneExtension, "31");
    Put(r.SecondaryEmail, "thomas.okafor@northbridge-engineering.example.co.uk");
    Put(r.SecondaryWebsite, "https://www.northbridge-engineering.example.co.uk/people/purchasing/thomas-okafor");
    Put(r.SecondaryCategory, "Customer / Purchasing team");
    r.SecondaryIsPrivate = true;
}

void FillCalendar(CalendarRecord& r)
{
    Put(r.RecordID, "D-004711");
    Put(r.Regarding, "Quarterly review of the framework agreement with the purchasing team");
    Put(r.Location, "Northbridge Engineering, meeting room 3, Trafford Wharf Road, Manchester");
    Put(r.Details, "Agenda:\r\n1. Delivery times of the last quarter\r\n2. Price review for 2008\r\n"
                   "3. New contact persons\r\n\r\nBring the signed copy of the agreement.");
    r.EventType = 1;
    r.StartTime = Ole(2008, 3, 5, 14, 0, 0);
    r.EndTime = Ole(2008, 3, 5, 15, 30, 0);
    r.CreateTime = Ole(2008, 1, 10, 9, 12, 44);
    r.EditDate = Ole(2008, 2, 20, 17, 3, 1);
    r.RecurDays = 34;
    r.RecurByDate = 1;
    r.RecurInterval = 2;
    r.RecurType = 2;
    r.RecurEndDate = Ole(2008, 12, 31);
    r.IsPrivate = true;
    r.IsTimeless = true;
}

void FillTask(TaskRecord& r)
{
    Put(r.RecordID, "T-000815");
    Put(r.Regarding, "Send the revised quotation for the spare parts to Margaret Whitfield");
    Put(r.ExtraText, "Opportunity 2008/17");
    Put(r.Details, "Include the volume discount agreed on the phone.\r\nCopy to accounts.");
    r.Priority = 2;
    r.IsCompleted = true;
    r.IsPrivate = true;
    r.DueDate = Ole(2008, 3, 14);
    r.CreateTime = Ole(2008, 3, 1, 8, 30, 0);
    r.EditDate = Ole(2008, 3, 5, 14, 7, 9);
}

void FillNote(NoteRecord& r)
{
    Put(r.RecordID, "N-002468");
    Put(r.CreateUserName, "Chris Manager");
    Put(r.EditUserName, "Pat Editor");
    Put(r.ManageUserName, "Sam Owner");
    Put(r.NoteText, "Called about the delayed delivery.\r\nShe asked for a written confirmation of the new date "
                    "and a credit note for the freight costs.\r\n\r\nFollow-up: send both by Friday.");
    r.Private = true;
    r.CreateTime = Ole(2008, 2, 27, 11, 32, 15);
    r.EditTime = Ole(2008, 2, 28, 9, 0, 0);
}

} // namespace viewertest
