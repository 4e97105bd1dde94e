#pragma once

// The records of the four kinds as the data files carry them: fixed-capacity texts (terminator
// included in the capacity), one-byte booleans, OLE Automation dates as doubles (0 meaning none).
// Each kind also has a table of its fields in file order, from which its data file is read and
// written, and from which the stand-in helpers build their database tables.

#include "ACT/CommMgr.h"

#include <cstddef>
#include <cstdint>

class CxFile;

// Action value that asks the helper to delete the record in a submit run.
constexpr std::int32_t ACTION_DELETE = 3;

// Duplicate-scan flags of a record's DupFlags.
constexpr std::uint32_t DUP_GROUPED = 1;
constexpr std::uint32_t DUP_SELECTED = 2;

struct ContactRecord
{
    std::int32_t Action;
    std::int32_t HelperValue;
    char RecordID[64];
    char RecordCreator[32];
    char LastEditedBy[32];
    char RecordManager[32];
    char Category[256];
    char NamePrefix[32];
    char NameSuffix[32];
    char FirstName[32];
    char MiddleName[32];
    char LastName[32];
    char FullName[32];
    char Salutation[32];
    char ReferredBy[32];
    char Company[64];
    char Department[32];
    char Title[32];
    char BusinessCountry[32];
    char BusinessState[32];
    char BusinessCity[32];
    char BusinessAddress1[256];
    char BusinessAddress2[256];
    char BusinessAddress3[256];
    char BusinessPostal[16];
    char HomeCountry[32];
    char HomeState[32];
    char HomeCity[32];
    char HomeAddress1[256];
    char HomeAddress2[256];
    char HomeAddress3[256];
    char HomePostal[16];
    char BusinessPhone[24];
    char HomePhone[24];
    char MobilePhone[24];
    char Pager[24];
    char Fax[24];
    char AlternatePhone[24];
    char FaxExtension[24];
    char PagerExtension[24];
    char BusinessPhoneExtension[24];
    char HomePhoneExtension[24];
    char MobilePhoneExtension[24];
    char AlternatePhoneExtension[24];
    char BusinessEmail[64];
    char PersonalEmail[64];
    char Website[256];
    char InstantMessenger[64];
    char SpouseName[32];
    char UserDefined[10][64];
    char LastResults[64];
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
    char SecondaryFirstName[32];
    char SecondaryLastName[32];
    char SecondaryContact[32];
    char SecondaryCompany[64];
    char SecondaryTitle[32];
    char SecondaryCountry[32];
    char SecondaryState[32];
    char SecondaryCity[32];
    char SecondaryAddress1[256];
    char SecondaryAddress2[256];
    char SecondaryAddress3[256];
    char SecondaryPostal[16];
    char SecondaryPhone[24];
    char SecondaryMobilePhone[24];
    char SecondaryFax[24];
    char SecondaryPhoneExtension[24];
    char SecondaryEmail[64];
    char SecondaryWebsite[256];
    char SecondaryCategory[256];
    bool SecondaryIsPrivate;
    // In memory only.
    CommAddr* pEntry;
    std::uint32_t DupFlags;
    CommAddr* pCursorEntry;
};

struct CalendarRecord
{
    std::int32_t Action;
    std::int32_t HelperValue;
    char RecordID[64];
    char Regarding[256];
    char Location[256];
    char Details[8192];
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
    CommDate* pEntry;
    std::uint32_t DupFlags;
    CommDate* pCursorEntry;
};

struct TaskRecord
{
    std::int32_t Action;
    std::int32_t HelperValue;
    char RecordID[64];
    char Regarding[256];
    char ExtraText[256];
    char Details[8192];
    std::int32_t Priority;
    bool IsCompleted;
    bool IsPrivate;
    std::int32_t ExtraValues[6];
    double ExtraDouble;
    double DueDate;
    double CreateTime;
    double EditDate;
    // In memory only.
    CommTask* pEntry;
    std::uint32_t DupFlags;
    CommTask* pCursorEntry;
};

struct NoteRecord
{
    std::int32_t Action;
    std::int32_t HelperValue;
    char RecordID[64];
    char CreateUserName[64];
    char EditUserName[64];
    char ManageUserName[64];
    char NoteText[8192];
    bool Private;
    double CreateTime;
    double EditTime;
    // In memory only.
    CommNote* pEntry;
    std::uint32_t DupFlags;
    CommNote* pCursorEntry;
};

enum class FieldType
{
    Int,  // 32-bit signed integer
    Text, // 32-bit length and bytes; `size` is the capacity, terminator included
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

// Reads or writes one record field by field in the table's order. A read fails when the file ends
// inside the record; a stored text longer than its field keeps what fits. False also for a missing
// record or a file that is not open.
bool ReadFields(CxFile& file, const FieldTable& table, void* record);
bool WriteFields(CxFile& file, const FieldTable& table, const void* record);

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
