#pragma once

// One cleanup of a CRM database, without a window: it owns what the last load brought and offers the two
// long operations, loading the chosen kinds through their helpers and deleting the ticked duplicates
// (backup first, then the marks and each kind's submit). The wizard and velloran-scan both load through
// it; whoever shows the work passes a WorkProgress. Both operations may run on a worker thread while
// nothing else touches the session.

#include "core/DeletionBackup.h"
#include "core/LoadedData.h"
#include "core/RecordKinds.h"
#include "core/WorkProgress.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class CxACTBaseUtil;

// What a load needs, taken from the settings once, so that nothing changes under a running load.
struct LoadRequest
{
    // The exchange files go here (the data folder for the wizard); empty: there is none, nothing loads.
    std::string workFolder;
    // The helpers' debug log goes here.
    std::string debugFolder;
    std::string padPath; // absolute
    std::string userName;
    std::string password;
    std::int32_t kinds = 0; // AppFlag bits
    bool opp = false;
    bool oppNotes = false;
    bool debugEnabled = false;
    std::int32_t logLevel = 0;

    // The wizard's load: the settings' login, kinds and debug options, and the data folder (created when
    // missing) for both folders.
    static LoadRequest FromSettings(const AppSettingsData& settings);
};

struct KindLoad
{
    bool chosen = false;
    bool loaded = false;
    std::string failure; // the helper's reason, or ours; empty when it loaded or was not chosen
};

struct LoadOutcome
{
    PerKind<KindLoad> kinds;
    // One line per reason with the kinds it hit ("Contacts, Notes: <reason>"); empty after a success.
    std::string failure;
    bool Loaded() const { return failure.empty(); }
};

// The records the user ticked, per kind in the order of their lists.
struct DeletionPlan
{
    PerKind<std::vector<void*>> ticked;
    bool Empty() const;
};

// What became of a record the user ticked for deletion.
enum class DeletionResult
{
    Unknown,    // its helper's run may have deleted it or not, and no load could tell since
    Deleted,    // its kind's submit succeeded, or a load after a failed one no longer found it
    NotDeleted, // never marked, or still found by a load after its kind's submit failed
};

// "deleted", "not deleted", "unknown": the outcome column of deletions.csv.
const char* DeletionResultWord(DeletionResult result);

// What became of one kind of a deletion.
struct KindDeletion
{
    struct Item
    {
        void* record;
        bool marked; // its utility took the mark
        DeletionResult result = DeletionResult::Unknown;
    };
    std::vector<Item> items; // the ticked records, in plan order
    int marks = 0;
    bool handedOver = false; // its submit was started: its helper may have deleted any of them
    bool submitted = false;  // its submit ran and succeeded
    bool settled = false;    // every item has its final result
    std::string failure;     // why its submit failed
    // Why its marked records that are not known deleted are not, or why nobody knows.
    std::string outcomeReason;

    // Empty for a deleted record.
    std::string_view Reason(const Item& item) const;
    int Count(DeletionResult result) const;
};

struct DeletionOutcome
{
    PerKind<KindDeletion> kinds;
    // The backup folder (ending in the separator); empty when none was made.
    std::string backupFolder;
    // Why no backup could be written; then nothing was submitted.
    std::string backupFailure;
    // With a backup failure: the folder it could not be written in.
    std::string backupRoot;
    bool AnyFailed() const;
    // Some ticked record is not known to be deleted.
    bool AnyNotDeleted() const;
    // Every kind with marks that has not been submitted fails for `reason`, unless it failed already; its
    // records that have no outcome yet are not deleted, since no helper was asked to delete them.
    void Fail(const std::string& reason);
};

class CleanupSession
{
public:
    CleanupSession() = default;
    CleanupSession(const CleanupSession&) = delete;
    CleanupSession& operator=(const CleanupSession&) = delete;

    LoadedData& Data() { return m_data; }
    const LoadedData& Data() const { return m_data; }

    // Forgets the last load and loads every kind chosen in the request into fresh utilities. A failed kind
    // does not stop the kinds after it, but it fails the load: a partial picture of the database must not
    // pass for the whole.
    LoadOutcome LoadSelectedKinds(const LoadRequest& request, WorkProgress& progress);
    // Drops every record and list.
    void Release() { m_data.Release(); }

    // Marks the planned records and, when any took its mark, backs them up with the record that stays
    // for each in a new folder under the documents folder, then has every kind with marks submit them.
    // Nothing is submitted without a complete backup. The outcome is filled as the work goes, so that an
    // exception leaves in it what was done.
    void Delete(const DeletionPlan& plan, WorkProgress& progress, DeletionOutcome& outcome);
    // The log of the last deletion beside its backup; nothing without a backup. False with a reason.
    bool WriteLog(std::string_view utf8Text, std::string& error) const;

    // The request of the last load, which a check after a failed submit loads with again.
    const LoadRequest& LastRequest() const { return m_request; }

    // For tests: called with a kind's utility right before its Load, and right before its Submit.
    static void SetBeforeLoadHook(std::function<void(CxACTBaseUtil&)> hook);
    static void SetBeforeSubmitHook(std::function<void(CxACTBaseUtil&)> hook);

private:
    static bool LoadKind(RecordKind kind, CxACTBaseUtil& util, const LoadRequest& request, WorkProgress& progress,
                         std::string& failure);
    void Mark(const DeletionPlan& plan, DeletionOutcome& outcome);
    std::vector<BackupKind> BackupOf(const DeletionOutcome& outcome) const;
    void Submit(DeletionOutcome& outcome, WorkProgress& progress);
    // Gives each marked record of a kind whose submit is over its outcome.
    void Settle(RecordKind kind, KindDeletion& deletion, WorkProgress& progress) const;
    // deletions.csv again, with the outcomes as they stand; a failure goes to the log.
    void WriteOutcomes(const DeletionOutcome& outcome, WorkProgress& progress) const;

    LoadedData m_data;
    DeletionBackup m_backup; // of the last deletion
    LoadRequest m_request; // of the last load: the submits and the checks after them use it too
};
