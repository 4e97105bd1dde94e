#include "core/CleanupSession.h"

#include "ACT/CxACTAddr.h"
#include "ACT/CxACTBaseUtil.h"
#include "ACT/CxACTDate.h"
#include "ACT/CxACTNote.h"
#include "ACT/CxACTTask.h"
#include "core/DupGroup.h"
#include "misc/CxDebugUtil.h"
#include "platform/Platform.h"

#include <algorithm>
#include <memory>
#include <unordered_set>
#include <utility>

namespace {

const char* const kNoKindChosen = "No kind of records is ticked: choose at least one.";
const char* const kBackupText = "Saving a backup of the records to delete...";
const char* const kSubmitText = "Submitting deletion information to ACT! database...";
const char* const kNoBackup = "No backup of its records could be written, so nothing was deleted: ";
const char* const kNoReason = "The helper gave no reason; the debug log may know more.";
const char* const kNotMarked = "It could not be marked for deletion, so it was not handed to the helper.";
// What deletions.csv says of every record until the outcomes are known: seen only when the run never
// got that far.
const char* const kNotEnded = "The deletion did not end: the program stopped before it could tell what became of "
                              "this record. Load the database again to see whether it is still there.";
const char* const kAskedToStop = "The helper was asked to stop; until the database is loaded again nobody can "
                                 "tell which of these records it deleted.";
const char* const kNotChecked = "Whether the records are gone could not be checked: ";
const char* const kMayHaveDeleted = "The helper had already been asked to delete them: load the database again to "
                                    "see which are left.";

// Shares of a deletion's progress: the backup ends at the first, the submits at the second, by their
// records; what is left is the caller's, for its log.
constexpr int kBackedUpPercent = 20;
constexpr int kSubmittedPercent = 95;

// Why the request's paths cannot be handed to the helpers whole, with what to do; empty when they fit.
std::string PathRefusal(const LoadRequest& request)
{
    std::string refusal = CxACTBaseUtil::PathTooLong("The PAD file's path", request.padPath);
    if (!refusal.empty())
        return refusal + " Move the database to a folder with a shorter path; nothing was loaded.";
    std::size_t limit = CxACTBaseUtil::kMaxPathLength;
    for (const RecordKind kind : kAllRecordKinds)
        limit = std::min(limit, CxACTBaseUtil::MaxWorkFolderLength(KindInfo(kind).exchange));
    refusal = CxACTBaseUtil::PathTooLong("The work folder", request.workFolder, limit);
    if (!refusal.empty())
        return refusal + " A folder with a shorter path is needed; nothing was loaded.";
    return {};
}

std::function<void(CxACTBaseUtil&)>& BeforeLoadHook()
{
    static std::function<void(CxACTBaseUtil&)> hook;
    return hook;
}

std::function<void(CxACTBaseUtil&)>& BeforeSubmitHook()
{
    static std::function<void(CxACTBaseUtil&)> hook;
    return hook;
}

const char* RecordIdOf(RecordKind kind, const void* record)
{
    const char* id = nullptr;
    switch (kind) {
    case RecordKind::Contacts:
        id = static_cast<const ContactRecord*>(record)->RecordID;
        break;
    case RecordKind::Calendar:
        id = static_cast<const CalendarRecord*>(record)->RecordID;
        break;
    case RecordKind::Tasks:
        id = static_cast<const TaskRecord*>(record)->RecordID;
        break;
    case RecordKind::Notes:
        id = static_cast<const NoteRecord*>(record)->RecordID;
        break;
    }
    return id ? id : "";
}

void SetResults(KindDeletion& deletion, DeletionResult result, std::string reason)
{
    for (KindDeletion::Item& item : deletion.items)
        item.result = item.marked ? result : DeletionResult::NotDeleted;
    deletion.outcomeReason = std::move(reason);
    deletion.settled = true;
}

} // namespace

const char* DeletionResultWord(DeletionResult result)
{
    switch (result) {
    case DeletionResult::Deleted:
        return "deleted";
    case DeletionResult::NotDeleted:
        return "not deleted";
    default:
        return "unknown";
    }
}

std::string_view KindDeletion::Reason(const Item& item) const
{
    if (item.result == DeletionResult::Deleted)
        return {};
    if (!item.marked)
        return kNotMarked;
    return outcomeReason;
}

int KindDeletion::Count(DeletionResult result) const
{
    return static_cast<int>(
        std::count_if(items.begin(), items.end(), [result](const Item& item) { return item.result == result; }));
}

