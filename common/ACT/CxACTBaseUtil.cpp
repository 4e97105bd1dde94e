#include "ACT/CxACTBaseUtil.h"

#include "ACT/CxACTParamParser.h"
#include "misc/CxDebugUtil.h"
#include "misc/CxIniUtil.h"
#include "platform/Platform.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char* kRunStateSection = "Status";
const char* kErrorSection = "Error";

void SetText(char* field, std::size_t capacity, const char* text)
{
    ACTCopyText(field, capacity, text);
}

// Stores a path whole, with the form the helpers take in `forHelper`, or refuses it with the reason kept in
// `refused`.
template <std::size_t N>
bool SetPath(char (&field)[N], std::string& forHelper, const char* what, const char* text, std::size_t limit,
             std::string& refused)
{
    static_assert(N == CxACTBaseUtil::kMaxPathLength + 1);
    const std::string path = text ? text : "";
    std::string handed;
    if (!platform::helperPathText(path, handed))
        refused = CxACTBaseUtil::PathNotSpelled(what, path);
    else
        refused = CxACTBaseUtil::PathTooLong(what, handed.size() > path.size() ? handed : path, limit);
    if (!refused.empty()) {
        DEBUG_LOG(0, "%s", refused.c_str());
        return false;
    }
    SetText(field, N, text);
    forHelper = std::move(handed);
    return true;
}

} // namespace

CxACTBaseUtil::CxACTBaseUtil(const ACTKindInfo& kind)
    : ChangesPending(true), m_bHasError(false), PadName{}, UserName{}, Password{}, WorkFolder{}, DataFileName{},
      ParamFileName{}, ErrorFileName{}, StatusFileName{}, ErrorText{}, DebugFolder{}, ReservedText{}, LogLevel(3),
      DebugEnabled(false), RunMode(0), m_kind(kind), m_szHelperName{}
{
    SetDebugFolder("appdebug.log");
    SetText(m_szHelperName, sizeof(m_szHelperName), kind.helperName);
    SetDataFileName(kind.dataFile);
    SetErrorFileName(kind.errorFile);
    SetStatusFileName(kind.statusFile);
    SetParamFileName(kind.paramFile);
    std::string programFolder;
    if (platform::programFolder(programFolder))
        SetWorkFolder(programFolder.c_str());
}

CxACTBaseUtil::~CxACTBaseUtil()
{
    RequestHelperStop();
    CxACTBaseUtil::Clear();
}

bool CxACTBaseUtil::Load()
{
    return true;
}

bool CxACTBaseUtil::Clear()
{
    platform::removeFile(std::string(WorkFolder) + StatusFileName);
    platform::removeFile(std::string(WorkFolder) + ErrorFileName);
    return true;
}

bool CxACTBaseUtil::Submit()
{
    return false;
}

std::size_t CxACTBaseUtil::MaxWorkFolderLength(const ACTKindInfo& kind)
{
    std::size_t longest = 0;
    for (const char* name : {kind.dataFile, kind.errorFile, kind.statusFile, kind.paramFile, kind.runStateFile})
        longest = std::max(longest, std::strlen(name));
    return std::min(kMaxPathLength, kMaxExchangePathLength - 1 - longest);
}

std::string CxACTBaseUtil::PathTooLong(const char* what, const std::string& path, std::size_t limit)
{
    if (path.size() <= limit)
        return {};
    return std::string(what) + " is longer than the " + std::to_string(limit) +
           " characters the helpers can take (it has " + std::to_string(path.size()) + "): " + path + ".";
}

std::string CxACTBaseUtil::PathNotSpelled(const char* what, const std::string& path)
{
    return std::string(what) +
           " cannot be handed to the helpers, which take paths in the system's code page only: " + path +
           ". It has letters that code page lacks, and no short 8.3 name stands in for it (the file is missing, or "
           "its drive keeps no short names). Use a folder whose name has no such letters.";
}

bool CxACTBaseUtil::SetPadName(const char* text)
{
    return SetPath(PadName, m_padForHelper, "The PAD file's path", text, kMaxPathLength, m_padRefused);
}

void CxACTBaseUtil::SetUserName(const char* text)
{
    SetText(UserName, sizeof(UserName), text);
}

void CxACTBaseUtil::SetPassword(const char* text)
{
    SetText(Password, sizeof(Password), text);
}

bool CxACTBaseUtil::SetWorkFolder(const char* text)
{
    return SetPath(WorkFolder, m_workFolderForHelper, "The work folder", text, MaxWorkFolderLength(m_kind),
                   m_workFolderRefused);
}

void CxACTBaseUtil::SetDataFileName(const char* text)
{
    SetText(DataFileName, sizeof(DataFileName), text);
}

void CxACTBaseUtil::SetParamFileName(const char* text)
{
    SetText(ParamFileName, sizeof(ParamFileName), text);
}

void CxACTBaseUtil::SetErrorFileName(const char* text)
{
    SetText(ErrorFileName, sizeof(ErrorFileName), text);
}

void CxACTBaseUtil::SetStatusFileName(const char* text)
{
    SetText(StatusFileName, sizeof(StatusFileName), text);
}

void CxACTBaseUtil::SetDebugFolder(const char* text)
{
    SetText(DebugFolder, sizeof(DebugFolder), text);
    // It lies in the work folder, which no helper gets when it cannot be spelled either.
    if (!platform::helperPathText(DebugFolder, m_debugFolderForHelper))
        m_debugFolderForHelper.clear();
}

void CxACTBaseUtil::SetHelperName(const char* name)
{
    SetText(m_szHelperName, sizeof(m_szHelperName), name);
}

