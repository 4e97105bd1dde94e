#pragma once

#include "TestUtil.h"

#include "ACT/ACTRecords.h"
#include "ACT/CommMgr.h"
#include "core/Apputil.h"
#include "misc/CxList.h"

#include <memory>
#include <string>
#include <vector>

namespace grouping_test {

// The duplicate rules a first start has.
inline AppSettingsData defaultRules()
{
    AppSettingsData s{};
    s.CaseSensitive = false;
    s.AddrDisplayName = s.AddrFirstName = s.AddrMiddleName = s.AddrLastName = s.AddrEmail = true;
    s.AddrCompanyName = s.AddrDepartment = s.AddrTitle = s.AddrPhone = s.AddrAddress = false;
    s.AddrIM = s.AddrWebSite = s.AddrNote = false;
    s.DateSubject = s.DateStartTime = s.DateEndTime = s.DateAllDayEvent = true;
    s.DateLocation = s.DateRecur = s.DateNote = false;
    s.TaskSubject = s.TaskImportance = s.TaskDueDate = true;
    s.TaskNote = false;
    s.MatchBlanks = s.MatchPunct = s.MatchPhone = s.MatchEmail = false;
    return s;
}

inline void setText(const char*& field, const std::string& text)
{
    field = testutil::keep(text);
}

// Records of one kind registered with a manager in load order, as a data utility holds them.
template <class Record>
class LoadedKind
{
public:
    using Entry = CommEntry<Record>;
    using Manager = CommEntryMgr<Entry>;

    Record* add()
    {
        m_records.push_back(std::make_unique<Record>());
        Record* r = m_records.back().get();
        Entry entry{r, 0};
        r->pEntry = manager.AddEntry(&entry);
        return r;
    }

    Record* at(std::size_t i) const { return m_records[i].get(); }
    std::size_t size() const { return m_records.size(); }

    Manager manager;

private:
    std::vector<std::unique_ptr<Record>> m_records;
};

template <class Record>
std::vector<Record*> listed(CxList& list)
{
    std::vector<Record*> out;
    for (void* p = list.GetFirst(); p; p = list.GetNext())
        out.push_back(static_cast<Record*>(p));
    return out;
}

} // namespace grouping_test