LoadRequest LoadRequest::FromSettings(const AppSettingsData& settings)
{
    LoadRequest request;
    char folder[260] = "";
    if (GetDataFolder(folder)) {
        request.workFolder = folder;
        request.debugFolder = folder;
    }
    request.padPath = AbsolutePadPath(settings.PadName);
    request.userName = settings.UserName;
    request.password = settings.Password;
    request.kinds = settings.AppFlag;
    request.opp = settings.Opp;
    request.oppNotes = settings.OppNotes;
    request.debugEnabled = settings.EnableDebug;
    request.logLevel = settings.LogLevel;
    return request;
}

bool DeletionPlan::Empty() const
{
    return std::all_of(ticked.begin(), ticked.end(), [](const auto& records) { return records.empty(); });
}

bool DeletionOutcome::AnyFailed() const
{
    return std::any_of(kinds.begin(), kinds.end(), [](const KindDeletion& kind) { return !kind.failure.empty(); });
}

bool DeletionOutcome::AnyNotDeleted() const
{
    return std::any_of(kinds.begin(), kinds.end(), [](const KindDeletion& kind) {
        return std::any_of(kind.items.begin(), kind.items.end(),
                           [](const KindDeletion::Item& item) { return item.result != DeletionResult::Deleted; });
    });
}

void DeletionOutcome::Fail(const std::string& reason)
{
    for (KindDeletion& kind : kinds) {
        if (kind.settled || kind.submitted)
            continue;
        if (kind.marks > 0 && kind.failure.empty())
            kind.failure = reason;
        if (kind.handedOver)
            SetResults(kind, DeletionResult::Unknown, reason + ' ' + kMayHaveDeleted);
        else
            SetResults(kind, DeletionResult::NotDeleted, reason);
    }
}

void CleanupSession::SetBeforeLoadHook(std::function<void(CxACTBaseUtil&)> hook)
{
    BeforeLoadHook() = std::move(hook);
}

void CleanupSession::SetBeforeSubmitHook(std::function<void(CxACTBaseUtil&)> hook)
{
    BeforeSubmitHook() = std::move(hook);
}

LoadOutcome CleanupSession::LoadSelectedKinds(const LoadRequest& request, WorkProgress& progress)
{
    m_data.CreateUtilities();
    m_request = request;

    LoadOutcome outcome;
    if (request.workFolder.empty()) {
        DEBUG_LOG(0, "Can not find the data folder, no ACT! information is loaded.");
        outcome.failure = NoDataFolderText();
        m_data.CreateLists();
        return outcome;
    }
    // A helper handed a cut path would report the file missing, or work on another one.
    outcome.failure = PathRefusal(request);
    if (!outcome.failure.empty()) {
        for (const RecordKind kind : kAllRecordKinds) {
            outcome.kinds[kind].chosen = IsChosen(kind, request.kinds);
            if (outcome.kinds[kind].chosen)
                outcome.kinds[kind].failure = outcome.failure;
        }
        m_data.CreateLists();
        return outcome;
    }

    // Each reason once, with the kinds it hit: a wrong password fails every kind alike.
    std::vector<std::pair<std::string, std::string>> failures;
    bool anyChosen = false;
    for (const RecordKind kind : kAllRecordKinds) {
        KindLoad& load = outcome.kinds[kind];
        load.chosen = IsChosen(kind, request.kinds);
        if (!load.chosen)
            continue;
        anyChosen = true;
        load.loaded = LoadKind(kind, *m_data.Util(kind), request, progress, load.failure);
        if (load.loaded)
            continue;
        const char* title = KindInfo(kind).title;
        auto same = std::find_if(failures.begin(), failures.end(), [&](const auto& f) { return f.first == load.failure; });
        if (same == failures.end())
            failures.push_back({load.failure, title});
        else
            same->second += std::string(", ") + title;
    }
    if (!anyChosen)
        outcome.failure = kNoKindChosen;
    for (const auto& [reason, kinds] : failures) {
        if (!outcome.failure.empty())
            outcome.failure += '\n';
        outcome.failure += kinds + ": " + reason;
    }
    m_data.CreateLists();
    return outcome;
}

bool CleanupSession::LoadKind(RecordKind kind, CxACTBaseUtil& util, const LoadRequest& request,
                              WorkProgress& progress, std::string& failure)
{
    const RecordKindInfo& info = KindInfo(kind);
    progress.Step(info.loadingText);

    util.SetWorkFolder(request.workFolder.c_str());
    util.SetPadName(request.padPath.c_str());
    util.SetUserName(request.userName.c_str());
    util.SetPassword(request.password.c_str());
    util.SetDebugFolder(request.debugFolder.c_str());
    util.SetDebugEnabled(request.debugEnabled);
    util.SetLogLevel(request.logLevel);
    if (auto* tasks = dynamic_cast<CxACTTaskUtil*>(&util)) {
        tasks->SetOpp(request.opp);
        tasks->SetOppNotes(request.oppNotes);
    }
    progress.WatchFile(request.workFolder + info.exchange.statusFile);
    if (BeforeLoadHook())
        BeforeLoadHook()(util);
    if (util.Load())
        return true;
    failure = util.GetFailureText();
    if (failure.empty())
        failure = kNoReason;
    return false;
}

