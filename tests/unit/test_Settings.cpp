#include "TestUtil.h"

#include "core/Apputil.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using testutil::TempDir;
using testutil::writeFile;

namespace {

// Every key with the value a first start writes, in the order of writing.
const std::vector<std::pair<std::string, std::string>> kDefaultFile = {
    {"AppFlag", "15"},       {"CaseSensitive", "0"}, {"AddrDisplayName", "1"}, {"AddrFirstName", "1"},
    {"AddrMiddleName", "1"}, {"AddrLastName", "1"},  {"AddrCompanyName", "0"}, {"AddrDepartment", "0"},
    {"AddrTitle", "0"},      {"AddrEmail", "1"},     {"AddrPhone", "0"},       {"AddrAddress", "0"},
    {"AddrIM", "0"},         {"AddrWebSite", "0"},   {"AddrNote", "0"},        {"DateSubject", "1"},
    {"DateLocation", "0"},   {"DateStartTime", "1"}, {"DateEndTime", "1"},     {"DateAllDayEvent", "1"},
    {"DateRecur", "0"},      {"DateNote", "0"},      {"TaskSubject", "1"},     {"TaskImportance", "1"},
    {"TaskDueDate", "1"},    {"TaskNote", "0"},      {"EnableDebug", "0"},     {"LogLevel", "3"},
    {"PadName", ""},         {"UserName", ""},       {"SaveUser", "1"},        {"SavePassword", "0"},
    {"Password", ""},        {"Opp", "1"},           {"OppNotes", "1"},
    // Added after the first 35; files written before them lack them.
    {"MatchBlanks", "0"},    {"MatchPunct", "0"},    {"MatchPhone", "0"},      {"MatchEmail", "0"},
};
constexpr std::size_t kFirstKeys = 35;

std::string settingsText(const std::string& changedKey = "", const std::string& changedValue = "",
                         std::size_t keyCount = kDefaultFile.size())
{
    std::string text = "[Velloran]\n";
    for (std::size_t i = 0; i < keyCount; ++i) {
        const auto& [key, value] = kDefaultFile[i];
        text += key + "=" + (key == changedKey ? changedValue : value) + "\n";
    }
    return text;
}

std::string base64(const std::string& bytes)
{
    std::string out(4 * ((bytes.size() + 2) / 3), '?');
    Base64Encode(reinterpret_cast<const unsigned char*>(bytes.data()), out.data(), bytes.size());
    return out;
}

std::string setText(char* field, std::size_t size, const std::string& text)
{
    std::memset(field, 0, size);
    std::memcpy(field, text.data(), std::min(text.size(), size - 1));
    return text;
}

class SettingsTest : public ::testing::Test
{
protected:
    TempDir dir;
    std::string file = dir.file("corvane.ini");
    std::string previousPath = SettingsFile.GetPath();

    void SetUp() override { SettingsFile.SetPath(file.c_str()); }
    void TearDown() override { SettingsFile.SetPath(previousPath.c_str()); }

    std::string valueInFile(const char* key)
    {
        char value[300];
        SettingsFile.ReadString(kSettingsSection, key, value, sizeof value, "(missing)");
        return value;
    }
};

} // namespace

TEST_F(SettingsTest, FirstStartTakesDefaultsAndWritesEveryKeyInOrder)
{
    std::memset(&AppSettings, 0x5A, sizeof AppSettings);
    LoadSettings();
    EXPECT_EQ(AppSettings.AppFlag, 15);
    EXPECT_TRUE(AppSettings.SaveUser);
    EXPECT_FALSE(AppSettings.SavePassword);
    EXPECT_EQ(AppSettings.LogLevel, 3);
    EXPECT_STREQ(AppSettings.PadName, "");
    EXPECT_STREQ(AppSettings.UserName, "");
    EXPECT_STREQ(AppSettings.Password, "");

    SaveSettings();
    EXPECT_EQ(testutil::readProfileFile(file), settingsText());
    EXPECT_TRUE(testutil::ownerOnly(file));
}

// Each key changed alone in the file comes back, after a load and a save, in its own line and nowhere
// else: load and save agree on every key and field.
TEST_F(SettingsTest, EveryKeyTravelsThroughItsOwnField)
{
    struct Case
    {
        const char* key;
        const char* stored;
        const char* written;
    };
    std::vector<Case> cases;
    for (const auto& [key, value] : kDefaultFile)
        if (value == "0" || value == "1")
            cases.push_back({key.c_str(), value == "0" ? "1" : "0", value == "0" ? "1" : "0"});
    cases.push_back({"AppFlag", "5", "5"});
    cases.push_back({"LogLevel", "7", "7"});
    cases.push_back({"PadName", "/home/me/Databases/Main.pad", "/home/me/Databases/Main.pad"});
    cases.push_back({"UserName", "Chris Miller", "Chris Miller"});
    cases.push_back({"Password", "cGFzcw==", ""}); // not kept while SavePassword is off
    ASSERT_EQ(cases.size(), kDefaultFile.size());

    for (const Case& c : cases) {
        writeFile(file, settingsText(c.key, c.stored));
        LoadSettings();
        SaveSettings();
        EXPECT_EQ(testutil::readProfileFile(file), settingsText(c.key, c.written)) << c.key << "=" << c.stored;
    }
}

