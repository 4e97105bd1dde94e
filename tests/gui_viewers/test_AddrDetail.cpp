#include "ViewerTestUtil.h"

#include "gui/viewers/Actaddrdetail.h"

#include "ACT/CxACTAddr.h"

#include <QTabWidget>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <utility>
#include <vector>

using viewertest::Ole;
using viewertest::Put;
using viewertest::Shown;

namespace {

struct AddrCase
{
    const char* name;
    void (*setup)(ContactRecord&);
    // Control name(s) and what they show.
    std::vector<std::pair<const char*, const char*>> shown;
};

const AddrCase kCases[] = {
    {"EmptyContactShowsOnlyIsPrivate",
     [](ContactRecord&) {},
     {{"pMain", "*Phones and Emails,Addresses,Custom Fields,Misc Fields,Secondary Contacts"},
      {"pAddr", "*Work,Home"},
      {"lvPhone", ""},
      {"lvCustom", ""},
      {"lvMisc", ""},
      {"lvSec", "Is Private|No"},
      {"memWorkStreet,memHomeStreet", ","}}},
    {"HeaderBoxes",
     [](ContactRecord& r) {
         Put(r.FullName, "Ann Smith");
         Put(r.FirstName, "Ann");
         Put(r.Company, "Acme");
         Put(r.Title, "Buyer");
     },
     {{"edtDisplayName", "Ann Smith"}, {"edtCompany", "Acme"}, {"edtTitle", "Buyer"}}},
    {"PhonesInOrderWithExtensions",
     [](ContactRecord& r) {
         Put(r.Pager, "6");
         Put(r.Fax, "5");
         Put(r.FaxExtension, "55");
         Put(r.AlternatePhone, "4");
         Put(r.MobilePhone, "3");
         Put(r.HomePhone, "2");
         Put(r.BusinessPhone, "555 0147");
         Put(r.BusinessPhoneExtension, "12");
         Put(r.PersonalEmail, "me@home.example");
         Put(r.BusinessEmail, "me@work.example");
     },
     {{"lvPhone", "Work Phone|555 0147 * 12\nHome Phone|2\nMobile Phone|3\nAlternate Phone|4\nFax|5 * 55\nPager|6\n"
                  "Work Email|me@work.example\nPersonal Email|me@home.example"}}},
    {"ExtensionWithoutNumberGivesNoRow",
     [](ContactRecord& r) {
         Put(r.HomePhoneExtension, "12");
         Put(r.MobilePhone, "0777");
     },
     {{"lvPhone", "Mobile Phone|0777"}}},
    {"StreetLinesSkipEmptyOnes",
     [](ContactRecord& r) {
         Put(r.BusinessAddress1, "Unit 14");
         Put(r.BusinessAddress3, "Building C");
         Put(r.BusinessCity, "Manchester");
         Put(r.BusinessPostal, "M17 1AB");
         Put(r.HomeAddress2, "Hale Barns");
         Put(r.HomeState, "Cheshire");
         Put(r.HomeCountry, "UK");
     },
     {{"memWorkStreet", "Unit 14\nBuilding C"},
      {"edtWorkCity,edtWorkState,edtWorkPostal,edtWorkCountry", "Manchester,,M17 1AB,"},
      {"memHomeStreet", "Hale Barns"},
      {"edtHomeCity,edtHomeState,edtHomePostal,edtHomeCountry", ",Cheshire,,UK"}}},
    {"CustomFieldsKeepTheirNumbers",
     [](ContactRecord& r) {
         Put(r.UserDefined[2], "third");
         Put(r.UserDefined[9], "tenth");
     },
     {{"lvCustom", "3|third\n10|tenth"}}},
    {"MiscTextsInOrder",
     [](ContactRecord& r) {
         Put(r.LastResults, "m");
         Put(r.SpouseName, "l");
         Put(r.InstantMessenger, "k");
         Put(r.Website, "j");
         Put(r.Title, "i");
         Put(r.Department, "h");
         Put(r.Company, "g");
         Put(r.ReferredBy, "f");
         Put(r.Salutation, "e");
         Put(r.Category, "d");
         Put(r.LastEditedBy, "c");
         Put(r.RecordManager, "b");
         Put(r.RecordCreator, "a");
     },
     {{"lvMisc", "Rcord Creator|a\nRecord Manager|b\nLast Edited By|c\nID/Status|d\nSalutation|e\nReferred By|f\n"
                 "Company|g\nDepartment|h\nJob Title|i\nWebsite|j\nMessenger ID|k\nSpouse|l\nLast Results|m"}}},
    {"MiscDatesBirthdayDateOnly",
     [](ContactRecord& r) {
         r.Birthday = Ole(1962, 7, 14, 10, 0, 0);
         r.CreateDate = Ole(2008, 3, 5, 14, 7, 9);
         r.EditDate = Ole(2008, 3, 6, 1, 2, 3);
         r.LastAttempt = Ole(2008, 3, 7);
         r.LastEmail = Ole(2008, 3, 8);
         r.LastMeeting = Ole(2008, 3, 9);
         r.LastReach = Ole(2008, 3, 10);
         r.LastLetter = Ole(2008, 3, 11, 23, 59, 59);
     },
     {{"lvMisc", "Birthday|07/14/1962\nCreate Time|03/05/2008 14:07:09\nEdit Time|03/06/2008 01:02:03\n"
                 "Last Attempt Time|03/07/2008 00:00:00\nLast Email Time|03/08/2008 00:00:00\n"
                 "Last Meet Time|03/09/2008 00:00:00\nLast Reach Time|03/10/2008 00:00:00\n"
                 "Last Letter Time|03/11/2008 23:59:59"}}},
    // Every date but 0 is listed; one before 1900 has no date text, and every later year has one.
    {"NegativeAndFarDatesAreListed",
     [](ContactRecord& r) {
         r.Birthday = -1.5;
         r.CreateDate = -1.5;
         r.EditDate = Ole(2031, 1, 1, 8, 0, 0);
         r.LastAttempt = Ole(2099, 12, 31, 23, 59, 59);
     },
     {{"lvMisc", "Birthday|\nCreate Time| 12:00:00\nEdit Time|01/01/2031 08:00:00\n"
                 "Last Attempt Time|12/31/2099 23:59:59"}}},
    {"BirthdayIn1925", [](ContactRecord& r) { r.Birthday = Ole(1925, 5, 17); }, {{"lvMisc", "Birthday|05/17/1925"}}},
    {"SecondaryContactInOrder",
     [](ContactRecord& r) {
         Put(r.SecondaryCategory, "s");
         Put(r.SecondaryWebsite, "r");
         Put(r.SecondaryEmail, "q");
         Put(r.SecondaryFax, "p");
         Put(r.SecondaryMobilePhone, "o");
         Put(r.SecondaryPhone, "n");
         Put(r.SecondaryPhoneExtension, "31");
         Put(r.SecondaryPostal, "m");
         Put(r.SecondaryAddress3, "l");
         Put(r.SecondaryAddress2, "k");
         Put(r.SecondaryAddress1, "j");
         Put(r.SecondaryCity, "i");
         Put(r.SecondaryState, "h");
         Put(r.SecondaryCountry, "g");
         Put(r.SecondaryTitle, "f");
         Put(r.SecondaryCompany, "e");
         Put(r.SecondaryContact, "c");
         Put(r.SecondaryLastName, "b");
         Put(r.SecondaryFirstName, "a");
         r.SecondaryIsPrivate = true;
     },
     {{"lvSec", "First Name|a\nLast Name|b\nContact|c\nCompany|e\nJob Title|f\nCountry|g\nState|h\nCity|i\n"
                "Address (line 1)|j\nAddress (line 2)|k\nAddress (line 3)|l\nPostal|m\nWork Phone|n * 31\n"
                "Mobile Phone|o\nFax|p\nEmail|q\nWebsite|r\nID/Status|s\nIs Private|Yes"}}},
    {"SecondaryExtensionWithoutPhoneGivesNoRow",
     [](ContactRecord& r) { Put(r.SecondaryPhoneExtension, "31"); },
     {{"lvSec", "Is Private|No"}}},
    // Texts as long as their fields hold are shown whole, and nothing of a neighbouring field with them.
    {"TextsAtFullCapacityAreShownWhole",
     [](ContactRecord& r) {
         Put(r.FullName, std::string(31, 'x'));
         Put(r.Salutation, "Dear");
         Put(r.BusinessPhone, std::string(23, '1'));
         Put(r.FaxExtension, std::string(23, '2'));
     },
     {{"edtDisplayName", "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"}, {"lvPhone", "Work Phone|11111111111111111111111"}}},
};

class AddrDetail : public ::testing::Test
{
protected:
    std::unique_ptr<ContactRecord> record = std::make_unique<ContactRecord>();
    CommAddr entry{record.get(), 0};
    CxACTAddrUtil utility;
};

TEST_F(AddrDetail, RowsAndBoxesOfEachRecord)
{
    for (const AddrCase& c : kCases) {
        SCOPED_TRACE(c.name);
        *record = ContactRecord{};
        c.setup(*record);
        TfmACTAddrDetail viewer(nullptr);
        viewer.SetUtility(&utility);
        viewer.SetEntry(&entry);
        for (const auto& [control, text] : c.shown)
            EXPECT_EQ(Shown(&viewer, control), QString::fromUtf8(text)) << control;
    }
}

TEST_F(AddrDetail, FullRecordShowsEveryRow)
{
    viewertest::FillContact(*record);
    TfmACTAddrDetail viewer(nullptr);
    viewer.SetUtility(&utility);
    viewer.SetEntry(&entry);
    EXPECT_EQ(Shown(&viewer, "lvPhone").count('\n') + 1, 8);
    EXPECT_EQ(Shown(&viewer, "lvCustom").count('\n') + 1, 10);
    EXPECT_EQ(Shown(&viewer, "lvMisc").count('\n') + 1, 21);
    EXPECT_EQ(Shown(&viewer, "lvSec").count('\n') + 1, 19);
    EXPECT_EQ(Shown(&viewer, "memWorkStreet").count('\n') + 1, 3);
    // Long texts are kept whole, even where the column is narrower.
    EXPECT_TRUE(
        Shown(&viewer, "lvMisc")
            .contains(
                "Website|https://www.northbridge-engineering.example.co.uk/people/purchasing/margaret-whitfield"));
}

TEST_F(AddrDetail, NotesPageStaysHiddenAndPhonesComeFirstAfterRefill)
{
    viewertest::FillContact(*record);
    TfmACTAddrDetail viewer(nullptr);
    viewer.SetUtility(&utility);
    viewer.SetEntry(&entry);
    auto* pages = viewer.findChild<QTabWidget*>("pMain");
    ASSERT_NE(pages, nullptr);
    pages->setCurrentIndex(pages->indexOf(viewer.findChild<QWidget*>("tSec")));
    // Filling again empties every list first.
    *record = ContactRecord{};
    Put(record->BusinessPhone, "1");
    EXPECT_TRUE(viewer.FillFromRecord());
    EXPECT_EQ(Shown(&viewer, "pMain"), "*Phones and Emails,Addresses,Custom Fields,Misc Fields,Secondary Contacts");
    EXPECT_EQ(Shown(&viewer, "lvPhone,lvCustom,lvMisc,lvSec"), "Work Phone|1,,,Is Private|No");
    EXPECT_EQ(Shown(&viewer, "memWorkStreet,edtDisplayName"), ",");
}

} // namespace