void CleanupSession::Delete(const DeletionPlan& plan, WorkProgress& progress, DeletionOutcome& outcome)
{
    outcome = DeletionOutcome();
    m_backup = DeletionBackup();
    Mark(plan, outcome);
    if (std::all_of(outcome.kinds.begin(), outcome.kinds.end(), [](const KindDeletion& k) { return k.marks == 0; }))
        return;

    std::string documents;
    std::string error = "No documents folder was found.";
    DeletionBackup backup;
    if (!platform::documentsFolder(documents) || !backup.Create(BackupRootFolder(documents), error)) {
        DEBUG_LOG(0, "No backup folder, nothing is deleted: %s", error.c_str());
        outcome.backupFailure = error;
        outcome.backupRoot = documents.empty() ? std::string() : BackupRootFolder(documents);
        outcome.Fail(kNoBackup + error);
        return;
    }
    m_backup = backup;
    outcome.backupFolder = backup.Folder();
    progress.Report("Backup of the records to delete: " + outcome.backupFolder, -1);
    progress.Report("\r\n", -1);

    progress.Step(kBackupText);
    for (KindDeletion& deletion : outcome.kinds)
        if (!deletion.settled)
            deletion.outcomeReason = kNotEnded;
    if (!backup.WriteRecords(BackupOf(outcome), error)) {
        DEBUG_LOG(0, "The backup could not be written, nothing is deleted: %s", error.c_str());
        outcome.backupFailure = error;
        outcome.backupRoot = backup.Folder();
        outcome.Fail(kNoBackup + error);
        return;
    }
    progress.Report(std::string(), kBackedUpPercent);

    progress.Step(kSubmitText);
    try {
        Submit(outcome, progress);
    } catch (const std::exception& error) {
        outcome.Fail(std::string("The run ended with an unexpected error (") + error.what() + ").");
        WriteOutcomes(outcome, progress);
        throw;
    } catch (...) {
        outcome.Fail("The run ended with an unexpected error.");
        WriteOutcomes(outcome, progress);
        throw;
    }
    WriteOutcomes(outcome, progress);
}

void CleanupSession::Mark(const DeletionPlan& plan, DeletionOutcome& outcome)
{
    for (const RecordKind kind : kAllRecordKinds) {
        KindDeletion& deletion = outcome.kinds[kind];
        deletion.items.reserve(plan.ticked[kind].size());
        for (void* record : plan.ticked[kind]) {
            const bool marked = m_data.MarkForDeletion(kind, record);
            deletion.items.push_back({record, marked});
            if (marked)
                ++deletion.marks;
        }
        // Nothing of it goes to a helper.
        if (deletion.marks == 0)
            SetResults(deletion, DeletionResult::NotDeleted, std::string());
    }
}

std::vector<BackupKind> CleanupSession::BackupOf(const DeletionOutcome& outcome) const
{
    std::vector<BackupKind> kinds;
    for (const RecordKind kind : kAllRecordKinds) {
        const KindDeletion& deletion = outcome.kinds[kind];
        if (deletion.marks == 0)
            continue;
        std::unordered_set<const void*> leaving;
        for (const KindDeletion::Item& item : deletion.items)
            if (item.marked)
                leaving.insert(item.record);
        // What stays of a group is its first member that is not deleted: a group's first record may be
        // ticked too (in the full view), and then one of its copies stays in its place.
        const DupGroups& groups = m_data.Groups(kind);
        BackupKind backup{KindInfo(kind).word, &KindInfo(kind).fields(), {}};
        backup.records.reserve(static_cast<std::size_t>(deletion.marks));
        for (const KindDeletion::Item& item : deletion.items) {
            if (!item.marked)
                continue;
            const auto group = groups.GroupOf(item.record);
            const auto at =
                std::find_if(group.begin(), group.end(), [&](const void* member) { return leaving.count(member) == 0; });
            backup.records.push_back({item.record, at != group.end() ? *at : nullptr, DeletionResultWord(item.result),
                                      deletion.Reason(item)});
        }
        kinds.push_back(std::move(backup));
    }
    return kinds;
}