// A file of an older version, with only the first 35 keys: the near-duplicate options read as off, and
// saving keeps the 35 where they stood and appends the new keys after them.
TEST_F(SettingsTest, OlderFileReadsWithTheMatchOptionsOff)
{
    writeFile(file, settingsText("CaseSensitive", "1", kFirstKeys));
    std::memset(&AppSettings, 0x5A, sizeof AppSettings);
    LoadSettings();
    EXPECT_TRUE(AppSettings.CaseSensitive);
    EXPECT_FALSE(AppSettings.MatchBlanks);
    EXPECT_FALSE(AppSettings.MatchPunct);
    EXPECT_FALSE(AppSettings.MatchPhone);
    EXPECT_FALSE(AppSettings.MatchEmail);

    AppSettings.MatchPunct = AppSettings.MatchEmail = true;
    SaveSettings();
    std::string expected = settingsText("CaseSensitive", "1");
    for (const char* key : {"MatchPunct", "MatchEmail"}) {
        const std::string line = std::string(key) + "=0\n";
        expected.replace(expected.find(line), line.size(), std::string(key) + "=1\n");
    }
    EXPECT_EQ(testutil::readProfileFile(file), expected);
    LoadSettings();
    EXPECT_FALSE(AppSettings.MatchBlanks);
    EXPECT_TRUE(AppSettings.MatchPunct);
    EXPECT_FALSE(AppSettings.MatchPhone);
    EXPECT_TRUE(AppSettings.MatchEmail);
}

TEST_F(SettingsTest, HandEditedFile)
{
    writeFile(file, "; my settings\n"
                    "[velloran]\n"
                    "AddrEmail=yes\n"
                    "AddrPhone=2\n"
                    "AddrDisplayName=\n"
                    "DateNote= 1 \n"
                    "Opp=0 please\n"
                    "AppFlag=all kinds\n"
                    "LogLevel=7\n"
                    "PadName=\"/with blanks/My DB.pad\"\n");
    LoadSettings();

    struct Case
    {
        const char* what;
        std::function<long()> field;
        long expected;
    };
    const Case cases[] = {
        {"word without digits is false", [] { return AppSettings.AddrEmail; }, 0},
        {"2 is true", [] { return AppSettings.AddrPhone; }, 1},
        {"empty value takes the default", [] { return AppSettings.AddrDisplayName; }, 1},
        {"blanks around the value", [] { return AppSettings.DateNote; }, 1},
        {"digits then text", [] { return AppSettings.Opp; }, 0},
        {"AppFlag without digits", [] { return AppSettings.AppFlag; }, 0},
        {"LogLevel beyond the log's range", [] { return AppSettings.LogLevel; }, 7},
        {"missing key takes the default", [] { return AppSettings.OppNotes; }, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.field(), c.expected) << c.what;
    EXPECT_STREQ(AppSettings.PadName, "/with blanks/My DB.pad");

    SaveSettings();
    EXPECT_EQ(valueInFile("LogLevel"), "7");
    EXPECT_EQ(valueInFile("AppFlag"), "0");
    EXPECT_EQ(valueInFile("AddrPhone"), "1");
    // Values replaced where they stood.
    const std::string head = "; my settings\n[velloran]\nAddrEmail=0\nAddrPhone=1\nAddrDisplayName=1\n";
    EXPECT_EQ(testutil::readProfileFile(file).substr(0, head.size()), head);
}

TEST_F(SettingsTest, TextsAreCutToTheirFields)
{
    const std::string longPassword(70, 'p');
    writeFile(file, "[Velloran]\nPadName=" + std::string(300, 'd') + "\nUserName=" + std::string(100, 'u') +
                        "\nSavePassword=1\nPassword=" + base64(longPassword) + "\n");
    LoadSettings();
    EXPECT_EQ(std::string(AppSettings.PadName), std::string(255, 'd'));
    EXPECT_EQ(std::string(AppSettings.UserName), std::string(63, 'u'));
    EXPECT_EQ(std::string(AppSettings.Password), std::string(63, 'p'));
}

TEST_F(SettingsTest, PasswordIsReadOnlyWhenSaved)
{
    struct Case
    {
        const char* what;
        const char* savePassword;
        std::string stored;
        const char* expected;
    };
    const Case cases[] = {
        {"saved", "1", base64("s3cret!"), "s3cret!"},
        {"stored but not to be saved", "0", base64("s3cret!"), ""},
        {"stored but flag missing", nullptr, base64("s3cret!"), ""},
        {"saved and empty", "1", "", ""},
        {"damaged group skipped", "1", "czNj!!!!ZXQh", "s3cet!"},
    };
    for (const Case& c : cases) {
        std::string text = "[Velloran]\nPassword=" + c.stored + "\n";
        if (c.savePassword)
            text += std::string("SavePassword=") + c.savePassword + "\n";
        writeFile(file, text);
        LoadSettings();
        EXPECT_STREQ(AppSettings.Password, c.expected) << c.what;
    }
}

TEST_F(SettingsTest, PasswordIsWrittenOnlyWhenSaved)
{
    struct Case
    {
        const char* what;
        bool savePassword;
        const char* password;
        const char* written;
    };
    const Case cases[] = {
        {"saved", true, "s3cret!", "czNjcmV0IQ=="},
        {"saved, now shorter", true, "ab", "YWI="},
        {"saved, now empty", true, "", ""},
        {"not saved", false, "s3cret!", ""},
    };
    for (const Case& c : cases) {
        // A longer password was stored before.
        writeFile(file, "[Velloran]\nSavePassword=1\nPassword=" + base64("a much longer password") + "\n");
        LoadSettings();
        AppSettings.SavePassword = c.savePassword;
        setText(AppSettings.Password, sizeof AppSettings.Password, c.password);
        SaveSettings();
        EXPECT_EQ(valueInFile("Password"), c.written) << c.what;

        LoadSettings();
        EXPECT_STREQ(AppSettings.Password, c.savePassword ? c.password : "") << c.what << ", after a restart";
    }
}

TEST_F(SettingsTest, UserNameIsKeptOnlyWhenSaveUserIsOn)
{
    for (const bool saveUser : {true, false}) {
        LoadSettings();
        AppSettings.SaveUser = saveUser;
        setText(AppSettings.UserName, sizeof AppSettings.UserName, "Chris");
        SaveSettings();
        EXPECT_EQ(valueInFile("UserName"), saveUser ? "Chris" : "");

        // A name left in the file by hand is not taken while the flag is off.
        SettingsFile.WriteString(kSettingsSection, "UserName", "Chris");
        LoadSettings();
        EXPECT_STREQ(AppSettings.UserName, saveUser ? "Chris" : "");
    }
}

TEST(Base64, Rfc4648Vectors)
{
    const std::pair<std::string, std::string> vectors[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
    };
    for (const auto& [plain, encoded] : vectors) {
        char text[16];
        std::memset(text, '#', sizeof text);
        EXPECT_EQ(Base64Encode(reinterpret_cast<const unsigned char*>(plain.data()), text, plain.size()),
                  !plain.empty());
        EXPECT_EQ(std::string(text, encoded.size()), encoded);
        EXPECT_EQ(text[encoded.size()], '#') << "no terminator written";

        unsigned char bytes[16];
        std::size_t count = 99;
        EXPECT_EQ(Base64Decode(encoded.c_str(), bytes, sizeof bytes, &count), !plain.empty());
        EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), count), plain) << encoded;
    }
    EXPECT_FALSE(Base64Encode(nullptr, nullptr, 3));
}

