#include "DemoDb.h"

#include "platform/Platform.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <numeric>
#include <vector>

namespace helper {

namespace {

constexpr std::uint64_t kMaxRows = 50000000;

// splitmix64: small, fast, and the same on every platform and library version.
std::uint64_t SplitMix(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

std::uint64_t Mix(std::uint64_t seed, std::uint64_t a, std::uint64_t b)
{
    return SplitMix(SplitMix(SplitMix(seed) ^ a) ^ b);
}

class Rng
{
public:
    explicit Rng(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t Next()
    {
        m_state += 0x9E3779B97F4A7C15ull;
        return SplitMix(m_state);
    }
    // 0 .. n-1; n must not be 0.
    std::uint32_t Below(std::uint32_t n) { return static_cast<std::uint32_t>(((Next() >> 32) * n) >> 32); }
    std::uint32_t Range(std::uint32_t lo, std::uint32_t hi) { return lo + Below(hi - lo + 1); }
    bool Chance(std::uint32_t percent) { return Below(100) < percent; }
    template <std::size_t N> const char* Pick(const char* const (&list)[N]) { return list[Below(N)]; }

private:
    std::uint64_t m_state;
};

const char* const kFirstNames[] = {
    "James",     "Mary",     "Robert",      "Patricia", "John",      "Jennifer", "Michael",  "Linda",    "David",
    "Elizabeth", "William",  "Barbara",     "Richard",  "Susan",     "Joseph",   "Jessica",  "Thomas",   "Sarah",
    "Charles",   "Karen",    "Christopher", "Lisa",     "Daniel",    "Nancy",    "Matthew",  "Betty",    "Anthony",
    "Sandra",    "Mark",     "Margaret",    "Donald",   "Ashley",    "Steven",   "Kimberly", "Andrew",   "Emily",
    "Paul",      "Donna",    "Joshua",      "Michelle", "Kenneth",   "Carol",    "Kevin",    "Amanda",   "Brian",
    "Melissa",   "George",   "Deborah",     "Timothy",  "Stephanie", "Ronald",   "Rebecca",  "Jason",    "Laura",
    "Edward",    "Helen",    "Jeffrey",     "Sharon",   "Ryan",      "Cynthia",  "Jacob",    "Kathleen", "Gary",
    "Amy",       "Nicholas", "Angela",      "Eric",     "Anna",      "Jonathan", "Ruth",     "Priya",    "Wei",
    "Carlos",    "Fatima",   "Hiroshi",     "Ingrid",   "Olga",      "Rafael",   "Siobhan",  "Tomasz",
};

const char* const kLastNames[] = {
    "Smith",    "Johnson",   "Williams", "Brown",     "Jones",    "Garcia",   "Miller",   "Davis",      "Rodriguez",
    "Martinez", "Hernandez", "Lopez",    "Gonzalez",  "Wilson",   "Anderson", "Thomas",   "Taylor",     "Moore",
    "Jackson",  "Martin",    "Lee",      "Perez",     "Thompson", "White",    "Harris",   "Sanchez",    "Clark",
    "Ramirez",  "Lewis",     "Robinson", "Walker",    "Young",    "Allen",    "King",     "Wright",     "Scott",
    "Torres",   "Nguyen",    "Hill",     "Flores",    "Green",    "Adams",    "Nelson",   "Baker",      "Hall",
    "Rivera",   "Campbell",  "Mitchell", "Carter",    "Roberts",  "Gomez",    "Phillips", "Evans",      "Turner",
    "Diaz",     "Parker",    "Cruz",     "Edwards",   "Collins",  "Reyes",    "Stewart",  "Morris",     "Morales",
    "Murphy",   "Cook",      "Rogers",   "Gutierrez", "Ortiz",    "Morgan",   "Cooper",   "Peterson",   "Bailey",
    "Reed",     "Kelly",     "Howard",   "Ramos",     "Kim",      "Cox",      "Ward",     "Richardson", "Watson",
    "Brooks",   "Chavez",    "Wood",     "Bennett",   "Gray",     "Mendoza",  "Ruiz",     "Hughes",     "Price",
    "Patel",    "Myers",     "Long",     "Ross",      "Foster",   "O'Brien",  "McKenzie", "Van Dyke",   "Kowalski",
};

const char* const kCompanyFirst[] = {
    "Harbor",   "Blue",      "North",    "Summit", "Cedar",    "Granite",   "Silver",    "Pioneer",
    "Redwood",  "Lakeside",  "Keystone", "Beacon", "Crescent", "Evergreen", "Falcon",    "Golden",
    "Ironwood", "Maple",     "Meridian", "Oak",    "Pinnacle", "Prairie",   "Riverbend", "Sterling",
    "Sunrise",  "Tidewater", "Vantage",  "West",   "Willow",   "Atlas",
};

const char* const kCompanySecond[] = {
    "Logistics",  "Analytics", "Systems", "Foods",     "Consulting",    "Dynamics",  "Health",   "Media",  "Partners",
    "Software",   "Supply",    "Energy",  "Insurance", "Realty",        "Financial", "Labs",     "Design", "Networks",
    "Outfitters", "Bakery",    "Freight", "Marine",    "Manufacturing", "Medical",   "Builders",
};

const char* const kCompanySuffix[] = {"", "", " Inc.", " LLC", " Ltd.", " Group", " Co."};

const char* const kDepartments[] = {"Sales",       "Marketing", "Finance",         "Operations",
                                    "Purchasing",  "IT",        "Human Resources", "Customer Service",
                                    "Engineering", "Legal",     "Administration",  "Research"};

const char* const kTitles[] = {"Sales Manager",
                               "Account Executive",
                               "Purchasing Agent",
                               "Operations Director",
                               "CFO",
                               "Office Manager",
                               "Marketing Coordinator",
                               "IT Manager",
                               "Vice President",
                               "President",
                               "Owner",
                               "Buyer",
                               "Controller",
                               "Project Manager",
                               "Engineer",
                               "Consultant",
                               "Executive Assistant",
                               "Regional Manager",
                               "HR Specialist",
                               "Analyst"};

const char* const kStreets[] = {"Main",   "Oak",       "Pine",    "Maple",    "Cedar",  "Elm",      "Washington",
                                "Lake",   "Hill",      "Park",    "River",    "Sunset", "Highland", "Church",
                                "Market", "Spring",    "Ridge",   "Meadow",   "Forest", "Broad",    "Mill",
                                "Union",  "Jefferson", "Lincoln", "Franklin", "Center", "Harbor",   "Valley"};

const char* const kStreetTypes[] = {"St.", "Ave.", "Blvd.", "Rd.", "Dr.", "Ln.", "Way", "Ct.", "Pkwy."};

struct City
{
    const char* name;
    const char* state;
    const char* zip;
    unsigned area;
};

const City kCities[] = {
    {"Portland", "OR", "972", 503},    {"Seattle", "WA", "981", 206},    {"Denver", "CO", "802", 303},
    {"Austin", "TX", "787", 512},      {"Phoenix", "AZ", "850", 602},    {"Chicago", "IL", "606", 312},
    {"Boston", "MA", "021", 617},      {"Atlanta", "GA", "303", 404},    {"Miami", "FL", "331", 305},
    {"Minneapolis", "MN", "554", 612}, {"Nashville", "TN", "372", 615},  {"Columbus", "OH", "432", 614},
    {"San Diego", "CA", "921", 619},   {"Sacramento", "CA", "958", 916}, {"Salt Lake City", "UT", "841", 801},
    {"Kansas City", "MO", "641", 816}, {"Raleigh", "NC", "276", 919},    {"Pittsburgh", "PA", "152", 412},
    {"Baltimore", "MD", "212", 410},   {"Milwaukee", "WI", "532", 414},  {"Albuquerque", "NM", "871", 505},
    {"Omaha", "NE", "681", 402},       {"Tulsa", "OK", "741", 918},      {"Boise", "ID", "837", 208},
    {"Richmond", "VA", "232", 804},    {"Madison", "WI", "537", 608},    {"Spokane", "WA", "992", 509},
    {"Tucson", "AZ", "857", 520},      {"Louisville", "KY", "402", 502}, {"Charleston", "SC", "294", 843},
};

const char* const kCategories[] = {"Customer", "Customer", "Prospect", "Prospect", "Vendor",
                                   "Partner",  "Press",    "Personal", "Supplier", ""};

const char* const kStaff[] = {"Chris Miller", "Pat Jordan", "Sam Lee", "Alex Morgan", "Dana Whitfield"};

const char* const kLastResults[] = {"Left message",        "Sent proposal", "Meeting scheduled", "No answer",
                                    "Call back next week", "Sent brochure", "Closed sale",       "Not interested"};

const char* const kMailDomains[] = {"mailhub.net", "postbox.org", "netmail.com", "inbox.example.com"};

const char* const kRegions[] = {"Region: West", "Region: East", "Region: Central", "Region: South"};

const char* const kMeetingTopics[] = {
    "Quarterly review", "Product demo",     "Contract negotiation", "Project kickoff",     "Budget planning",
    "Sales strategy",   "Training session", "Site visit",           "Vendor presentation", "Status update"};

const char* const kCallTopics[] = {"pricing",     "the renewal",     "the proposal", "delivery dates",
                                   "the invoice", "a support issue", "next steps",   "references"};

const char* const kAppointments[] = {
    "Dentist",     "Trade show", "Team offsite", "Industry conference", "Board meeting", "Webinar: new product line",
    "Car service", "Lunch"};

const char* const kLocations[] = {"Conference room A", "Conference room B", "Main office", "Client site",
                                  "Downtown office",   "Video call",        "Hotel lobby", "Cafe on Main St."};

const char* const kDetailLines[] = {
    "Bring the latest price list.",
    "Confirm attendance the day before.",
    "Review last quarter's numbers.",
    "Prepare a short agenda.",
    "Ask about their expansion plans.",
    "Follow up on open support tickets.",
    "Discuss volume discounts.",
    "Share the updated timeline.",
    "Parking is behind the building.",
    "Dial-in details were sent by e-mail.",
    "Customer asked for a revised quote.",
    "They are happy with the service so far.",
    "Decision expected by end of month.",
    "Sent samples by courier.",
    "Spoke with the purchasing department.",
    "Needs approval from the CFO.",
    "Wants a demo for the whole team.",
    "Complained about late delivery.",
    "Interested in the premium plan.",
    "Will call back after the holidays.",
};

const char* const kDocuments[] = {"the quote",     "the contract", "the brochure",    "the proposal",
                                  "meeting notes", "the invoice",  "product samples", "the price list"};

const char* const kProducts[] = {"annual support plan", "200 licences",     "fleet upgrade",   "consulting package",
                                 "hardware refresh",    "training program", "cloud migration", "maintenance contract"};

const char* const kStages[] = {"Prospect", "Qualified", "Proposal", "Negotiation", "Closed won", "Closed lost"};

const char* const kNoteTopics[] = {"Phone call", "Meeting", "E-mail", "Visit", "Follow-up", "Lunch"};

// One text of a record being made, where it is written and changed in place, and its field's capacity
// (terminator included).
struct TextBuffer
{
    char* data;
    std::size_t capacity;
};

void Set(TextBuffer field, const char* text)
{
    std::snprintf(field.data, field.capacity, "%s", text);
}

template <class... Args> void Format(TextBuffer field, const char* format, Args... args)
{
    std::snprintf(field.data, field.capacity, format, args...);
}

// Lower-case letters and digits only, as in e-mail addresses and domains.
std::string Plain(const char* text)
{
    std::string out;
    for (const char* p = text; *p; ++p)
        if (std::isalnum(static_cast<unsigned char>(*p)))
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
    return out;
}

// ASCII only, as the duplicate rules fold case.
void ToUpper(TextBuffer field)
{
    for (char* p = field.data; *p; ++p)
        if (*p >= 'a' && *p <= 'z')
            *p = static_cast<char>(*p - 'a' + 'A');
}

void AppendBlank(TextBuffer field)
{
    const std::size_t length = std::strlen(field.data);
    if (length + 1 < field.capacity) {
        field.data[length] = ' ';
        field.data[length + 1] = '\0';
    }
}

void AppendLine(TextBuffer field, const char* line)
{
    const std::size_t length = std::strlen(field.data);
    std::snprintf(field.data + length, field.capacity - length, "%s%s", length ? "\r\n" : "", line);
}

void AddLines(Rng& rng, TextBuffer field, std::uint32_t lines)
{
    for (std::uint32_t i = 0; i < lines; ++i)
        AppendLine(field, rng.Pick(kDetailLines));
}

// Another entry of the list than the field holds.
template <std::size_t M> void Replace(Rng& rng, TextBuffer field, const char* const (&list)[M])
{
    static_assert(M > 1);
    const char* other = rng.Pick(list);
    while (std::strcmp(other, field.data) == 0)
        other = rng.Pick(list);
    Set(field, other);
}

// A record being made: every text has a buffer of its field's full capacity, which the record's text
// points at, so that the generators write and change texts in place as in fixed-size fields.
template <class Record> class Draft : public Record
{
public:
    Draft() : m_buffers(Layout().total) { Reset(); }
    Draft(const Draft&) = delete;
    Draft& operator=(const Draft&) = delete;

    // Every number 0 and every text empty.
    void Reset()
    {
        static_cast<Record&>(*this) = Record{};
        std::fill(m_buffers.begin(), m_buffers.end(), '\0');
        const FieldTable& table = FieldsOf<Record>();
        for (std::size_t i = 0; i < table.count; ++i)
            if (table.fields[i].type == FieldType::Text)
                SetRecordText(static_cast<Record*>(this), table.fields[i],
                              m_buffers.data() + Layout().start[table.fields[i].offset]);
    }

    // The buffer of one of this draft's texts.
    TextBuffer Text(const char* const& field)
    {
        const auto offset =
            static_cast<std::size_t>(reinterpret_cast<const unsigned char*>(&field) -
                                     reinterpret_cast<const unsigned char*>(static_cast<Record*>(this)));
        return {m_buffers.data() + Layout().start[offset], Layout().capacity[offset]};
    }

private:
    // Where each text's buffer starts and how large it is, by the offset of the text in the record.
    struct BufferLayout
    {
        std::vector<std::size_t> start = std::vector<std::size_t>(sizeof(Record));
        std::vector<std::size_t> capacity = std::vector<std::size_t>(sizeof(Record));
        std::size_t total = 0;
    };

    static const BufferLayout& Layout()
    {
        static const BufferLayout layout = [] {
            BufferLayout made;
            const FieldTable& table = FieldsOf<Record>();
            for (std::size_t i = 0; i < table.count; ++i) {
                const FieldDesc& f = table.fields[i];
                if (f.type != FieldType::Text)
                    continue;
                made.start[f.offset] = made.total;
                made.capacity[f.offset] = f.size;
                made.total += f.size;
            }
            return made;
        }();
        return layout;
    }

    std::vector<char> m_buffers;
};

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

struct Civil
{
    int year;
    unsigned month;
    unsigned day;
};

Civil CivilFromDays(std::int64_t z)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<int>(yoe + era * 400 + (m <= 2)), m, d};
}

// OLE Automation dates count days from 1899-12-30, which is 25569 days before 1970-01-01.
constexpr std::int64_t kOleEpochShift = 25569;

double OleDate(int y, unsigned m, unsigned d)
{
    return static_cast<double>(DaysFromCivil(y, m, d) + kOleEpochShift);
}

double OleAt(std::int64_t oleDay, unsigned minutes)
{
    return static_cast<double>(oleDay) + minutes / 1440.0;
}

Civil CivilOfOle(double ole)
{
    return CivilFromDays(static_cast<std::int64_t>(ole) - kOleEpochShift);
}

double RandomDate(Rng& rng, int fromYear, int toYear)
{
    const double from = OleDate(fromYear, 1, 1);
    const double to = OleDate(toYear + 1, 1, 1);
    return from + rng.Below(static_cast<std::uint32_t>(to - from));
}

double RandomDateTime(Rng& rng, int fromYear, int toYear)
{
    return RandomDate(rng, fromYear, toYear) + rng.Range(8 * 60, 18 * 60) / 1440.0;
}

// Gives each original record its own time slot on a working day, scattered rather than in order.
// Slot i of a kind is unique, which keeps originals distinct under the duplicate rules.
class SlotTimes
{
public:
    SlotTimes(std::uint32_t originals, std::uint32_t perDay, std::uint32_t firstMinute, std::uint32_t spacing,
              std::uint32_t spread, Rng& rng)
        : m_perDay(perDay), m_firstMinute(firstMinute), m_spacing(spacing)
    {
        const std::uint64_t slots = std::max<std::uint64_t>(1, static_cast<std::uint64_t>(originals) * spread);
        m_size = (slots + perDay - 1) / perDay * perDay;
        m_mul = 1 + rng.Below(static_cast<std::uint32_t>(std::min<std::uint64_t>(m_size, UINT32_MAX)));
        while (std::gcd(m_mul, m_size) != 1)
            ++m_mul;
        m_add = rng.Next() % m_size;
    }

