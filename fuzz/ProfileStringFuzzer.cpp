// The profile-string reader and writer on any file: the settings file, the run-state file and the error
// file are all read and written through them.
//
// An input is three lines, a section, a key and a value, followed by the file's content. The key is read
// from the file as it is, then the value is written and read back: a value written without blanks or
// quotes at its ends must read back as it was, and a write with names the writer accepts must succeed.

#include "FuzzSupport.h"

#include "platform/Platform.h"
#include "platform/ProfileStringRules.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The next line of the input (without its line break), as a C string sees it: up to an inner zero.
std::string NextLine(std::string_view& input)
{
    const std::size_t end = input.find('\n');
    std::string_view line = input.substr(0, end);
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    return std::string(line.substr(0, line.find('\0')));
}

bool IsQuote(char c)
{
    return c == '"' || c == '\'';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string section = NextLine(input);
    const std::string key = NextLine(input);
    const std::string value = NextLine(input);
    const std::string path =
        fuzz::WriteInput("profile.ini", reinterpret_cast<const std::uint8_t*>(input.data()), input.size());

    std::vector<char> buffer(size + 2);
    const std::size_t read = platform::readProfileString(section.c_str(), key.c_str(), "fallback", buffer.data(),
                                                         buffer.size(), path.c_str());
    FUZZ_CHECK(read < buffer.size() && buffer[read] == '\0');

    std::string_view sectionName;
    std::string_view keyName;
    const bool accepted =
        platform::profile::checkWrite(section.c_str(), key.c_str(), value.c_str(), sectionName, keyName);
    const bool written = platform::writeProfileString(section.c_str(), key.c_str(), value.c_str(), path.c_str());
    FUZZ_CHECK(written == accepted);
    if (!written)
        return 0;

    const std::size_t back =
        platform::readProfileString(section.c_str(), key.c_str(), "", buffer.data(), buffer.size(), path.c_str());
    const std::string_view again(buffer.data(), back);
    const bool plainEnds =
        value.empty() || (!platform::profile::isBlank(value.front()) && !platform::profile::isBlank(value.back()) &&
                          !IsQuote(value.front()) && !IsQuote(value.back()));
    if (plainEnds)
        FUZZ_CHECK(again == value);
    return 0;
}
