#include "platform/Platform.h"
#include "platform/ProfileStringRules.h"
#include "platform/SaveFile.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

namespace {

using profile::trim;

enum class LineKind
{
    Other,
    Section,
    Key,
};

// One line of the file: its bytes without the line end, its line end ("\r\n", "\n" or none on the
// last line) and, for section and key lines, the trimmed name.
struct Line
{
    std::string_view text;
    std::string_view eol;
    LineKind kind = LineKind::Other;
    std::string_view name;
    std::string_view value;
};

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        const auto la = (ca >= 'A' && ca <= 'Z') ? ca + 32 : ca;
        const auto lb = (cb >= 'A' && cb <= 'Z') ? cb + 32 : cb;
        if (la != lb)
            return false;
    }
    return true;
}

std::vector<Line> splitLines(std::string_view content)
{
    std::vector<Line> lines;
    // A byte-order mark from a hand editor must not hide the first section header.
    std::size_t skip = content.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    std::size_t pos = 0;
    while (pos < content.size()) {
        std::size_t end = content.find('\n', pos);
        Line line;
        if (end == std::string_view::npos) {
            line.text = content.substr(pos);
            pos = content.size();
        } else {
            std::size_t textEnd = end;
            if (textEnd > pos && content[textEnd - 1] == '\r')
                --textEnd;
            line.text = content.substr(pos, textEnd - pos);
            line.eol = content.substr(textEnd, end + 1 - textEnd);
            pos = end + 1;
        }

        std::string_view body = line.text.substr(std::min(skip, line.text.size()));
        skip = 0;
        body = trim(body);
        // A "[" line without its "]" starts no section: Windows reads it as a line of the section it is in,
        // so the keys below it stay in that section.
        if (!body.empty() && body.front() == '[' && body.find(']') != std::string_view::npos) {
            line.kind = LineKind::Section;
            std::string_view inner = body.substr(1);
            line.name = trim(inner.substr(0, inner.find(']')));
        } else if (!body.empty() && body.front() != ';') {
            const std::size_t eq = body.find('=');
            if (eq != std::string_view::npos) {
                line.kind = LineKind::Key;
                line.name = trim(body.substr(0, eq));
                line.value = trim(body.substr(eq + 1));
            }
        }
        lines.push_back(line);
    }
    return lines;
}

// Index of the first header of the section, or lines.size().
std::size_t findSection(const std::vector<Line>& lines, std::string_view section)
{
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].kind == LineKind::Section && sameName(lines[i].name, section))
            return i;
    return lines.size();
}

// One past the last line of the section whose header is at index header.
std::size_t sectionEnd(const std::vector<Line>& lines, std::size_t header)
{
    std::size_t i = header + 1;
    while (i < lines.size() && lines[i].kind != LineKind::Section)
        ++i;
    return i;
}

std::size_t findKey(const std::vector<Line>& lines, std::size_t header, std::string_view key)
{
    const std::size_t end = sectionEnd(lines, header);
    for (std::size_t i = header + 1; i < end; ++i)
        if (lines[i].kind == LineKind::Key && sameName(lines[i].name, key))
            return i;
    return lines.size();
}

} // namespace

std::size_t readProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                              std::size_t size, const char* file)
{
    if (!buffer || size == 0)
        return 0;

    std::string content;
    if (!section || !key || !file || readWholeFile(file, content) != ReadResult::Ok)
        return profile::copyDefault(defaultValue, buffer, size);
    const std::vector<Line> lines = splitLines(content);
    const std::size_t header = findSection(lines, trim(section));
    if (header == lines.size())
        return profile::copyDefault(defaultValue, buffer, size);
    const std::size_t at = findKey(lines, header, trim(key));
    if (at == lines.size())
        return profile::copyDefault(defaultValue, buffer, size);

    // Windows drops a pair of double or of single quotes around a value.
    std::string_view result = lines[at].value;
    if (result.size() >= 2 && (result.front() == '"' || result.front() == '\'') && result.back() == result.front())
        result = result.substr(1, result.size() - 2);
    const std::size_t n = std::min(result.size(), size - 1);
    std::memcpy(buffer, result.data(), n);
    buffer[n] = '\0';
    return n;
}

namespace {

// One write applied to the text of a file (`missing` when there is no file yet). False when the text
// stays as it is.
bool applyWrite(std::string& content, bool missing, std::string_view sectionName, std::string_view keyName,
                const char* key, const char* value)
{
    const bool removing = !key || !value;
    if (missing && removing)
        return false;

    const std::vector<Line> lines = splitLines(content);
    std::string_view newline = "\n";
    for (const Line& line : lines) {
        if (!line.eol.empty()) {
            newline = line.eol;
            break;
        }
    }

    std::string out;
    out.reserve(content.size() + 64);
    auto emit = [&](const Line& line) {
        out.append(line.text);
        out.append(line.eol);
    };
    // A line that gets a successor must end in a line break.
    auto emitTerminated = [&](const Line& line) {
        out.append(line.text);
        out.append(line.eol.empty() ? newline : line.eol);
    };
    auto emitKey = [&](std::string_view name, std::string_view eol) {
        out.append(name);
        out.push_back('=');
        out.append(value);
        out.append(eol);
    };

    const std::size_t header = findSection(lines, sectionName);
    if (header == lines.size()) {
        if (removing)
            return false;
        for (std::size_t i = 0; i < lines.size(); ++i)
            emitTerminated(lines[i]);
        out.push_back('[');
        out.append(sectionName);
        out.push_back(']');
        out.append(newline);
        emitKey(keyName, newline);
        content = std::move(out);
        return true;
    }

    const std::size_t end = sectionEnd(lines, header);
    if (!key) {
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (i < header || i >= end)
                emit(lines[i]);
        content = std::move(out);
        return true;
    }

    const std::size_t at = findKey(lines, header, keyName);
    if (at < lines.size()) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (i != at)
                emit(lines[i]);
            else if (value)
                emitKey(lines[i].name, lines[i].eol);
        }
        content = std::move(out);
        return true;
    }
    if (!value)
        return false;

    // A new key goes after the section's last key, so blank lines and comments that lead into the next
    // section stay with it.
    std::size_t after = header;
    for (std::size_t i = header + 1; i < end; ++i)
        if (lines[i].kind == LineKind::Key)
            after = i;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i == after) {
            emitTerminated(lines[i]);
            emitKey(keyName, newline);
        } else {
            emit(lines[i]);
        }
    }
    content = std::move(out);
    return true;
}

} // namespace

bool writeProfileString(const char* section, const char* key, const char* value, const char* file)
{
    const ProfileEntry entry{key, value};
    return writeProfileStrings(section, &entry, 1, file);
}

bool writeProfileStrings(const char* section, const ProfileEntry* entries, std::size_t count, const char* file)
{
    if (!file || !*file || !entries)
        return false;
    std::string_view sectionName;
    std::vector<std::string_view> keyNames(count);
    for (std::size_t i = 0; i < count; ++i)
        if (!profile::checkWrite(section, entries[i].key, entries[i].value, sectionName, keyNames[i]))
            return false;

    const std::string target = profileWriteTarget(file);
    std::string content;
    const ReadResult read = readWholeFile(target, content);
    if (read == ReadResult::Failed)
        return false;
    bool missing = read == ReadResult::Missing;
    bool changed = false;
    for (std::size_t i = 0; i < count; ++i) {
        if (applyWrite(content, missing, sectionName, keyNames[i], entries[i].key, entries[i].value)) {
            changed = true;
            missing = false;
        }
    }
    return !changed || SaveWholeFile(target, content);
}

} // namespace platform
