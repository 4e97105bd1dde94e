#include "ActTestSupport.h"

#include "ACT/CxACTAddr.h"
#include "ACT/CxACTDate.h"
#include "ACT/CxACTNote.h"
#include "ACT/CxACTTask.h"

#include <memory>

using namespace acttest;

namespace {

std::string repeat(const std::string& bytes, int times)
{
    std::string result;
    for (int i = 0; i < times; ++i)
        result += bytes;
    return result;
}

template <class Util> class DataFile
{
public:
    DataFile() { util.SetWorkFolder(folder().c_str()); }
    std::string folder() const { return dir.path() + "/"; }
    std::string path(const char* name) const { return dir.file(name); }

    testutil::TempDir dir;
    Util util;
};

template <class Record> std::unique_ptr<Record> blankRecord()
{
    return std::make_unique<Record>();
}

} // namespace

TEST(ContactFile, OneContactIsByteExact)
{
    DataFile<CxACTAddrUtil> f;
    auto contact = blankRecord<ContactRecord>();
    contact->RecordID = "R1";
    contact->LastName = "Smith";
    f.util.AppendRecord(contact.get());
    ASSERT_TRUE(f.util.WriteDataFile("one.dat"));

    const std::string expected = le32(1) + le32(0) + le32(0) + text("R1") + repeat(le32(0), 8) + text("Smith") +
                                 repeat(le32(0), 48) + std::string(12, '\0') + std::string(64, '\0') +
                                 repeat(le32(0), 19) + le32(0);
    const std::string bytes = testutil::readFile(f.path("one.dat"));
    ASSERT_EQ(bytes.size(), 407u);
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(bytes.substr(12, 6), bytesOf({0x02, 0, 0, 0, 0x52, 0x31}));
    EXPECT_EQ(bytes.substr(50, 9), bytesOf({0x05, 0, 0, 0, 0x53, 0x6D, 0x69, 0x74, 0x68}));

    // Read back and marked, only the Action word changes.
    DataFile<CxACTAddrUtil> g;
    testutil::writeFile(g.path("ACTAddr.dat"), bytes);
    ASSERT_TRUE(g.util.ReadDataFile(nullptr));
    ASSERT_EQ(g.util.GetRecordCount(), 1u);
    CommAddr* entry = g.util.GetManager()->GetFirstEntry();
    ASSERT_NE(entry, nullptr);
    EXPECT_STREQ(entry->pPayload->LastName, "Smith");
    EXPECT_TRUE(g.util.MarkForDeletion(entry));
    ASSERT_TRUE(g.util.WriteDataFile(nullptr));
    std::string marked = bytes;
    marked[4] = 3;
    EXPECT_EQ(testutil::readFile(g.path("ACTAddr.dat")), marked);
}

TEST(NoteFile, OneNoteIsByteExact)
{
    DataFile<CxACTNoteUtil> f;
    auto note = blankRecord<NoteRecord>();
    note->RecordID = "N7";
    note->NoteText = "Call back";
    f.util.AppendRecord(note.get());
    ASSERT_TRUE(f.util.WriteDataFile(nullptr));
    const std::string expected =
        bytesOf({1, 0, 0, 0}) + std::string(8, '\0') + bytesOf({2, 0, 0, 0, 0x4E, 0x37}) + std::string(12, '\0') +
        bytesOf({9, 0, 0, 0, 0x43, 0x61, 0x6C, 0x6C, 0x20, 0x62, 0x61, 0x63, 0x6B}) + std::string(4 + 16, '\0');
    EXPECT_EQ(testutil::readFile(f.path("ACTNote.dat")), expected);
    EXPECT_EQ(expected.size(), 4u + 59u);
}

