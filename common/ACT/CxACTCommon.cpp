#include "ACT/CxACTCommon.h"

#include "misc/CxDebugUtil.h"
#include "misc/CxIniUtil.h"
#include "platform/Platform.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

void ACTCopyText(char* target, std::size_t capacity, const char* text)
{
    if (!target || capacity == 0)
        return;
    const std::size_t length = text ? ::strnlen(text, capacity - 1) : 0;
    if (length > 0)
        std::memcpy(target, text, length);
    target[length] = '\0';
}

std::string ACTJoinPath(const char* folder, const char* fileName)
{
    std::string path = folder ? folder : "";
    path += platform::kPathSeparator;
    path += fileName ? fileName : "";
    return path;
}

CxACTDataReader::CxACTDataReader()
    : ProgramName{}, Folder{}, ParamFileName{}, DataFileName{}, RunStateFileName{}, WaitTimeout(kDefaultWaitTimeout)
{
}

CxACTDataReader::~CxACTDataReader()
{
    ReleaseHandles();
    DeleteExchangeFiles();
}

void CxACTDataReader::SetProgram(const char* text)
{
    if (text)
        ACTCopyText(ProgramName, sizeof(ProgramName), text);
}

void CxACTDataReader::SetFolder(const char* text)
{
    if (text)
        ACTCopyText(Folder, sizeof(Folder), text);
}

void CxACTDataReader::SetParamFile(const char* text)
{
    if (text)
        ACTCopyText(ParamFileName, sizeof(ParamFileName), text);
}

void CxACTDataReader::SetDataFile(const char* text)
{
    if (text)
        ACTCopyText(DataFileName, sizeof(DataFileName), text);
}

void CxACTDataReader::SetRunStateFile(const char* text)
{
    if (text)
        ACTCopyText(RunStateFileName, sizeof(RunStateFileName), text);
}

int CxACTDataReader::Run()
{
    ReleaseHandles();
    return Execute();
}

namespace {

// The system's text for an error, to end a sentence of ours: without the full stop some systems add.
std::string ReasonOf(int error)
{
    std::string text = platform::systemErrorText(error);
    while (!text.empty() && (text.back() == '.' || std::isspace(static_cast<unsigned char>(text.back()))))
        text.pop_back();
    return text;
}

// "30 minutes" for the program's own time-out, seconds for the short ones of tests.
std::string DurationText(std::uint32_t milliseconds)
{
    if (milliseconds >= 60000 && milliseconds % 60000 == 0)
        return std::to_string(milliseconds / 60000) + " minutes";
    const std::uint32_t seconds = (milliseconds + 999) / 1000;
    return std::to_string(seconds) + (seconds == 1 ? " second" : " seconds");
}

// Key Running of section Status in the run-state file: nonzero while a helper runs (0 without a file).
std::int64_t RunningMark(const char* folder, const char* runStateFile)
{
    if (!runStateFile[0])
        return 0;
    char value[32] = {};
    CxIniUtil(folder, runStateFile).ReadString("Status", "Running", value, sizeof(value), "0");
    return std::strtoll(value, nullptr, 10);
}

} // namespace

int CxACTDataReader::Execute()
{
    m_runFailure.clear();
    m_bKilled = false;
    m_bTimedOut = false;
    m_exitCode = 0;
    // The helper gets the program folder as its current directory; ours stays as it is, since other
    // threads depend on it.
    const std::string original = platform::currentDirectory();
    DEBUG_LOG(2, "Original current directory: %s", original.c_str());

    std::string programFolder;
    platform::programFolder(programFolder);
    DEBUG_LOG(2, "Set current directory: %s", programFolder.c_str());

    char commandLine[1024];
    std::snprintf(commandLine, sizeof(commandLine), "\"%s\" \"%s%s\"", ProgramName, Folder, ParamFileName);
    DEBUG_LOG(2, "Executing command: %s", commandLine);

    const std::int64_t runningBefore = RunningMark(Folder, RunStateFileName);
    // The helper reads its arguments in the system's code page: the path goes in the form it can take.
    std::string paramPath = std::string(Folder) + ParamFileName;
    platform::helperPathText(paramPath, paramPath);
    const std::vector<std::string> args{ProgramName, paramPath};
    const int startError = programFolder.empty()
                               ? ENOENT
                               : platform::startProcess(programFolder + ProgramName, args, programFolder, m_process);
    if (startError != 0) {
        DEBUG_LOG(0, "CreateProcess Error: %s", platform::systemErrorText(startError).c_str());
        m_runFailure = std::string("The helper ") + ProgramName + " cannot be started: " + ReasonOf(startError) + ".";
        return 0;
    }

    DEBUG_LOG(2, "Command executed successfully.");
    const auto childId = static_cast<std::int64_t>(platform::processId(m_process));
    int waitError = 0;
    switch (platform::waitProcess(m_process, WaitTimeout, &waitError)) {
    case platform::WaitResult::Exited: {
        // A helper clears its Running mark when its run ends. One that ended with the mark still its own
        // (its process number, or a mark set since it started) was ended from outside: on Windows
        // TerminateProcess leaves whatever exit code the killer chose (taskkill /F and the Task Manager
        // choose 1), which no exit status tells from the helper's own.
        const std::int64_t running = RunningMark(Folder, RunStateFileName);
        if (running != 0 && (running == childId || running != runningBefore)) {
            DEBUG_LOG(0, "The helper utility program ended while it still marked itself running (%lld).",
                      static_cast<long long>(running));
            m_runFailure = std::string("The helper ") + ProgramName +
                           " was killed before it finished (it ended while still marked running).";
            m_bKilled = true;
            break;
        }
        DEBUG_LOG(2, "Helper utility program exited successfully.");
        m_exitCode = waitError;
        break;
    }
    case platform::WaitResult::Killed:
        // Whatever it left on disk may be half done, and it wrote no error file to say so.
        DEBUG_LOG(0, "The helper utility program was killed, code=%d", waitError);
        m_runFailure = std::string("The helper ") + ProgramName + " was killed before it finished (code " +
                       std::to_string(waitError) + ").";
        m_bKilled = true;
        break;
    case platform::WaitResult::TimedOut:
        DEBUG_LOG(2, "The helper utility program has no response. Got timeout event.");
        m_runFailure = std::string("The helper ") + ProgramName + " did not finish within " +
                       DurationText(WaitTimeout) + "; it may still be running.";
        m_bTimedOut = true;
        break;
    case platform::WaitResult::Failed:
        DEBUG_LOG(0, "Got unexpected error, return code=%d", waitError);
        m_runFailure = std::string("Waiting for the helper ") + ProgramName +
                       " failed: " + ReasonOf(waitError) + ".";
        break;
    }
    ReleaseHandles();
    return 0;
}

void CxACTDataReader::ReleaseHandles()
{
    platform::releaseProcess(m_process);
}

void CxACTDataReader::DeleteExchangeFiles()
{
    if (ParamFileName[0])
        platform::removeFile(ACTJoinPath(Folder, ParamFileName));
    if (DataFileName[0])
        platform::removeFile(ACTJoinPath(Folder, DataFileName));
}

CxACTDataReader& GetHelperRunner(ACTKind kind)
{
    switch (kind) {
    case ACTKind::Addr: {
        static CxACTDataReader runner;
        return runner;
    }
    case ACTKind::Date: {
        static CxACTDataReader runner;
        return runner;
    }
    case ACTKind::Task: {
        static CxACTDataReader runner;
        return runner;
    }
    case ACTKind::Note:
        break;
    }
    static CxACTDataReader noteRunner;
    return noteRunner;
}
