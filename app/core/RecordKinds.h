#pragma once

// The four kinds of records, as one type and one table: everything that loops over the kinds, or needs a
// kind's flag, names, exchange files, rules or stored fields, takes them from here.

#include "core/Apputil.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

struct ACTKindInfo;
struct FieldTable;
struct RuleTable;

// In the order every loop visits them, which is also the order of the tabs, the log and the backup.
enum class RecordKind
{
    Contacts,
    Calendar,
    Tasks,
    Notes,
};

constexpr int kRecordKindCount = 4;
constexpr std::array<RecordKind, kRecordKindCount> kAllRecordKinds = {RecordKind::Contacts, RecordKind::Calendar,
                                                                      RecordKind::Tasks, RecordKind::Notes};

constexpr int KindIndex(RecordKind kind)
{
    return static_cast<int>(kind);
}

// One value per kind, in the order of the kinds, looked up by the kind.
template <class T> struct PerKind : std::array<T, kRecordKindCount>
{
    using std::array<T, kRecordKindCount>::operator[];
    T& operator[](RecordKind kind) { return (*this)[static_cast<std::size_t>(KindIndex(kind))]; }
    const T& operator[](RecordKind kind) const { return (*this)[static_cast<std::size_t>(KindIndex(kind))]; }
};

struct RecordKindInfo
{
    RecordKind kind;
    AppKindFlag flag;               // its bit in AppFlag
    const ACTKindInfo& exchange;    // helper and exchange file names
    const char* title;              // "Contacts", "Todos and Opportunities": failures and scan headings
    const char* word;               // "contacts": velloran-scan's --kinds, the backup's file and kind column
    const char* item;               // "contact": "Submitting 3 contact items ..."
    const char* loadingText;        // the wait window's text while it loads
    const RuleTable& (*rules)();    // what makes two of its records duplicates
    const FieldTable& (*fields)();  // every stored field, as the data file orders them
};

const RecordKindInfo& KindInfo(RecordKind kind);

// The kinds whose bits are set in an AppFlag value, in loop order; other bits are ignored.
inline bool IsChosen(RecordKind kind, std::int32_t appFlag)
{
    return (appFlag & KindInfo(kind).flag) != 0;
}

// The kind whose word is `word`, if any.
std::optional<RecordKind> KindOfWord(std::string_view word);
