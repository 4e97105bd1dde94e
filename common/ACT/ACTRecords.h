#pragma once

// The records of the four kinds as the data files carry them. A record is a small fixed part: numbers,
// one-byte booleans, OLE Automation dates as doubles (0 meaning none), and for each text a pointer to its
// characters. The texts live at their real length, terminated, in the text arena of the data utility that
// read them (or wherever the code that built a record by hand keeps them); a text is never null, empty by
// default, and holds at most its field's capacity - 1 characters. Records are never changed in place
// apart from their Action word and the in-memory fields.
//
// Each kind also has a table of its fields in file order, with the capacity of every text: the one
// description of the kind, from which its data file is read and written, its backup is written, and the
// stand-in helpers build their database tables.

#include "ACT/CommMgr.h"

#include <cstddef>
#include <cstdint>

class CxFile;
class CxTextArena;

// Action value that asks the helper to delete the record in a submit run.
constexpr std::int32_t ACTION_DELETE = 3;

// Duplicate-scan flags of a record's DupFlags.
constexpr std::uint32_t DUP_GROUPED = 1;
constexpr std::uint32_t DUP_SELECTED = 2;

struct ContactRecord
{
    std::int32_t Action;
    std::int32_t HelperValue;
    const char* RecordID = "";
    const char* RecordCreator = "";
    const char* LastEditedBy = "";
    const char* RecordManager = "";
    const char* Category = "";
    const char* NamePrefix = "";
    const char* NameSuffix = "";
    const char* FirstName = "";
    const char* MiddleName = "";
    const char* LastName = "";
    const char* FullName = "";
    const char* Salutation = "";
    const char* ReferredBy = "";
    const char* Company = "";
    const char* Department = "";
    const char* Title = "";
    const char* BusinessCountry = "";
    const char* BusinessState = "";
    const char* BusinessCity = "";
    const char* BusinessAddress1 = "";
    const char* BusinessAddress2 = "";
    const char* BusinessAddress3 = "";
    const char* BusinessPostal = "";
    const char* HomeCountry = "";
    const char* HomeState = "";
    const char* HomeCity = "";
    const char* HomeAddress1 = "";
    const char* HomeAddress2 = "";
    const char* HomeAddress3 = "";
    const char* HomePostal = "";
    const char* BusinessPhone = "";
    const char* HomePhone = "";
    const char* MobilePhone = "";
    const char* Pager = "";
    const char* Fax = "";
    const char* AlternatePhone = "";
    const char* FaxExtension = "";
    const char* PagerExtension = "";
    const char* BusinessPhoneExtension = "";
    const char* HomePhoneExtension = "";
    const char* MobilePhoneExtension = "";
    const char* AlternatePhoneExtension = "";
    const char* BusinessEmail = "";
    const char* PersonalEmail = "";
    const char* Website = "";
    const char* InstantMessenger = "";
    const char* SpouseName = "";
    const char* UserDefined[10] = {"", "", "", "", "", "", "", "", "", ""};
    const char* LastResults = "";
    bool IsUser;
    bool IsImported;
    bool IsPrivate;
    double Birthday;
    double CreateDate;
    double EditDate;
    double LastAttempt;
    double LastEmail;
    double LastMeeting;
    double LastReach;
    double LastLetter;
    const char* SecondaryFirstName = "";
    const char* SecondaryLastName = "";
    const char* SecondaryContact = "";
    const char* SecondaryCompany = "";
    const char* SecondaryTitle = "";
    const char* SecondaryCountry = "";
    const char* SecondaryState = "";
    const char* SecondaryCity = "";
    const char* SecondaryAddress1 = "";
    const char* SecondaryAddress2 = "";
    const char* SecondaryAddress3 = "";
    const char* SecondaryPostal = "";
    const char* SecondaryPhone = "";
    const char* SecondaryMobilePhone = "";
    const char* SecondaryFax = "";
    const char* SecondaryPhoneExtension = "";
    const char* SecondaryEmail = "";
    const char* SecondaryWebsite = "";
    const char* SecondaryCategory = "";
    bool SecondaryIsPrivate;
    // In memory only.
    std::uint32_t DupFlags;
    CommAddr* pEntry;
    CommAddr* pCursorEntry;
};