TEST(Base64, DecodeSkipsBadCharactersGroupByGroup)
{
    struct Case
    {
        const char* what;
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"bad first character: group gives nothing", "Zm9v*m9vYmFy", "foobar"},
        {"bad second character: group gives nothing", "Zm9vZ*9vYmFy", "foobar"},
        {"bad third character: one byte", "Zm9vZm*vYmFy", "foofbar"},
        {"bad fourth character: two bytes", "Zm9vZm9*YmFy", "foofobar"},
        {"pad at the start of a group", "=m9vYmFy", "bar"},
        {"pad as second character", "Z=9vYmFy", "bar"},
        {"incomplete group of three", "Zm9vYmE", "fooba"},
        {"incomplete group of two", "Zm9vYg", "foob"},
        {"incomplete group of one", "Zm9vY", "foo"},
        {"nothing valid", "****", ""},
    };
    for (const Case& c : cases) {
        // An exact-size copy lets the address sanitizer catch a read past the terminator.
        const std::size_t length = std::strlen(c.text);
        auto text = std::make_unique<char[]>(length + 1);
        std::memcpy(text.get(), c.text, length + 1);
        unsigned char bytes[16];
        std::size_t count = 99;
        EXPECT_EQ(Base64Decode(text.get(), bytes, sizeof bytes, &count), *c.expected != '\0') << c.what;
        EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), count), c.expected) << c.what;
    }
}

TEST(Base64, DecodeStopsAtCapacity)
{
    for (const std::size_t capacity : {0, 1, 4, 6}) {
        unsigned char bytes[8];
        std::memset(bytes, 0xEE, sizeof bytes);
        std::size_t count = 99;
        EXPECT_EQ(Base64Decode("Zm9vYmFy", bytes, capacity, &count), capacity > 0);
        EXPECT_EQ(count, capacity);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), count), std::string("foobar").substr(0, capacity));
        EXPECT_EQ(bytes[capacity], 0xEE) << "nothing written past capacity " << capacity;
    }
}