// Is Private comes before the due date in the file and Is Completed after it, the reverse of memory.
TEST(TaskFile, BooleansSitInTheirOwnFilePositions)
{
    DataFile<CxACTTaskUtil> f;
    auto task = blankRecord<TaskRecord>();
    task->IsCompleted = true;
    task->IsPrivate = false;
    task->DueDate = 39814.0;
    f.util.AppendRecord(task.get());
    ASSERT_TRUE(f.util.WriteDataFile(nullptr));
    const std::string bytes = testutil::readFile(f.path("ACTTask.dat"));
    ASSERT_EQ(bytes.size(), 4u + 92u);
    const std::size_t isPrivate = 4 + 8 + 16 + 16 + 4 + 24 + 8;
    EXPECT_EQ(bytes.substr(isPrivate, 4), le32(0));
    EXPECT_EQ(bytes.substr(isPrivate + 4, 8), bytesOf({0, 0, 0, 0, 0xC0, 0x70, 0xE3, 0x40}));
    EXPECT_EQ(bytes.substr(isPrivate + 12, 4), le32(1));

    // And the other way round when read.
    std::string swapped = bytes;
    swapped.replace(isPrivate, 4, le32(1));
    swapped.replace(isPrivate + 12, 4, le32(0));
    testutil::writeFile(f.path("swapped.dat"), swapped);
    ASSERT_TRUE(f.util.ReadDataFile("swapped.dat"));
    const TaskRecord* read = f.util.GetManager()->GetFirstEntry()->pPayload;
    EXPECT_TRUE(read->IsPrivate);
    EXPECT_FALSE(read->IsCompleted);
    EXPECT_EQ(read->DueDate, 39814.0);
}

TEST(ContactFile, StoredTextLongerThanItsFieldIsCutAndTheRestStillFits)
{
    DataFile<CxACTAddrUtil> f;
    const std::string company(100, 'C');
    const std::string bytes = le32(1) + le32(0) + le32(7) + repeat(le32(0), 13) + text(company) + text("Sales") +
                              repeat(le32(0), 58 - 15) + std::string(12, '\0') + std::string(64, '\0') +
                              repeat(le32(0), 19) + le32(1);
    testutil::writeFile(f.path("ACTAddr.dat"), bytes);
    ASSERT_TRUE(f.util.ReadDataFile(nullptr));
    const ContactRecord* c = f.util.GetManager()->GetFirstEntry()->pPayload;
    EXPECT_EQ(std::string(c->Company), company.substr(0, 63));
    EXPECT_STREQ(c->Department, "Sales");
    EXPECT_EQ(c->HelperValue, 7);
    EXPECT_TRUE(c->SecondaryIsPrivate);
}

template <class Util> class RoundTrip : public ::testing::Test
{
};
using AllKinds = ::testing::Types<CxACTAddrUtil, CxACTDateUtil, CxACTTaskUtil, CxACTNoteUtil>;
TYPED_TEST_SUITE(RoundTrip, AllKinds);

// Texts at full capacity, distinct integers and dates, and neighbouring booleans of opposite values
// come back exactly as written, and are written again byte for byte.
TYPED_TEST(RoundTrip, EveryFieldAtFullCapacitySurvives)
{
    using Record = typename TypeParam::Record;
    const FieldTable& table = FieldsOf<Record>();
    auto first = blankRecord<Record>();
    auto second = blankRecord<Record>();
    fillRecord(table, first.get(), 1, false);
    fillRecord(table, second.get(), 2, true);

    DataFile<TypeParam> writer;
    writer.util.AppendRecord(first.get());
    writer.util.AppendRecord(second.get());
    ASSERT_TRUE(writer.util.WriteDataFile(nullptr));
    const std::string written = testutil::readFile(writer.path(writer.util.GetDataFileName()));

    DataFile<TypeParam> reader;
    testutil::writeFile(reader.path(reader.util.GetDataFileName()), written);
    ASSERT_TRUE(reader.util.ReadDataFile(nullptr));
    ASSERT_EQ(reader.util.GetRecordCount(), 2u);
    auto* manager = reader.util.GetManager();
    ASSERT_EQ(manager->GetEntryCount(), 2u);
    const Record* expected[] = {first.get(), second.get()};
    auto* entry = manager->GetFirstEntry();
    for (const Record* want : expected) {
        ASSERT_NE(entry, nullptr);
        ASSERT_NE(entry->pPayload, nullptr);
        EXPECT_EQ(firstDifference(table, entry->pPayload, want), "");
        EXPECT_EQ(entry->pPayload->pEntry, entry);
        EXPECT_EQ(entry->pPayload->DupFlags, 0u);
        EXPECT_EQ(entry->nPayloadSize, 0u);
        entry = manager->GetNextEntry();
    }
    EXPECT_EQ(entry, nullptr);

    ASSERT_TRUE(reader.util.WriteDataFile("again.dat"));
    EXPECT_EQ(testutil::readFile(reader.path("again.dat")), written);
}

