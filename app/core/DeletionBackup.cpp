#include "core/DeletionBackup.h"

#include "core/RestoreCsv.h"
#include "platform/Platform.h"
#include "platform/SaveFile.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

namespace {

constexpr const char* kRootName = "Velloran Backups";
constexpr int kMaxSameSecond = 100;

// Creates the folder and every missing folder above it, each owner-only; the documents folder itself may
// not exist yet (on Linux nothing makes ~/Documents).
bool EnsureFolders(const std::string& path)
{
    std::error_code ec;
    if (std::filesystem::is_directory(platform::fsPath(path), ec))
        return true;
    const std::size_t last = path.find_last_of(platform::kPathSeparators);
    if (last != std::string::npos && last > 0 && !EnsureFolders(path.substr(0, last)))
        return false;
    return platform::createPrivateFolder(path) || std::filesystem::is_directory(platform::fsPath(path), ec);
}

const FieldDesc* RecordIdField(const FieldTable& table)
{
    for (std::size_t i = 0; i < table.count; ++i)
        if (std::strcmp(table.fields[i].name, "RecordID") == 0)
            return &table.fields[i];
    return nullptr;
}

std::string RecordIdOf(const void* record, const FieldDesc* idField)
{
    if (!record || !idField)
        return std::string();
    return CsvField(StoredTextUtf8(RecordText(record, *idField)));
}

bool Fail(std::string& error, const std::string& path)
{
    error = "The file " + path + " cannot be written.";
    return false;
}

} // namespace

std::string CsvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + '"';
}

// Most texts are plain ASCII, which is UTF-8 as it stands.
std::string StoredTextUtf8(std::string_view text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return platform::localTextToUtf8(text);
    return std::string(text);
}

std::string BackupRootFolder(const std::string& documentsFolder)
{
    return documentsFolder + platform::kPathSeparator + kRootName;
}

bool DeletionBackup::Create(const std::string& root, std::string& error)
{
    m_folder.clear();
    if (!EnsureFolders(root)) {
        error = "The folder " + root + " cannot be created.";
        return false;
    }
    const platform::LocalTime now = platform::localTime();
    char name[64];
    std::snprintf(name, sizeof name, "%04d-%02d-%02d %02d-%02d-%02d", now.year, now.month, now.day, now.hour,
                  now.minute, now.second);
    for (int n = 1; n <= kMaxSameSecond; ++n) {
        std::string folder = root + platform::kPathSeparator + name;
        if (n > 1)
            folder += " (" + std::to_string(n) + ")";
        if (platform::createPrivateFolder(folder)) {
            m_folder = folder + platform::kPathSeparator;
            return true;
        }
        if (!platform::pathExists(folder))
            break;
    }
    error = "No new folder can be created in " + root + ".";
    return false;
}

bool DeletionBackup::WriteRecords(const std::vector<BackupKind>& kinds, std::string& error) const
{
    for (const BackupKind& kind : kinds) {
        if (kind.records.empty())
            continue;
        const std::string path = m_folder + kind.kindWord + ".csv";
        if (!WriteRestoreCsv(path, kind))
            return Fail(error, path);
    }
    return WriteDeletions(kinds, error);
}

bool DeletionBackup::WriteDeletions(const std::vector<BackupKind>& kinds, std::string& error) const
{
    const std::string path = m_folder + "deletions.csv";
    platform::SaveFile deletions(path);
    if (!deletions.Open() || !deletions.Write("kind,record_id,kept_record_id,outcome,reason\n"))
        return Fail(error, path);
    std::string line;
    for (const BackupKind& kind : kinds) {
        const FieldDesc* idField = RecordIdField(*kind.fields);
        for (const BackupRecord& entry : kind.records) {
            line = std::string(kind.kindWord) + ',' + RecordIdOf(entry.record, idField) + ',' +
                   RecordIdOf(entry.kept, idField) + ',' + CsvField(entry.outcome) + ',' + CsvField(entry.reason) +
                   '\n';
            deletions.Write(line);
        }
    }
    if (!deletions.Commit())
        return Fail(error, path);
    return true;
}

bool DeletionBackup::WriteLog(std::string_view utf8Text, std::string& error) const
{
    const std::string path = m_folder + "log.txt";
    if (!platform::SaveWholeFile(path, utf8Text))
        return Fail(error, path);
    return true;
}
