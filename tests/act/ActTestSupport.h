#pragma once

#include "TestUtil.h"

#include "ACT/ACTRecords.h"
#include "misc/CxDebugUtil.h"
#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace acttest {

// The stand-in helper built beside the tests (see test_child.cpp): its file name, and its name as a kind's
// helper name, without the executable suffix.
inline const char* kChild = VELLORAN_TEST_CHILD;
inline const char* kChildHelperName = VELLORAN_TEST_CHILD_NAME;

inline std::string le32(std::int32_t value)
{
    std::string bytes(4, '\0');
    std::memcpy(bytes.data(), &value, 4);
    return bytes;
}

inline std::string text(const std::string& value)
{
    return le32(static_cast<std::int32_t>(value.size())) + value;
}

inline std::string bytesOf(std::initializer_list<unsigned> values)
{
    std::string bytes;
    for (unsigned v : values)
        bytes += static_cast<char>(v);
    return bytes;
}

// Entries of a parameter file in file order; empty when it is malformed.
inline std::vector<std::pair<std::int32_t, std::string>> readParams(const std::string& path)
{
    const std::string bytes = testutil::readFile(path);
    std::vector<std::pair<std::int32_t, std::string>> entries;
    std::size_t pos = 0;
    auto next = [&](std::int32_t& v) {
        if (pos + 4 > bytes.size())
            return false;
        std::memcpy(&v, bytes.data() + pos, 4);
        pos += 4;
        return true;
    };
    std::int32_t count = 0, id = 0, type = 0, length = 0;
    if (!next(count))
        return {};
    for (std::int32_t i = 0; i < count; ++i) {
        if (!next(id) || !next(type) || type != 8 || !next(length) || pos + length > bytes.size())
            return {};
        entries.emplace_back(id, bytes.substr(pos, length));
        pos += length;
    }
    return pos == bytes.size() ? entries : decltype(entries){};
}

// Polls until the condition holds; false when it still does not after the limit.
template <class Condition> bool waitFor(Condition condition, std::chrono::milliseconds limit = std::chrono::seconds(10))
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

inline std::string programFolder()
{
    std::string folder;
    platform::programFolder(folder);
    return folder;
}

struct LogLine
{
    std::string source;
    bool failure;
    std::string message;
};

// Points the debug log at a fresh folder, everything on, and reads back what was written.
class LogCapture
{
public:
    LogCapture()
    {
        DebugLog.SetFolder((m_dir.path() + "/").c_str());
        DebugLog.SetEnabled(true);
        DebugLog.SetLevel(3);
    }
    ~LogCapture() { DebugLog.SetEnabled(false); }

    std::vector<LogLine> lines() const
    {
        std::vector<LogLine> result;
        const std::string all = testutil::readFile(DebugLog.GetLogPath());
        std::size_t start = 0;
        while (start < all.size()) {
            std::size_t end = all.find("\r\n", start);
            if (end == std::string::npos)
                end = all.size();
            const std::string line = all.substr(start, end - start);
            start = end + 2;
            const std::size_t open = line.find('(', 22);
            const std::size_t mark = line.find("] - ");
            if (line.size() < 22 || open == std::string::npos || mark == std::string::npos || mark < 3)
                continue;
            std::string source = line.substr(22, open - 22);
            source.erase(source.find_last_not_of(' ') + 1);
            result.push_back({source, line.compare(mark - 3, 3, "!!!") == 0, line.substr(mark + 4)});
        }
        return result;
    }

    // The messages written from one source file, in order.
    std::vector<std::string> messagesFrom(const std::string& source) const
    {
        std::vector<std::string> result;
        for (const LogLine& l : lines())
            if (l.source == source)
                result.push_back(l.message);
        return result;
    }

    bool contains(const std::string& message, bool failure) const
    {
        for (const LogLine& l : lines())
            if (l.message == message && l.failure == failure)
                return true;
        return false;
    }

    bool containsPrefix(const std::string& prefix, bool failure) const
    {
        for (const LogLine& l : lines())
            if (l.message.rfind(prefix, 0) == 0 && l.failure == failure)
                return true;
        return false;
    }

private:
    testutil::TempDir m_dir;
};

// Every field of a record filled to its capacity with values that differ from field to field; with
// `flip` the booleans take the opposite values.
inline void fillRecord(const FieldTable& table, void* record, int seed, bool flip)
{
    auto* base = static_cast<unsigned char*>(record);
    int booleans = 0;
    for (std::size_t i = 0; i < table.count; ++i) {
        const FieldDesc& f = table.fields[i];
        void* target = base + f.offset;
        switch (f.type) {
        case FieldType::Int: {
            const std::int32_t v = (i == 0) ? seed : -7919 * static_cast<std::int32_t>(i + 1) + seed;
            std::memcpy(target, &v, 4);
            break;
        }
        case FieldType::Text: {
            std::string text(f.size - 1, ' ');
            for (std::size_t j = 0; j < text.size(); ++j)
                text[j] = static_cast<char>('!' + (i * 7 + j + seed) % 94);
            SetRecordText(record, f, testutil::keep(text));
            break;
        }
        case FieldType::Bool:
            *static_cast<bool*>(target) = (booleans++ % 2 == 0) != flip;
            break;
        case FieldType::Date: {
            const double v = 39814.25 + static_cast<double>(i) + seed / 1024.0;
            std::memcpy(target, &v, 8);
            break;
        }
        }
    }
}

// The first field whose values differ between two records, or "" when none.
inline std::string firstDifference(const FieldTable& table, const void* a, const void* b)
{
    const auto* pa = static_cast<const unsigned char*>(a);
    const auto* pb = static_cast<const unsigned char*>(b);
    for (std::size_t i = 0; i < table.count; ++i) {
        const FieldDesc& f = table.fields[i];
        const bool same = f.type == FieldType::Text ? std::strcmp(RecordText(a, f), RecordText(b, f)) == 0
                                                    : std::memcmp(pa + f.offset, pb + f.offset, f.size) == 0;
        if (!same)
            return f.name;
    }
    return "";
}

} // namespace acttest
