#pragma once

#include "ACT/CxACTCommon.h"

#include <cstdint>
#include <string>

class CxACTParamParser;

// The fixed names of one record kind. The helper's name carries no executable suffix; the platform's
// is added when it is started.
struct ACTKindInfo
{
    ACTKind kind;
    const char* helperName;
    const char* dataFile;
    const char* errorFile;
    const char* statusFile;
    const char* paramFile;
    const char* runStateFile;
};

// Everything a helper run of one kind needs: login, exchange file names, debug settings. Runs the
// kind's helper through the parameter file and the kind's runner, and reads what the helper reports in
// the error file.
class CxACTBaseUtil
{
public:
    virtual ~CxACTBaseUtil();
    CxACTBaseUtil(const CxACTBaseUtil&) = delete;
    CxACTBaseUtil& operator=(const CxACTBaseUtil&) = delete;

    virtual bool Load();
    // Deletes the progress file and the error file.
    virtual bool Clear();
    virtual bool Submit();

    // The longest PAD path and work folder a helper can be handed.
    static constexpr std::size_t kMaxPathLength = 255;
    // The longest full path of an exchange file: the parameter and run-state files are opened through
    // buffers of 260 characters.
    static constexpr std::size_t kMaxExchangePathLength = 259;
    // The longest work folder for a kind: every exchange file of the kind, joined to it by one more
    // separator as the parameter and data file are, must fit kMaxExchangePathLength too.
    static std::size_t MaxWorkFolderLength(const ACTKindInfo& kind);
    // Why a path cannot be handed to the helpers ("<what> is longer than ... : <path>."), or empty when it
    // has at most `limit` characters.
    static std::string PathTooLong(const char* what, const std::string& path, std::size_t limit = kMaxPathLength);
    // Why a path that the system's code page cannot spell, even in its short form, cannot be handed to the
    // helpers.
    static std::string PathNotSpelled(const char* what, const std::string& path);

    // A missing or empty text empties the field; a longer text is cut to 255 characters.
    void SetUserName(const char* text);
    void SetPassword(const char* text);
    // Paths are UTF-8, as the program holds them; the helpers get them in the system's code page (on
    // Windows the short 8.3 form of one with letters the code page lacks). A path longer than
    // kMaxPathLength (a work folder: MaxWorkFolderLength), or one the code page cannot spell at all, is
    // refused, never cut or mangled: that would name another file. Then the field keeps what it held, false is
    // returned, and no helper runs (GetFailureText says why) until a path that fits is set. A missing or empty text
    // empties the field.
    bool SetPadName(const char* text);
    // Ends in the separator.
    bool SetWorkFolder(const char* text);
    void SetDataFileName(const char* text);
    void SetParamFileName(const char* text);
    void SetErrorFileName(const char* text);
    void SetStatusFileName(const char* text);
    void SetDebugFolder(const char* text);
    void SetLogLevel(std::int32_t level) { LogLevel = level; }
    void SetDebugEnabled(bool enabled) { DebugEnabled = enabled; }

    // For tests: runs this executable of the program folder instead of the kind's helper.
    void SetHelperName(const char* name);

    void ClearError();
    // Takes the last error the helper reported in the error file.
    void ReadErrorFile();
    // Asks a helper that is still running (its run-state file says so) to stop.
    void RequestHelperStop();
    // One run of the kind's helper in RunMode. True when the helper was started, ended within the
    // time-out and reported no error; otherwise GetFailureText says why.
    bool RunHelper();
    // Why the last Load or Submit failed, in words for the user: the helper's own error text when it gave
    // one, else what went wrong on our side (no helper, no time, no complete data file). Empty after a
    // success.
    const std::string& GetFailureText() const { return m_failure; }
    // The last run's helper did not end within the time-out: whatever it was doing may still go on.
    bool HelperMayStillRun() const { return m_bHelperMayStillRun; }

    ACTKind GetKind() const { return m_kind.kind; }
    const char* GetHelperName() const { return m_szHelperName; }
    bool HasChangesPending() const { return ChangesPending; }
    bool HasError() const { return m_bHasError; }
    const char* GetErrorText() const { return ErrorText; }
    const char* GetPadName() const { return PadName; }
    const char* GetUserName() const { return UserName; }
    const char* GetPassword() const { return Password; }
    const char* GetWorkFolder() const { return WorkFolder; }
    const char* GetDataFileName() const { return DataFileName; }
    const char* GetParamFileName() const { return ParamFileName; }
    const char* GetErrorFileName() const { return ErrorFileName; }
    const char* GetStatusFileName() const { return StatusFileName; }
    const char* GetRunStateFileName() const { return m_kind.runStateFile; }
    const char* GetDebugFolder() const { return DebugFolder; }
    std::int32_t GetLogLevel() const { return LogLevel; }
    bool IsDebugEnabled() const { return DebugEnabled; }
    std::int32_t GetRunMode() const { return RunMode; }

protected:
    explicit CxACTBaseUtil(const ACTKindInfo& kind);

    // Entries of the kind's own that follow the progress file name in the parameter file.
    virtual void SetKindParams(CxACTParamParser& parser);

    // The work folder joined by a separator with a file name; a missing or empty name means DataFileName.
    std::string DataFilePath(const char* fileName) const;

    void SetFailure(std::string text) { m_failure = std::move(text); }
    // The helper of the last RunHelper was killed: nothing it left behind counts as its result.
    bool HelperWasKilled() const { return m_bHelperKilled; }

    bool ChangesPending;
    bool m_bHasError;
    bool m_bHelperKilled = false;
    bool m_bHelperMayStillRun = false;
    char PadName[256];
    char UserName[256];
    char Password[256];
    char WorkFolder[256];
    char DataFileName[256];
    char ParamFileName[256];
    char ErrorFileName[256];
    char StatusFileName[256];
    char ErrorText[1024];
    char DebugFolder[256];
    char ReservedText[256];
    std::int32_t LogLevel;
    bool DebugEnabled;
    std::int32_t RunMode;

private:
    const ACTKindInfo& m_kind;
    char m_szHelperName[256];
    std::string m_failure;
    // Why the PAD path or the work folder last given was refused; empty when it was taken.
    std::string m_padRefused;
    std::string m_workFolderRefused;
    // The paths as the helpers get them.
    std::string m_padForHelper;
    std::string m_workFolderForHelper;
    std::string m_debugFolderForHelper;
};