void CxACTBaseUtil::ClearError()
{
    m_bHasError = false;
    ErrorText[0] = '\0';
}

void CxACTBaseUtil::ReadErrorFile()
{
    CxIniUtil errorFile(WorkFolder, ErrorFileName);
    const std::int32_t count = errorFile.ReadInt(kErrorSection, "Error.Count", 0);
    if (count <= 0) {
        ClearError();
        return;
    }
    char key[32];
    std::snprintf(key, sizeof(key), "Error.%d", count);
    errorFile.ReadString(kErrorSection, key, ErrorText, sizeof(ErrorText), "");
    m_bHasError = true;
}

void CxACTBaseUtil::RequestHelperStop()
{
    CxIniUtil runState(WorkFolder, m_kind.runStateFile);
    if (runState.ReadInt(kRunStateSection, "Running", 0) != 0)
        runState.WriteString(kRunStateSection, "Stop", "1");
}

void CxACTBaseUtil::SetKindParams(CxACTParamParser&) {}

std::string CxACTBaseUtil::DataFilePath(const char* fileName) const
{
    return ACTJoinPath(WorkFolder, fileName && *fileName ? fileName : DataFileName);
}

bool CxACTBaseUtil::RunHelper()
{
    m_failure.clear();
    m_bHelperKilled = false;
    m_bHelperMayStillRun = false;
    ClearError();
    // A helper handed what is left of a path would work on another file, or report this one missing.
    if (!m_padRefused.empty() || !m_workFolderRefused.empty()) {
        m_failure = !m_padRefused.empty() ? m_padRefused : m_workFolderRefused;
        return false;
    }
    char number[16];
    CxACTParamParser parser;
    parser.SetParam(PARAM_PAD_NAME, PARAM_TYPE_TEXT, m_padForHelper.c_str());
    parser.SetParam(PARAM_USER_NAME, PARAM_TYPE_TEXT, UserName);
    parser.SetParam(PARAM_PASSWORD, PARAM_TYPE_TEXT, Password);
    parser.SetParam(PARAM_DATA_FILE, PARAM_TYPE_TEXT, DataFileName);
    parser.SetParam(PARAM_WORK_FOLDER, PARAM_TYPE_TEXT, m_workFolderForHelper.c_str());
    std::snprintf(number, sizeof(number), "%d", RunMode);
    parser.SetParam(PARAM_RUN_MODE, PARAM_TYPE_TEXT, number);
    parser.SetParam(PARAM_ERROR_FILE, PARAM_TYPE_TEXT, ErrorFileName);
    parser.SetParam(PARAM_STATUS_FILE, PARAM_TYPE_TEXT, StatusFileName);
    SetKindParams(parser);
    parser.SetParam(PARAM_DEBUG_FOLDER, PARAM_TYPE_TEXT, m_debugFolderForHelper.c_str());
    parser.SetParam(PARAM_RESERVED, PARAM_TYPE_TEXT, ReservedText);
    std::snprintf(number, sizeof(number), "%d", LogLevel);
    parser.SetParam(PARAM_LOG_LEVEL, PARAM_TYPE_TEXT, number);
    parser.SetParam(PARAM_DEBUG_ENABLED, PARAM_TYPE_TEXT, DebugEnabled ? "1" : "0");

    // Without its parameters a helper could only act on an older parameter file left in place, with
    // another run mode; it is not started.
    const std::string paramPath = ACTJoinPath(WorkFolder, ParamFileName);
    if (!parser.WriteParamFile(paramPath.c_str())) {
        DEBUG_LOG(0, "Failed to write the parameter file: %s", paramPath.c_str());
        ClearError();
        m_failure = "The parameter file " + paramPath + " cannot be written.";
        return false;
    }

    ClearError();
    CxACTDataReader& runner = GetHelperRunner(m_kind.kind);
    runner.SetFolder(WorkFolder);
    runner.SetProgram((std::string(m_szHelperName) + platform::kExecutableSuffix).c_str());
    runner.SetParamFile(ParamFileName);
    runner.SetDataFile(DataFileName);
    runner.SetRunStateFile(m_kind.runStateFile);
    runner.Run();
    // The parameter file holds the CRM password in plain text: it goes as soon as the helper is done with
    // it, and the next run writes a new one. A helper still running past the time-out may yet read it;
    // then it stays until the runner goes at the end of the program.
    if (!runner.TimedOut())
        platform::removeFile(paramPath);
    ReadErrorFile();
    m_bHelperKilled = runner.WasKilled();
    m_bHelperMayStillRun = runner.TimedOut();
    // The helper's own words say most; without them, why the run itself went wrong. A killed helper
    // wrote no words of its own: an error file then is one an earlier run left.
    if (m_bHasError && !m_bHelperKilled)
        m_failure =
            ErrorText[0] ? platform::localTextToUtf8(ErrorText) : "The helper reported an error without a text.";
    else
        m_failure = runner.GetRunFailure();
    // A helper that ended with a failure code and said nothing did not finish its run. On Windows that is
    // all a helper ended by TerminateProcess leaves (taskkill /F and the Task Manager give exit code 1) when
    // it had not yet marked itself running; nothing it left counts.
    if (m_failure.empty() && !m_bHasError && runner.GetExitCode() != 0) {
        m_bHelperKilled = true;
        m_failure = std::string("The helper ") + m_szHelperName + " ended with exit code " +
                    std::to_string(runner.GetExitCode()) +
                    " and reported no error: it was killed, or failed before it could say why.";
    }
    return m_failure.empty();
}