    std::uint64_t Slot(std::uint32_t original) const { return (original * m_mul + m_add) % m_size; }
    std::uint32_t SlotInDay(std::uint32_t original) const
    {
        return static_cast<std::uint32_t>(Slot(original) % m_perDay);
    }

    // Monday 5 January 2009 onwards, weekends skipped.
    std::int64_t Day(std::uint32_t original) const
    {
        const std::uint64_t workday = Slot(original) / m_perDay;
        return static_cast<std::int64_t>(OleDate(2009, 1, 5)) +
               static_cast<std::int64_t>(workday / 5 * 7 + workday % 5);
    }
    double Time(std::uint32_t original) const
    {
        return OleAt(Day(original), m_firstMinute + SlotInDay(original) * m_spacing);
    }

private:
    std::uint64_t m_perDay;
    std::uint32_t m_firstMinute;
    std::uint32_t m_spacing;
    std::uint64_t m_size = 1;
    std::uint64_t m_mul = 1;
    std::uint64_t m_add = 0;
};

enum Variant : std::uint8_t
{
    kOriginal,
    kExact,   // every field equal
    kCase,    // a compared text in other letter case
    kIgnored, // a field the default rules do not compare differs
    kNear,    // a compared text with a trailing blank: not a duplicate
};

struct Slot
{
    std::uint64_t order;
    std::uint32_t tie;
    std::uint32_t original;
    Variant variant;
};

// Originals in order with every copy placed at a random point after its original.
std::vector<Slot> PlanRows(std::uint32_t total, std::uint32_t dupPercent, Rng& rng, std::uint32_t& originals)
{
    originals = 0;
    if (total == 0)
        return {};
    std::uint32_t dups = static_cast<std::uint32_t>(static_cast<std::uint64_t>(total) * dupPercent / 100);
    dups = std::min(dups, total - 1);
    // Near copies use distinct originals, so no two of them repeat each other.
    const std::uint32_t near = std::min(dups / 4, (total - dups) / 2);
    const std::uint32_t m = total - dups - near;
    originals = m;

    std::vector<Slot> plan;
    plan.reserve(total);
    for (std::uint32_t k = 0; k < m; ++k)
        plan.push_back({2ull * k, 0, k, kOriginal});
    for (std::uint32_t j = 0; j < dups; ++j) {
        const std::uint32_t original = rng.Below(m);
        const std::uint64_t after = original + rng.Below(m - original);
        plan.push_back({2 * after + 1, j, original, static_cast<Variant>(kExact + j % 3)});
    }
    std::vector<bool> taken(m, false);
    for (std::uint32_t j = 0; j < near; ++j) {
        std::uint32_t original = rng.Below(m);
        while (taken[original])
            original = (original + 1) % m;
        taken[original] = true;
        const std::uint64_t after = original + rng.Below(m - original);
        plan.push_back({2 * after + 1, dups + j, original, kNear});
    }
    std::sort(plan.begin(), plan.end(),
              [](const Slot& a, const Slot& b) { return a.order != b.order ? a.order < b.order : a.tie < b.tie; });
    return plan;
}

void Phone(Rng& rng, TextBuffer field, unsigned area)
{
    Format(field, "(%03u) 555-%04u", area, rng.Below(10000));
}

void Address(Rng& rng, TextBuffer line)
{
    Format(line, "%u %s %s", rng.Range(1, 9999), rng.Pick(kStreets), rng.Pick(kStreetTypes));
}

void GenContact(Rng& rng, std::uint32_t original, Draft<ContactRecord>& c)
{
    const char* first = rng.Pick(kFirstNames);
    const char* last = rng.Pick(kLastNames);
    const char* companyFirst = rng.Pick(kCompanyFirst);
    const char* companySecond = rng.Pick(kCompanySecond);
    const City& city = kCities[rng.Below(std::size(kCities))];
    const std::string domain = Plain(companyFirst) + Plain(companySecond) + ".com";

    Set(c.Text(c.RecordCreator), rng.Pick(kStaff));
    Set(c.Text(c.LastEditedBy), rng.Pick(kStaff));
    Set(c.Text(c.RecordManager), rng.Pick(kStaff));
    Set(c.Text(c.Category), rng.Pick(kCategories));
    if (rng.Chance(20))
        Set(c.Text(c.NamePrefix), rng.Chance(50) ? "Mr." : (rng.Chance(60) ? "Ms." : "Dr."));
    if (rng.Chance(5))
        Set(c.Text(c.NameSuffix), rng.Chance(50) ? "Jr." : "III");
    Set(c.Text(c.FirstName), first);
    Set(c.Text(c.LastName), last);
    if (rng.Chance(35)) {
        const char middle = static_cast<char>('A' + rng.Below(26));
        Format(c.Text(c.MiddleName), "%c", middle);
        Format(c.Text(c.FullName), "%s %c. %s", first, middle, last);
    } else {
        Format(c.Text(c.FullName), "%s %s", first, last);
    }
    Set(c.Text(c.Salutation), first);
    if (rng.Chance(10))
        Format(c.Text(c.ReferredBy), "%s %s", rng.Pick(kFirstNames), rng.Pick(kLastNames));
    Format(c.Text(c.Company), "%s %s%s", companyFirst, companySecond, rng.Pick(kCompanySuffix));
    Set(c.Text(c.Department), rng.Pick(kDepartments));
    Set(c.Text(c.Title), rng.Pick(kTitles));
    Set(c.Text(c.BusinessCountry), "USA");
    Set(c.Text(c.BusinessState), city.state);
    Set(c.Text(c.BusinessCity), city.name);
    Address(rng, c.Text(c.BusinessAddress1));
    if (rng.Chance(30))
        Format(c.Text(c.BusinessAddress2), rng.Chance(50) ? "Suite %u" : "Floor %u",
               rng.Range(2, 40) * (rng.Chance(50) ? 10 : 1));
    Format(c.Text(c.BusinessPostal), "%s%02u", city.zip, rng.Below(100));
    if (rng.Chance(50)) {
        const City& home = rng.Chance(70) ? city : kCities[rng.Below(std::size(kCities))];
        Set(c.Text(c.HomeCountry), "USA");
        Set(c.Text(c.HomeState), home.state);
        Set(c.Text(c.HomeCity), home.name);
        Address(rng, c.Text(c.HomeAddress1));
        if (rng.Chance(10))
            Format(c.Text(c.HomeAddress2), "Apt. %u", rng.Range(1, 120));
        Format(c.Text(c.HomePostal), "%s%02u", home.zip, rng.Below(100));
        if (rng.Chance(60))
            Phone(rng, c.Text(c.HomePhone), home.area);
    }
    Phone(rng, c.Text(c.BusinessPhone), city.area);
    if (rng.Chance(25))
        Format(c.Text(c.BusinessPhoneExtension), "%u", rng.Range(100, 999));
    if (rng.Chance(70))
        Phone(rng, c.Text(c.MobilePhone), city.area);
    if (rng.Chance(30))
        Phone(rng, c.Text(c.Fax), city.area);
    if (rng.Chance(3))
        Phone(rng, c.Text(c.Pager), city.area);
    if (rng.Chance(10))
        Phone(rng, c.Text(c.AlternatePhone), city.area);
    // The running number keeps every original's address, and so every original, distinct.
    Format(c.Text(c.BusinessEmail), "%s.%s%u@%s", Plain(first).c_str(), Plain(last).c_str(), original + 1,
           domain.c_str());
    if (rng.Chance(50))
        Format(c.Text(c.PersonalEmail), "%s%c%u@%s", Plain(first).c_str(), Plain(last)[0], rng.Range(1, 99),
               rng.Pick(kMailDomains));
    if (rng.Chance(60))
        Format(c.Text(c.Website), "www.%s", domain.c_str());
    if (rng.Chance(15))
        Format(c.Text(c.InstantMessenger), "%s_%s", Plain(first).c_str(), Plain(last).c_str());
    if (rng.Chance(20))
        Set(c.Text(c.SpouseName), rng.Pick(kFirstNames));
    Set(c.Text(c.UserDefined[0]), rng.Pick(kRegions));
    if (rng.Chance(60))
        Format(c.Text(c.UserDefined[1]), "AC-%05u", rng.Below(100000));
    if (rng.Chance(20))
        Set(c.Text(c.UserDefined[2]), rng.Chance(50) ? "Newsletter: yes" : "Newsletter: no");
    if (rng.Chance(30))
        Set(c.Text(c.LastResults), rng.Pick(kLastResults));
    c.IsUser = rng.Chance(1);
    c.IsImported = rng.Chance(20);
    c.IsPrivate = rng.Chance(5);
    if (rng.Chance(30))
        c.Birthday = RandomDate(rng, 1950, 1995);
    c.CreateDate = RandomDateTime(rng, 2003, 2008);
    c.EditDate = c.CreateDate + rng.Below(400) + rng.Below(480) / 1440.0;
    double* lastDates[] = {&c.LastAttempt, &c.LastEmail, &c.LastMeeting, &c.LastReach, &c.LastLetter};
    for (double* date : lastDates)
        if (rng.Chance(30))
            *date = std::floor(c.CreateDate) + rng.Below(500) + rng.Range(8 * 60, 18 * 60) / 1440.0;
    if (rng.Chance(10)) {
        const char* secondFirst = rng.Pick(kFirstNames);
        const char* secondLast = rng.Pick(kLastNames);
        Set(c.Text(c.SecondaryFirstName), secondFirst);
        Set(c.Text(c.SecondaryLastName), secondLast);
        Format(c.Text(c.SecondaryContact), "%s %s", secondFirst, secondLast);
        Set(c.Text(c.SecondaryCompany), c.Company);
        Set(c.Text(c.SecondaryTitle), rng.Pick(kTitles));
        Phone(rng, c.Text(c.SecondaryPhone), city.area);
        Format(c.Text(c.SecondaryEmail), "%s.%s@%s", Plain(secondFirst).c_str(), Plain(secondLast).c_str(),
               domain.c_str());
        c.SecondaryIsPrivate = rng.Chance(5);
    }
}

void VaryContact(Rng& rng, Variant variant, Draft<ContactRecord>& c)
{
    switch (variant) {
    case kOriginal:
    case kExact:
        break;
    case kCase:
        switch (rng.Below(3)) {
        case 0:
            ToUpper(c.Text(c.LastName));
            break;
        case 1:
            ToUpper(c.Text(c.FullName));
            break;
        default:
            ToUpper(c.Text(c.BusinessEmail));
            break;
        }
        break;
    case kIgnored:
        switch (rng.Below(4)) {
        case 0: {
            const std::string old = c.BusinessPhone;
            while (old == c.BusinessPhone)
                Phone(rng, c.Text(c.BusinessPhone), 555);
            break;
        }
        case 1:
            Replace(rng, c.Text(c.Title), kTitles);
            break;
        case 2:
            Replace(rng, c.Text(c.Department), kDepartments);
            break;
        default: {
            const std::string old = c.BusinessAddress1;
            while (old == c.BusinessAddress1)
                Address(rng, c.Text(c.BusinessAddress1));
            break;
        }
        }
        c.EditDate += 1;
        break;
    case kNear:
        AppendBlank(c.Text(c.LastName));
        break;
    }
}

void GenEvent(Rng& rng, std::uint32_t original, const SlotTimes& slots, Draft<CalendarRecord>& e)
{
    const char* first = rng.Pick(kFirstNames);
    const char* last = rng.Pick(kLastNames);
    const std::uint32_t type = rng.Below(100);
    // The first slot of a day is the all-day event, so at most one per day and still unique.
    e.IsTimeless = slots.SlotInDay(original) == 0;
    if (type < 40) {
        e.EventType = 1;
        Format(e.Text(e.Regarding), "%s with %s %s", rng.Pick(kMeetingTopics), first, last);
        Set(e.Text(e.Location), rng.Pick(kLocations));
    } else if (type < 80) {
        e.EventType = 2;
        Format(e.Text(e.Regarding), "Call %s %s about %s", first, last, rng.Pick(kCallTopics));
    } else if (type < 85) {
        e.EventType = 3;
        Format(e.Text(e.Regarding), "Send %s to %s %s", rng.Pick(kDocuments), first, last);
    } else {
        e.EventType = 0;
        Set(e.Text(e.Regarding), rng.Pick(kAppointments));
        if (rng.Chance(50))
            Set(e.Text(e.Location), rng.Pick(kLocations));
    }
    if (rng.Chance(50))
        AddLines(rng, e.Text(e.Details), rng.Range(1, 4));
    if (e.IsTimeless) {
        e.StartTime = static_cast<double>(slots.Day(original));
        e.EndTime = e.StartTime;
    } else {
        e.StartTime = slots.Time(original);
        e.EndTime = e.StartTime + rng.Range(1, 4) * 30 / 1440.0;
    }
    e.CreateTime = std::floor(e.StartTime) - rng.Range(1, 60) + rng.Range(8 * 60, 18 * 60) / 1440.0;
    e.EditDate = e.CreateTime + rng.Below(3);
    if (rng.Chance(10)) {
        const Civil day = CivilOfOle(e.StartTime);
        e.RecurInterval = 1;
        e.RecurEndDate = std::floor(e.StartTime) + 7 * rng.Range(4, 26);
        if (rng.Chance(60)) {
            e.RecurType = 2;
            // Bit 0 is Sunday; 5 January 2009 was a Monday.
            e.RecurDays =
                1 << ((static_cast<std::int64_t>(e.StartTime) - static_cast<std::int64_t>(OleDate(2009, 1, 4))) % 7);
        } else {
            e.RecurType = 3;
            e.RecurByDate = 1;
            e.RecurDays = static_cast<std::int32_t>(day.day);
        }
    }
    e.IsPrivate = rng.Chance(5);
}

void VaryEvent(Rng& rng, Variant variant, Draft<CalendarRecord>& e)
{
    switch (variant) {
    case kOriginal:
    case kExact:
        break;
    case kCase:
        ToUpper(e.Text(e.Regarding));
        break;
    case kIgnored:
        switch (rng.Below(3)) {
        case 0:
            Replace(rng, e.Text(e.Location), kLocations);
            break;
        case 1:
            AppendLine(e.Text(e.Details), "Moved to the larger room.");
            break;
        default:
            e.IsPrivate = !e.IsPrivate;
            break;
        }
        break;
    case kNear:
        AppendBlank(e.Text(e.Regarding));
        break;
    }
}

const char* GenTask(Rng& rng, std::uint32_t original, const SlotTimes& slots, Draft<TaskRecord>& t)
{
    const char* first = rng.Pick(kFirstNames);
    const char* last = rng.Pick(kLastNames);
    const std::string company = std::string(rng.Pick(kCompanyFirst)) + " " + rng.Pick(kCompanySecond);
    const std::uint32_t kind = rng.Below(100);
    const char* source = kSourceTodo;
    if (kind < 75) {
        switch (rng.Below(5)) {
        case 0:
            Format(t.Text(t.Regarding), "Send %s to %s %s", rng.Pick(kDocuments), first, last);
            break;
        case 1:
            Format(t.Text(t.Regarding), "Follow up with %s %s", first, last);
            break;
        case 2:
            Format(t.Text(t.Regarding), "Prepare %s for %s", rng.Pick(kDocuments), company.c_str());
            break;
        case 3:
            Format(t.Text(t.Regarding), "Call %s %s about %s", first, last, rng.Pick(kCallTopics));
            break;
        default:
            Format(t.Text(t.Regarding), "E-mail %s %s about %s", first, last, rng.Pick(kCallTopics));
            break;
        }
        if (rng.Chance(40))
            AddLines(rng, t.Text(t.Details), rng.Range(1, 3));
    } else if (kind < 90) {
        source = kSourceOpportunity;
        Format(t.Text(t.Regarding), "Opportunity: %s - %s", company.c_str(), rng.Pick(kProducts));
        Set(t.Text(t.ExtraText), rng.Pick(kStages));
        t.ExtraValues[0] = static_cast<std::int32_t>(rng.Range(1, 9) * 10);
        t.ExtraDouble = rng.Range(50, 2500) * 100.0;
        AddLines(rng, t.Text(t.Details), rng.Range(1, 2));
    } else {
        source = kSourceOpportunityNote;
        Format(t.Text(t.Regarding), "Opportunity note: %s", company.c_str());
        AddLines(rng, t.Text(t.Details), rng.Range(1, 4));
    }
    const std::uint32_t priority = rng.Below(100);
    t.Priority = priority < 20 ? 0 : (priority < 70 ? 1 : 2);
    t.IsCompleted = rng.Chance(30);
    t.IsPrivate = rng.Chance(5);
    t.DueDate = slots.Time(original);
    t.CreateTime = std::floor(t.DueDate) - rng.Range(1, 30) + rng.Range(8 * 60, 18 * 60) / 1440.0;
    t.EditDate = t.CreateTime + rng.Below(5);
    return source;
}

void VaryTask(Rng& rng, Variant variant, Draft<TaskRecord>& t)
{
    switch (variant) {
    case kOriginal:
    case kExact:
        break;
    case kCase:
        ToUpper(t.Text(t.Regarding));
        break;
    case kIgnored:
        switch (rng.Below(3)) {
        case 0:
            AppendLine(t.Text(t.Details), "Reminder set for the morning.");
            break;
        case 1:
            t.IsCompleted = !t.IsCompleted;
            break;
        default:
            t.IsPrivate = !t.IsPrivate;
            break;
        }
        break;
    case kNear:
        AppendBlank(t.Text(t.Regarding));
        break;
    }
}

void GenNote(Rng& rng, std::uint32_t original, const SlotTimes& slots, Draft<NoteRecord>& n)
{
    const double when = slots.Time(original);
    const Civil day = CivilOfOle(when);
    const auto minutes = static_cast<unsigned>(std::lround((when - std::floor(when)) * 1440.0));
    // The time stamp in the first line keeps every original's text distinct.
    Format(n.Text(n.NoteText), "%s with %s %s - %02u/%02u/%04d %02u:%02u", rng.Pick(kNoteTopics), rng.Pick(kFirstNames),
           rng.Pick(kLastNames), day.month, day.day, day.year, minutes / 60, minutes % 60);
    AddLines(rng, n.Text(n.NoteText), rng.Range(1, 4));
    Set(n.Text(n.CreateUserName), rng.Pick(kStaff));
    Set(n.Text(n.EditUserName), rng.Chance(70) ? n.CreateUserName : rng.Pick(kStaff));
    Set(n.Text(n.ManageUserName), rng.Pick(kStaff));
    n.Private = rng.Chance(5);
    n.CreateTime = when;
    n.EditTime = when + rng.Below(3) + rng.Below(240) / 1440.0;
}

void VaryNote(Rng& rng, Variant variant, Draft<NoteRecord>& n)
{
    switch (variant) {
    case kOriginal:
    case kExact:
        break;
    case kCase:
        ToUpper(n.Text(n.NoteText));
        break;
    case kIgnored:
        switch (rng.Below(3)) {
        case 0:
            Replace(rng, n.Text(n.EditUserName), kStaff);
            break;
        case 1:
            n.EditTime += 0.5;
            break;
        default:
            n.Private = !n.Private;
            break;
        }
        break;
    case kNear:
        AppendBlank(n.Text(n.NoteText));
        break;
    }
}

const char kIdPrefix[] = {'C', 'E', 'T', 'N'};

template <class Record, class Gen, class Vary>
bool FillKind(Database& db, Kind kind, const DemoOptions& options, DemoSummary& summary, Gen gen, Vary vary,
              std::string& error)
{
    const int k = static_cast<int>(kind);
    const KindInfo& info = InfoOf(kind);
    Rng planRng(Mix(options.seed, k, 1));
    std::uint32_t originals = 0;
    const std::vector<Slot> plan = PlanRows(options.counts[k], options.dupPercent, planRng, originals);
    Rng slotRng(Mix(options.seed, k, 2));
    const SlotTimes slots(originals, kind == Kind::Notes ? 24 : (kind == Kind::Tasks ? 8 : 16),
                          kind == Kind::Tasks ? 9 * 60 : 8 * 60,
                          kind == Kind::Notes ? 20 : (kind == Kind::Tasks ? 60 : 30), 3, slotRng);

    Statement insert(db);
    Statement expected(db);
    if (!insert.Prepare(InsertRecordSql(kind)) ||
        !expected.Prepare("INSERT INTO expected_duplicates (kind, record_id, kept_record_id) VALUES (?1, ?2, ?3)")) {
        error = db.Error();
        return false;
    }
    std::vector<std::uint32_t> rowOf(originals, 0);
    auto record = std::make_unique<Draft<Record>>();
    char kept[64];
    for (std::size_t n = 0; n < plan.size(); ++n) {
        const Slot& slot = plan[n];
        record->Reset();
        Rng rng(Mix(options.seed, k + 16, slot.original));
        const char* source = gen(rng, slot.original, slots, *record);
        const auto row = static_cast<std::uint32_t>(n + 1);
        Format(record->Text(record->RecordID), "%c-%06u", kIdPrefix[k], row);
        if (slot.variant == kOriginal) {
            rowOf[slot.original] = row;
        } else {
            Rng variantRng(Mix(options.seed, k + 32, n));
            vary(variantRng, slot.variant, *record);
        }
        const int bound = BindRecord(insert.get(), kind, static_cast<Record*>(record.get()));
        if (kind == Kind::Tasks) {
            sqlite3_bind_text(insert.get(), bound + 1, source, -1, SQLITE_STATIC);
            summary.opportunities += std::strcmp(source, kSourceOpportunity) == 0 ? 1 : 0;
            summary.opportunityNotes += std::strcmp(source, kSourceOpportunityNote) == 0 ? 1 : 0;
        }
        if (insert.Step() != SQLITE_DONE) {
            error = db.Error();
            return false;
        }
        insert.Reset();
        if (slot.variant == kNear)
            ++summary.nearCopies[k];
        if (slot.variant == kExact || slot.variant == kCase || slot.variant == kIgnored) {
            Format({kept, sizeof kept}, "%c-%06u", kIdPrefix[k], rowOf[slot.original]);
            sqlite3_bind_text(expected.get(), 1, info.table, -1, SQLITE_STATIC);
            sqlite3_bind_text(expected.get(), 2, record->RecordID, -1, SQLITE_STATIC);
            sqlite3_bind_text(expected.get(), 3, kept, -1, SQLITE_STATIC);
            if (expected.Step() != SQLITE_DONE) {
                error = db.Error();
                return false;
            }
            expected.Reset();
            ++summary.duplicates[k];
        }
    }
    summary.rows[k] = static_cast<std::uint32_t>(plan.size());
    return true;
}

bool ParseCount(const char* text, std::uint64_t max, std::uint64_t& value)
{
    if (!text || !std::isdigit(static_cast<unsigned char>(text[0])))
        return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long parsed = std::strtoull(text, &end, 10);
    if (errno != 0 || *end != '\0' || parsed > max)
        return false;
    value = parsed;
    return true;
}

} // namespace

const char* DemoUsage()
{
    return "usage: velloran-demo-db --pad PATH [--contacts N] [--events N] [--tasks N] [--notes N]\n"
           "                        [--dup-percent P] [--seed S] [--user NAME] [--password TEXT]\n"
           "Creates the SQLite demo database beside the PAD file (Demo.pad -> Demo.sqlite) and the PAD file.\n"
           "Defaults: 500 contacts, 200 events, 200 tasks, 300 notes, 10 % duplicates, seed 1,\n"
           "user \"Demo\", password \"demo\".\n";
}

bool ParseDemoArgs(int argc, char** argv, DemoOptions& options, bool& help, std::string& error)
{
    help = false;
    bool havePad = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            help = true;
            return true;
        }
        if (i + 1 >= argc) {
            error = arg.rfind("--", 0) == 0 ? "missing value for " + arg : "unexpected argument: " + arg;
            return false;
        }
        const char* value = argv[++i];
        std::uint64_t number = 0;
        auto count = [&](std::uint32_t& target) {
            if (!ParseCount(value, kMaxRows, number)) {
                error = "bad number for " + arg + ": " + value;
                return false;
            }
            target = static_cast<std::uint32_t>(number);
            return true;
        };
        if (arg == "--pad") {
            options.padPath = value;
            havePad = !options.padPath.empty();
        } else if (arg == "--contacts") {
            if (!count(options.counts[0]))
                return false;
        } else if (arg == "--events") {
            if (!count(options.counts[1]))
                return false;
        } else if (arg == "--tasks") {
            if (!count(options.counts[2]))
                return false;
        } else if (arg == "--notes") {
            if (!count(options.counts[3]))
                return false;
        } else if (arg == "--dup-percent") {
            if (!ParseCount(value, 100, number)) {
                error = std::string("bad percentage (0 to 100): ") + value;
                return false;
            }
            options.dupPercent = static_cast<std::uint32_t>(number);
        } else if (arg == "--seed") {
            if (!ParseCount(value, UINT64_MAX, number)) {
                error = std::string("bad seed: ") + value;
                return false;
            }
            options.seed = number;
        } else if (arg == "--user") {
            options.user = value;
            if (options.user.empty()) {
                error = "the user name must not be empty";
                return false;
            }
        } else if (arg == "--password") {
            options.password = value;
        } else {
            error = "unknown option: " + arg;
            return false;
        }
    }
    if (!havePad) {
        error = "--pad PATH is required";
        return false;
    }
    return true;
}

