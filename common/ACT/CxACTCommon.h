#pragma once

#include "platform/Process.h"

#include <cstddef>
#include <cstdint>
#include <string>

// The record kinds, in the order in which every loop of the program visits them.
enum class ACTKind
{
    Addr,
    Date,
    Task,
    Note,
};

// Copies at most capacity - 1 characters of a text and terminates it; a null text gives an empty one.
void ACTCopyText(char* target, std::size_t capacity, const char* text);

// A folder joined by a separator with a file name ("%s\\%s" where the separator is a backslash).
std::string ACTJoinPath(const char* folder, const char* fileName);

// Runs one helper program and waits for it. One runner per kind lives for the whole process (see
// GetHelperRunner); its destructor removes the parameter file and the data file of the kind's last run,
// which hold the password and the CRM's records.
class CxACTDataReader
{
public:
    static constexpr std::uint32_t kDefaultWaitTimeout = 1800000;

    CxACTDataReader();
    virtual ~CxACTDataReader();
    CxACTDataReader(const CxACTDataReader&) = delete;
    CxACTDataReader& operator=(const CxACTDataReader&) = delete;

    // A null text leaves the field as it was; a longer text is cut to 259 characters.
    void SetProgram(const char* text);
    void SetFolder(const char* text);
    void SetParamFile(const char* text);
    void SetDataFile(const char* text);
    // The helper's run-state file in the folder: a helper that ended while it still marks itself
    // running there did not end of itself. Empty: not looked at.
    void SetRunStateFile(const char* text);
    // For tests only: the program always waits kDefaultWaitTimeout.
    void SetWaitTimeout(std::uint32_t milliseconds) { WaitTimeout = milliseconds; }

    const char* GetProgram() const { return ProgramName; }
    const char* GetFolder() const { return Folder; }
    const char* GetParamFile() const { return ParamFileName; }
    const char* GetDataFile() const { return DataFileName; }
    std::uint32_t GetWaitTimeout() const { return WaitTimeout; }

    // Starts the helper and waits for it; always 0. What the helper did shows in what it leaves on
    // disk; whether it could be started and ended in time shows in GetRunFailure.
    int Run();
    int Execute();
    void ReleaseHandles();
    // Why the last run did not end normally: the helper could not be started, was killed, did not end
    // within the time-out, or could not be waited for. Empty after a run that ended.
    const std::string& GetRunFailure() const { return m_runFailure; }
    // The last run was ended from outside before it finished: by a signal, a crash, or (on Windows, where a
    // killer such as taskkill /F or the Task Manager picks the exit code) while its run-state file still
    // marked it running. It may have left any of its files half done.
    bool WasKilled() const { return m_bKilled; }
    // The exit code of the last run's helper when it exited of itself (0 otherwise). The runner takes none
    // for a failure of its own; the data utility weighs it against what the helper reported.
    int GetExitCode() const { return m_exitCode; }
    // The last run's wait gave up while the helper still ran: it may go on working after Run returned.
    bool TimedOut() const { return m_bTimedOut; }

private:
    void DeleteExchangeFiles();

    char ProgramName[260];
    char Folder[260];
    char ParamFileName[260];
    char DataFileName[260];
    char RunStateFileName[260];
    std::uint32_t WaitTimeout;
    platform::ChildProcess m_process;
    std::string m_runFailure;
    bool m_bKilled = false;
    bool m_bTimedOut = false;
    int m_exitCode = 0;
};

// The process-wide runner of a kind, created on first use and destroyed at program end.
CxACTDataReader& GetHelperRunner(ACTKind kind);
