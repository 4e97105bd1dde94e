#pragma once

#include "core/RecordKinds.h"

// The fields of each record kind as the comparison pane lists them: what the kind's detail viewer shows,
// in the viewer's order, with its labels and texts, plus the fields the duplicate rules compare that no
// viewer shows.

#include <QString>

#include <cstddef>

struct RuleTable;

namespace compare {

// The record fields a row is made of, as offsets into the record, so that a row can be matched against
// the rule tables, which know fields only by their offsets.
class FieldOffsets
{
public:
    static constexpr std::size_t kCapacity = 7;

    template <class... Offsets>
    constexpr FieldOffsets(Offsets... offsets)
        : m_offsets{static_cast<std::size_t>(offsets)...}, m_count(sizeof...(Offsets))
    {
        static_assert(sizeof...(Offsets) >= 1 && sizeof...(Offsets) <= kCapacity);
    }

    const std::size_t* begin() const { return m_offsets; }
    const std::size_t* end() const { return m_offsets + m_count; }

private:
    std::size_t m_offsets[kCapacity];
    std::size_t m_count;
};

struct CompareField
{
    const char* label;
    // The row's text as the viewer shows it; empty where the viewer shows nothing.
    QString (*text)(const void* record);
    FieldOffsets offsets;
};

struct CompareFieldTable
{
    const CompareField* fields;
    std::size_t count;
};

// Kinds by their index in the order of the kinds (KindIndex).
constexpr int kKindCount = kRecordKindCount;

// Null for a kind outside 0 to 3.
const CompareFieldTable* FieldsOfKind(int kind);
const RuleTable* RulesOfKind(int kind);

} // namespace compare