void CleanupSession::Submit(DeletionOutcome& outcome, WorkProgress& progress)
{
    int allMarks = 0;
    for (const KindDeletion& deletion : outcome.kinds)
        allMarks += deletion.marks;
    int submittedMarks = 0;
    for (const RecordKind kind : kAllRecordKinds) {
        const RecordKindInfo& info = KindInfo(kind);
        KindDeletion& deletion = outcome.kinds[kind];
        CxACTBaseUtil* util = m_data.Util(kind);
        if (deletion.marks == 0 || !util)
            continue;
        progress.Report("Submitting " + std::to_string(deletion.marks) + " " + info.item +
                            " items to the ACT! database ...",
                        -1);
        if (!m_request.workFolder.empty())
            progress.WatchFile(m_request.workFolder + info.exchange.statusFile);
        if (BeforeSubmitHook())
            BeforeSubmitHook()(*util);
        deletion.handedOver = true;
        deletion.submitted = util->Submit();
        if (!deletion.submitted) {
            deletion.failure = util->GetFailureText();
            if (deletion.failure.empty())
                deletion.failure = kNoReason;
            DEBUG_LOG(0, "Deleting %s items failed: %s", info.item, deletion.failure.c_str());
        }
        Settle(kind, deletion, progress);
        submittedMarks += deletion.marks;
        progress.Report(std::string(),
                        kBackedUpPercent + (kSubmittedPercent - kBackedUpPercent) * submittedMarks / allMarks);
    }
}

namespace {

// The Record IDs the CRM holds now, by a load into a utility of the kind's own: the session's loaded data,
// which the plan points into, stays as it was.
template <class Util>
bool LoadIds(RecordKind kind, const LoadRequest& request, WorkProgress& progress, std::unordered_set<std::string>& ids,
             std::string& failure, bool (*load)(RecordKind, CxACTBaseUtil&, const LoadRequest&, WorkProgress&,
                                                std::string&))
{
    auto util = std::make_unique<Util>();
    if (!load(kind, *util, request, progress, failure))
        return false;
    auto* manager = util->GetManager();
    ids.reserve(manager->GetEntryCount());
    for (auto* entry = manager->GetFirstEntry(); entry; entry = manager->GetNextEntry())
        if (entry->pPayload && entry->pPayload->RecordID)
            ids.insert(entry->pPayload->RecordID);
    return true;
}

} // namespace

void CleanupSession::Settle(RecordKind kind, KindDeletion& deletion, WorkProgress& progress) const
{
    if (deletion.submitted) {
        SetResults(deletion, DeletionResult::Deleted, std::string());
        return;
    }
    CxACTBaseUtil* util = m_data.Util(kind);
    // A helper past its time-out may still be deleting: a load now could find a record that is gone a
    // moment later, and "not deleted" would then have the user bring back a copy of a record that exists.
    if (util->HelperMayStillRun()) {
        util->RequestHelperStop();
        SetResults(deletion, DeletionResult::Unknown, deletion.failure + ' ' + kAskedToStop);
        return;
    }

    progress.Report(std::string("Checking which ") + KindInfo(kind).item +
                        " items are still in the ACT! database ...",
                    -1);
    // The failed submit's error file would otherwise pass for the check's own when its helper cannot start.
    platform::removeFile(m_request.workFolder + KindInfo(kind).exchange.errorFile);
    std::unordered_set<std::string> ids;
    std::string failure;
    bool loaded = false;
    switch (kind) {
    case RecordKind::Contacts:
        loaded = LoadIds<CxACTAddrUtil>(kind, m_request, progress, ids, failure, &CleanupSession::LoadKind);
        break;
    case RecordKind::Calendar:
        loaded = LoadIds<CxACTDateUtil>(kind, m_request, progress, ids, failure, &CleanupSession::LoadKind);
        break;
    case RecordKind::Tasks:
        loaded = LoadIds<CxACTTaskUtil>(kind, m_request, progress, ids, failure, &CleanupSession::LoadKind);
        break;
    case RecordKind::Notes:
        loaded = LoadIds<CxACTNoteUtil>(kind, m_request, progress, ids, failure, &CleanupSession::LoadKind);
        break;
    }
    progress.Step(kSubmitText);
    if (!loaded) {
        DEBUG_LOG(0, "Which %s items are left could not be checked: %s", KindInfo(kind).item, failure.c_str());
        SetResults(deletion, DeletionResult::Unknown, deletion.failure + ' ' + kNotChecked + failure);
        return;
    }
    SetResults(deletion, DeletionResult::NotDeleted, deletion.failure);
    for (KindDeletion::Item& item : deletion.items)
        if (item.marked && ids.count(RecordIdOf(kind, item.record)) == 0)
            item.result = DeletionResult::Deleted;
}

void CleanupSession::WriteOutcomes(const DeletionOutcome& outcome, WorkProgress& progress) const
{
    std::string error;
    if (!m_backup.WriteDeletions(BackupOf(outcome), error)) {
        DEBUG_LOG(0, "The outcomes could not be written: %s", error.c_str());
        progress.Report("What became of each record could not be written to deletions.csv: " + error, -1);
    }
}

bool CleanupSession::WriteLog(std::string_view utf8Text, std::string& error) const
{
    return m_backup.Folder().empty() || m_backup.WriteLog(utf8Text, error);
}
