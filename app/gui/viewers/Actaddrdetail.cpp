#include "gui/viewers/Actaddrdetail.h"

#include "gui/viewers/Viewers.h"

#include "ACT/ACTRecords.h"
#include "ACT/CxACTAddr.h"
#include "core/DateText.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace viewers;

namespace {

// The phone fields of a row: number and extension.
struct PhoneRow
{
    const char* label;
    const char* ContactRecord::*number;
    const char* ContactRecord::*extension;
};

constexpr PhoneRow kPhones[] = {
    {"Work Phone", &ContactRecord::BusinessPhone, &ContactRecord::BusinessPhoneExtension},
    {"Home Phone", &ContactRecord::HomePhone, &ContactRecord::HomePhoneExtension},
    {"Mobile Phone", &ContactRecord::MobilePhone, &ContactRecord::MobilePhoneExtension},
    {"Alternate Phone", &ContactRecord::AlternatePhone, &ContactRecord::AlternatePhoneExtension},
    {"Fax", &ContactRecord::Fax, &ContactRecord::FaxExtension},
    {"Pager", &ContactRecord::Pager, &ContactRecord::PagerExtension},
};

// A date row shown whenever the date is not 0: negative dates are listed too.
void AddDate(ListRows& rows, const char* label, double date, std::string (*format)(double))
{
    if (date != 0.0)
        rows.push_back({QString::fromLatin1(label), QString::fromStdString(format(date))});
}

QString StreetLines(const char* line1, const char* line2, const char* line3)
{
    QStringList lines;
    for (const char* line : {line1, line2, line3}) {
        if (!IsEmpty(line))
            lines << FieldText(line);
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

TfmACTAddrDetail::TfmACTAddrDetail(QWidget* owner)
    : TfmACTRecordDetail(owner, "fmACTAddrDetail", "ACT! Contact Record Details",
                         "View detail information of the ACT! Contact record.")
{
    auto* names = new QGridLayout;
    names->setHorizontalSpacing(8);
    names->setVerticalSpacing(6);
    edtDisplayName = AddEditRow(names, 0, 0, "Name:", "edtDisplayName", this, 3);
    edtCompany = AddEditRow(names, 1, 0, "Company:", "edtCompany", this);
    edtTitle = AddEditRow(names, 1, 2, "Job Title:", "edtTitle", this);
    names->setColumnStretch(1, 1);
    names->setColumnStretch(3, 1);
    Body()->addLayout(names);

    pMain = MakePageControl("pMain", this);
    tPhone = AddPage(pMain, "tPhone", "Phones and Emails");
    tAddr = AddPage(pMain, "tAddr", "Addresses");
    tCustom = AddPage(pMain, "tCustom", "Custom Fields");
    tNote = AddPage(pMain, "tNote", "Notes");
    tMisc = AddPage(pMain, "tMisc", "Misc Fields");
    tSec = AddPage(pMain, "tSec", "Secondary Contacts");
    Body()->addWidget(pMain, 1);

    lvPhone = MakeList("lvPhone", {{"Description", 200}, {"Content", 280}}, tPhone);
    (new QVBoxLayout(tPhone))->addWidget(lvPhone);

    pAddr = MakePageControl("pAddr", tAddr);
    tWorkAddr = AddPage(pAddr, "tWorkAddr", "Work");
    tHomeAddr = AddPage(pAddr, "tHomeAddr", "Home");
    tOther = AddPage(pAddr, "tOther", "Secondary");
    m_work = MakeAddressPage(tWorkAddr, "Work");
    m_home = MakeAddressPage(tHomeAddr, "Home");
    SetPageVisible(pAddr, tOther, false);
    (new QVBoxLayout(tAddr))->addWidget(pAddr);

    lvCustom = MakeList("lvCustom", {{"Seq.", 60}, {"Custom Content", 450}}, tCustom);
    (new QVBoxLayout(tCustom))->addWidget(lvCustom);

    memNotes = MakeMemo("memNotes", tNote);
    (new QVBoxLayout(tNote))->addWidget(memNotes);
    // Contacts bring no notes along: the page is never shown.
    SetPageVisible(pMain, tNote, false);

    lvMisc = MakeList("lvMisc", {{"Label", 150}, {"Content", 360}}, tMisc);
    (new QVBoxLayout(tMisc))->addWidget(lvMisc);

    lvSec = MakeList("lvSec", {{"Field", 200}, {"Content", 300}}, tSec);
    (new QVBoxLayout(tSec))->addWidget(lvSec);

    pMain->setCurrentWidget(tPhone);
}

TfmACTAddrDetail::AddressPage TfmACTAddrDetail::MakeAddressPage(QWidget* page, const char* kind)
{
    const QByteArray prefix = QByteArray(kind);
    auto* grid = new QGridLayout(page);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);

    AddressPage boxes{};
    auto* streetLabel = new QLabel(QStringLiteral("Address:"), page);
    grid->addWidget(streetLabel, 0, 0, Qt::AlignTop | Qt::AlignLeft);
    boxes.street = MakeMemo(QByteArray("mem" + prefix + "Street").constData(), page);
    grid->addWidget(boxes.street, 0, 1, 1, 3);
    boxes.city = AddEditRow(grid, 1, 0, "City:", QByteArray("edt" + prefix + "City").constData(), page);
    boxes.state = AddEditRow(grid, 1, 2, "State:", QByteArray("edt" + prefix + "State").constData(), page);
    boxes.postal = AddEditRow(grid, 2, 0, "Postal:", QByteArray("edt" + prefix + "Postal").constData(), page);
    boxes.country = AddEditRow(grid, 2, 2, "Country:", QByteArray("edt" + prefix + "Country").constData(), page);
    // Room for the three street lines and a little more.
    boxes.street->setFixedHeight(6 * boxes.street->fontMetrics().lineSpacing());
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(3, 1);
    return boxes;
}

void TfmACTAddrDetail::FillControls(const ContactRecord& r)
{
    pMain->setCurrentWidget(tPhone);
    SetEditText(edtDisplayName, FieldText(r.FullName));
    SetEditText(edtCompany, FieldText(r.Company));
    SetEditText(edtTitle, FieldText(r.Title));
    SetPageVisible(pMain, tNote, false);
    FillPhones(r);
    FillAddresses(r);
    FillCustom(r);
    FillMisc(r);
    FillSecondary(r);
}

void TfmACTAddrDetail::FillPhones(const ContactRecord& r)
{
    ListRows rows;
    for (const PhoneRow& phone : kPhones) {
        // An extension without its number gives no row.
        if (!IsEmpty(r.*phone.number))
            rows.push_back({QString::fromLatin1(phone.label), FormatPhone(r.*phone.number, r.*phone.extension)});
    }
    AddTextRow(rows, "Work Email", r.BusinessEmail);
    AddTextRow(rows, "Personal Email", r.PersonalEmail);
    FillList(lvPhone, rows);
}

void TfmACTAddrDetail::FillAddresses(const ContactRecord& r)
{
    m_work.street->setPlainText(StreetLines(r.BusinessAddress1, r.BusinessAddress2, r.BusinessAddress3));
    SetEditText(m_work.city, FieldText(r.BusinessCity));
    SetEditText(m_work.state, FieldText(r.BusinessState));
    SetEditText(m_work.postal, FieldText(r.BusinessPostal));
    SetEditText(m_work.country, FieldText(r.BusinessCountry));
    m_home.street->setPlainText(StreetLines(r.HomeAddress1, r.HomeAddress2, r.HomeAddress3));
    SetEditText(m_home.city, FieldText(r.HomeCity));
    SetEditText(m_home.state, FieldText(r.HomeState));
    SetEditText(m_home.postal, FieldText(r.HomePostal));
    SetEditText(m_home.country, FieldText(r.HomeCountry));
}

void TfmACTAddrDetail::FillCustom(const ContactRecord& r)
{
    ListRows rows;
    int number = 0;
    for (const char* field : r.UserDefined) {
        ++number;
        // Empty fields keep their numbers: the rows show which field each text came from.
        if (!IsEmpty(field))
            rows.push_back({QString::asprintf("%d", number), FieldText(field)});
    }
    FillList(lvCustom, rows);
}

void TfmACTAddrDetail::FillMisc(const ContactRecord& r)
{
    ListRows rows;
    AddTextRow(rows, "Rcord Creator", r.RecordCreator);
    AddTextRow(rows, "Record Manager", r.RecordManager);
    AddTextRow(rows, "Last Edited By", r.LastEditedBy);
    AddTextRow(rows, "ID/Status", r.Category);
    AddTextRow(rows, "Salutation", r.Salutation);
    AddTextRow(rows, "Referred By", r.ReferredBy);
    AddTextRow(rows, "Company", r.Company);
    AddTextRow(rows, "Department", r.Department);
    AddTextRow(rows, "Job Title", r.Title);
    AddTextRow(rows, "Website", r.Website);
    AddTextRow(rows, "Messenger ID", r.InstantMessenger);
    AddTextRow(rows, "Spouse", r.SpouseName);
    AddTextRow(rows, "Last Results", r.LastResults);
    AddDate(rows, "Birthday", r.Birthday, DateText);
    AddDate(rows, "Create Time", r.CreateDate, DateTimeText);
    AddDate(rows, "Edit Time", r.EditDate, DateTimeText);
    AddDate(rows, "Last Attempt Time", r.LastAttempt, DateTimeText);
    AddDate(rows, "Last Email Time", r.LastEmail, DateTimeText);
    AddDate(rows, "Last Meet Time", r.LastMeeting, DateTimeText);
    AddDate(rows, "Last Reach Time", r.LastReach, DateTimeText);
    AddDate(rows, "Last Letter Time", r.LastLetter, DateTimeText);
    FillList(lvMisc, rows);
}

void TfmACTAddrDetail::FillSecondary(const ContactRecord& r)
{
    ListRows rows;
    AddTextRow(rows, "First Name", r.SecondaryFirstName);
    AddTextRow(rows, "Last Name", r.SecondaryLastName);
    AddTextRow(rows, "Contact", r.SecondaryContact);
    AddTextRow(rows, "Company", r.SecondaryCompany);
    AddTextRow(rows, "Job Title", r.SecondaryTitle);
    AddTextRow(rows, "Country", r.SecondaryCountry);
    AddTextRow(rows, "State", r.SecondaryState);
    AddTextRow(rows, "City", r.SecondaryCity);
    AddTextRow(rows, "Address (line 1)", r.SecondaryAddress1);
    AddTextRow(rows, "Address (line 2)", r.SecondaryAddress2);
    AddTextRow(rows, "Address (line 3)", r.SecondaryAddress3);
    AddTextRow(rows, "Postal", r.SecondaryPostal);
    if (!IsEmpty(r.SecondaryPhone))
        rows.push_back({QStringLiteral("Work Phone"), FormatPhone(r.SecondaryPhone, r.SecondaryPhoneExtension)});
    AddTextRow(rows, "Mobile Phone", r.SecondaryMobilePhone);
    AddTextRow(rows, "Fax", r.SecondaryFax);
    AddTextRow(rows, "Email", r.SecondaryEmail);
    AddTextRow(rows, "Website", r.SecondaryWebsite);
    AddTextRow(rows, "ID/Status", r.SecondaryCategory);
    rows.push_back({QStringLiteral("Is Private"), r.SecondaryIsPrivate ? QStringLiteral("Yes") : QStringLiteral("No")});
    FillList(lvSec, rows);
}

void ShowContactDetail(QWidget* owner, CommAddr* entry, CxACTAddrUtil* util)
{
    OpenViewer<TfmACTAddrDetail>(owner, entry, util);
}