struct CalendarRecord
{
    std::int32_t Action;
    std::int32_t HelperValue;
    const char* RecordID = "";
    const char* Regarding = "";
    const char* Location = "";
    const char* Details = "";
    std::int32_t EventType;
    double StartTime;
    double EndTime;
    double CreateTime;
    double EditDate;
    std::int32_t ExtraValue;
    std::int32_t RecurDays;
    std::int32_t RecurByDate;
    std::int32_t RecurInterval;
    std::int32_t RecurInstance;
    std::int32_t RecurMonth;
    std::int32_t RecurType;
    double RecurEndDate;
    bool IsPrivate;
    bool IsTimeless;
    // In memory only.
    std::uint32_t DupFlags;
    CommDate* pEntry;
    CommDate* pCursorEntry;
};

struct TaskRecord
{
    std::int32_t Action;
    std::int32_t HelperValue;
    const char* RecordID = "";
    const char* Regarding = "";
    const char* ExtraText = "";
    const char* Details = "";
    std::int32_t Priority;
    bool IsCompleted;
    bool IsPrivate;
    std::int32_t ExtraValues[6];
    double ExtraDouble;
    double DueDate;
    double CreateTime;
    double EditDate;
    // In memory only.
    std::uint32_t DupFlags;
    CommTask* pEntry;
    CommTask* pCursorEntry;
};

struct NoteRecord
{
    std::int32_t Action;
    std::int32_t HelperValue;
    const char* RecordID = "";
    const char* CreateUserName = "";
    const char* EditUserName = "";
    const char* ManageUserName = "";
    const char* NoteText = "";
    bool Private;
    double CreateTime;
    double EditTime;
    // In memory only.
    std::uint32_t DupFlags;
    CommNote* pEntry;
    CommNote* pCursorEntry;
};

enum class FieldType
{
    Int,  // 32-bit signed integer
    Text, // 32-bit length and bytes in the file, a pointer in the record; `size` is the capacity, terminator
          // included
    Bool, // 4 bytes in the file, 1 in memory
    Date, // 8-byte double
};

// One field of a record in file order. `name` is a column-like identifier.
struct FieldDesc
{
    const char* name;
    FieldType type;
    std::size_t offset;
    std::size_t size;
};

struct FieldTable
{
    const FieldDesc* fields;
    std::size_t count;
};

// Action and HelperValue: words of the exchange with the helper, not data of the CRM's record.
bool IsHeaderWord(const FieldDesc& field);

const FieldTable& ContactFields();
const FieldTable& CalendarFields();
const FieldTable& TaskFields();
const FieldTable& NoteFields();

// The text of a text field of a record, and pointing the field at another text (which must outlive the
// record or its next change).
inline const char* RecordText(const void* record, const FieldDesc& field)
{
    return *reinterpret_cast<const char* const*>(static_cast<const unsigned char*>(record) + field.offset);
}
inline void SetRecordText(void* record, const FieldDesc& field, const char* text)
{
    *reinterpret_cast<const char**>(static_cast<unsigned char*>(record) + field.offset) = text;
}

// Reads or writes one record field by field in the table's order; the texts read go into `texts`. A read
// fails when the file ends inside the record; a stored text longer than its field keeps its first
// capacity - 1 bytes. False also for a missing record or a file that is not open.
bool ReadFields(CxFile& file, const FieldTable& table, void* record, CxTextArena& texts);
bool WriteFields(CxFile& file, const FieldTable& table, const void* record);

// Points every text of the record at a copy in `texts`, cut to its field's capacity - 1.
void StoreTexts(const FieldTable& table, void* record, CxTextArena& texts);

// The record type of each kind, for code written once for all kinds.
template <class Record>
const FieldTable& FieldsOf();
template <>
inline const FieldTable& FieldsOf<ContactRecord>() { return ContactFields(); }
template <>
inline const FieldTable& FieldsOf<CalendarRecord>() { return CalendarFields(); }
template <>
inline const FieldTable& FieldsOf<TaskRecord>() { return TaskFields(); }
template <>
inline const FieldTable& FieldsOf<NoteRecord>() { return NoteFields(); }