// A record handed over keeps nothing of its giver's: its texts are copied, cut to their fields.
TEST(ContactFile, AppendedRecordKeepsCopiesOfItsTexts)
{
    DataFile<CxACTAddrUtil> f;
    auto contact = blankRecord<ContactRecord>();
    std::string id = "R1";
    std::string company(100, 'C');
    contact->RecordID = id.c_str();
    contact->Company = company.c_str();
    const ContactRecord* stored = f.util.AppendRecord(contact.get());
    ASSERT_NE(stored, nullptr);
    id = "gone";
    company.assign(100, 'x');
    EXPECT_STREQ(stored->RecordID, "R1");
    EXPECT_EQ(std::string(stored->Company), std::string(63, 'C'));
    ASSERT_TRUE(f.util.WriteDataFile(nullptr));
    const std::string bytes = testutil::readFile(f.path("ACTAddr.dat"));
    EXPECT_EQ(bytes.substr(12, 6), le32(2) + "R1");
    EXPECT_NE(bytes.find(le32(63) + std::string(63, 'C')), std::string::npos);
}

TEST(ContactFile, CountZeroLoadsNothing)
{
    DataFile<CxACTAddrUtil> f;
    testutil::writeFile(f.path("ACTAddr.dat"), le32(0));
    EXPECT_TRUE(f.util.ReadDataFile(nullptr));
    EXPECT_EQ(f.util.GetRecordCount(), 0u);
}

// A file that ends early is a failed read: nothing of it is loaded, and records of an earlier read go.
TEST(ContactFile, IncompleteFileLoadsNoRecord)
{
    auto contact = blankRecord<ContactRecord>();
    fillRecord(ContactFields(), contact.get(), 3, false);
    DataFile<CxACTAddrUtil> source;
    source.util.AppendRecord(contact.get());
    source.util.AppendRecord(contact.get());
    ASSERT_TRUE(source.util.WriteDataFile(nullptr));
    const std::string good = testutil::readFile(source.path("ACTAddr.dat"));
    const std::size_t recordSize = (good.size() - 4) / 2;

    struct Case
    {
        const char* name;
        std::string bytes;
        const char* why;
    };
    const Case cases[] = {
        {"empty file", "", "the file ends inside the record count"},
        {"inside the count", good.substr(0, 2), "the file ends inside the record count"},
        {"inside the first record", good.substr(0, 4 + 8 + 2), "record 1 of 2:"},
        {"inside the last record", good.substr(0, good.size() - 10), "record 2 of 2:"},
        {"count larger than the records", le32(3) + good.substr(4), "record 3 of 3:"},
        {"one record short", good.substr(0, 4 + recordSize), "record 2 of 2:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LogCapture log;
        DataFile<CxACTAddrUtil> f;
        testutil::writeFile(f.path("good.dat"), good);
        ASSERT_TRUE(f.util.ReadDataFile("good.dat"));
        testutil::writeFile(f.path("ACTAddr.dat"), c.bytes);
        EXPECT_FALSE(f.util.ReadDataFile(nullptr));
        EXPECT_EQ(f.util.GetRecordCount(), 0u);
        EXPECT_EQ(f.util.GetManager()->GetEntryCount(), 0u);
        bool named = false;
        for (const LogLine& line : log.lines())
            named = named || (line.failure && line.source == "CxACTAddr.cpp" &&
                              line.message.find("ACTAddr.dat") != std::string::npos &&
                              line.message.find(c.why) != std::string::npos);
        EXPECT_TRUE(named) << "no failure line names " << c.why;
    }
}

TEST(ContactFile, MarkForDeletion)
{
    DataFile<CxACTAddrUtil> f;
    EXPECT_FALSE(f.util.MarkForDeletion(nullptr));
    CommAddr orphan{nullptr, 0};
    EXPECT_TRUE(f.util.MarkForDeletion(&orphan));
}