bool CreateDemoDatabase(const DemoOptions& options, DemoSummary& summary, std::string& error)
{
    namespace fs = std::filesystem;
    summary = DemoSummary{};
    // Paths cross into std::filesystem through the platform layer, which knows their encoding.
    const fs::path pad = platform::fsPath(options.padPath);
    fs::path database = pad;
    database.replace_extension(".sqlite");
    if (database == pad) {
        error = "the PAD file must not itself end in .sqlite";
        return false;
    }
    std::error_code ec;
    if (pad.has_parent_path()) {
        fs::create_directories(pad.parent_path(), ec);
        if (ec) {
            error = "cannot create the folder of " + options.padPath + ": " + ec.message();
            return false;
        }
    }
    std::string databaseName;
    if (!platform::pathText(database, summary.databasePath) || !platform::pathText(database.filename(), databaseName)) {
        error = "the database beside " + options.padPath + " cannot be named";
        return false;
    }
    // Built under another name, so an existing database stays until the new one is complete.
    const std::string building = summary.databasePath + ".tmp";
    const fs::path buildingPath = platform::fsPath(building);
    fs::remove(buildingPath, ec);
    {
        Database db;
        auto failed = [&](const std::string& what) {
            error = what + ": " + db.Error();
            db.Close();
            fs::remove(buildingPath, ec);
            return false;
        };
        if (!db.Open(building, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE))
            return failed("cannot create " + building);
        if (!db.Exec("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA cache_size=-65536;") ||
            !db.Exec("BEGIN") || !CreateSchema(db))
            return failed("cannot create the tables");

        Statement user(db);
        if (!user.Prepare("INSERT INTO users (name, password) VALUES (?1, ?2)"))
            return failed("cannot add the user");
        sqlite3_bind_text(user.get(), 1, options.user.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(user.get(), 2, options.password.c_str(), -1, SQLITE_STATIC);
        if (user.Step() != SQLITE_DONE)
            return failed("cannot add the user");

        std::string fillError;
        const bool filled =
            FillKind<ContactRecord>(
                db, Kind::Contacts, options, summary,
                [](Rng& rng, std::uint32_t original, const SlotTimes&, Draft<ContactRecord>& c) -> const char* {
                    GenContact(rng, original, c);
                    return nullptr;
                },
                VaryContact, fillError) &&
            FillKind<CalendarRecord>(
                db, Kind::Calendar, options, summary,
                [](Rng& rng, std::uint32_t original, const SlotTimes& slots, Draft<CalendarRecord>& e) -> const char* {
                    GenEvent(rng, original, slots, e);
                    return nullptr;
                },
                VaryEvent, fillError) &&
            FillKind<TaskRecord>(db, Kind::Tasks, options, summary, GenTask, VaryTask, fillError) &&
            FillKind<NoteRecord>(
                db, Kind::Notes, options, summary,
                [](Rng& rng, std::uint32_t original, const SlotTimes& slots, Draft<NoteRecord>& n) -> const char* {
                    GenNote(rng, original, slots, n);
                    return nullptr;
                },
                VaryNote, fillError);
        if (!filled) {
            db.SetError(fillError);
            return failed("cannot fill the tables");
        }
        if (!db.Exec("COMMIT"))
            return failed("cannot save the database");
        db.Close();
    }
    // A journal left by the old database must not be played back into the new one.
    fs::remove(platform::fsPath(summary.databasePath + "-journal"), ec);
    fs::remove(platform::fsPath(summary.databasePath + "-wal"), ec);
    fs::rename(buildingPath, database, ec);
    if (ec) {
        error = "cannot replace " + summary.databasePath + ": " + ec.message();
        fs::remove(buildingPath, ec);
        return false;
    }
    fs::remove(pad, ec);
    if (!WritePadFile(options.padPath, databaseName)) {
        error = "cannot write the PAD file " + options.padPath;
        return false;
    }
    return true;
}

} // namespace helper
