#include "core/CleanupSession.h"

#include "ACT/CxACTBaseUtil.h"
#include "ACT/CxACTTask.h"
#include "core/DupGroup.h"
#include "misc/CxDebugUtil.h"
#include "platform/Platform.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

namespace {

const char* const kNoKindChosen = "No kind of records is ticked: choose at least one.";
const char* const kBackupText = "Saving a backup of the records to delete...";
const char* const kSubmitText = "Submitting deletion information to ACT! database...";
const char* const kNoBackup = "No backup of its records could be written, so nothing was deleted: ";
const char* const kNoReason = "The helper gave no reason; the debug log may know more.";

// Shares of a deletion's progress: the backup ends at the first, the submits at the second, by their
// records; what is left is the caller's, for its log.
constexpr int kBackedUpPercent = 20;
constexpr int kSubmittedPercent = 95;

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

} // namespace

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

void DeletionOutcome::Fail(const std::string& reason)
{
    for (KindDeletion& kind : kinds)
        if (kind.marks > 0 && !kind.submitted && kind.failure.empty())
            kind.failure = reason;
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
    m_workFolder = request.workFolder;

    LoadOutcome outcome;
    if (request.workFolder.empty()) {
        DEBUG_LOG(0, "Can not find the data folder, no ACT! information is loaded.");
        outcome.failure = NoDataFolderText();
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
        load.loaded = LoadKind(kind, request, progress, load.failure);
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

bool CleanupSession::LoadKind(RecordKind kind, const LoadRequest& request, WorkProgress& progress,
                              std::string& failure)
{
    const RecordKindInfo& info = KindInfo(kind);
    progress.Step(info.loadingText);

    CxACTBaseUtil& util = *m_data.Util(kind);
    util.SetWorkFolder(request.workFolder.c_str());
    util.SetPadName(request.padPath.c_str());
    util.SetUserName(request.userName.c_str());
    util.SetPassword(request.password.c_str());
    util.SetDebugFolder(request.debugFolder.c_str());
    util.SetDebugEnabled(request.debugEnabled);
    util.SetLogLevel(request.logLevel);
    if (kind == RecordKind::Tasks) {
        m_data.TaskUtil()->SetOpp(request.opp);
        m_data.TaskUtil()->SetOppNotes(request.oppNotes);
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
        outcome.Fail(kNoBackup + error);
        return;
    }
    m_backup = backup;
    outcome.backupFolder = backup.Folder();
    progress.Report("Backup of the records to delete: " + outcome.backupFolder, -1);
    progress.Report("\r\n", -1);

    progress.Step(kBackupText);
    if (!backup.WriteRecords(BackupOf(outcome), error)) {
        DEBUG_LOG(0, "The backup could not be written, nothing is deleted: %s", error.c_str());
        outcome.backupFailure = error;
        outcome.Fail(kNoBackup + error);
        return;
    }
    progress.Report(std::string(), kBackedUpPercent);

    progress.Step(kSubmitText);
    Submit(outcome, progress);
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
            backup.records.push_back({item.record, at != group.end() ? *at : nullptr});
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
        if (!m_workFolder.empty())
            progress.WatchFile(m_workFolder + info.exchange.statusFile);
        if (BeforeSubmitHook())
            BeforeSubmitHook()(*util);
        deletion.submitted = util->Submit();
        if (!deletion.submitted) {
            deletion.failure = util->GetFailureText();
            if (deletion.failure.empty())
                deletion.failure = kNoReason;
            DEBUG_LOG(0, "Deleting %s items failed: %s", info.item, deletion.failure.c_str());
        }
        submittedMarks += deletion.marks;
        progress.Report(std::string(),
                        kBackedUpPercent + (kSubmittedPercent - kBackedUpPercent) * submittedMarks / allMarks);
    }
}

bool CleanupSession::WriteLog(std::string_view utf8Text, std::string& error) const
{
    return m_backup.Folder().empty() || m_backup.WriteLog(utf8Text, error);
}
