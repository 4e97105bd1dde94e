// The whole cycle on a demo database: load, review, delete, and a new load.

#include "PagesFixture.h"

#include "gui/pages/DupListModel.h"

#include "core/Apputil.h"
#include "core/DupGroup.h"

#include <QLabel>
#include <QProcess>
#include <QTest>

#include <algorithm>
#include <set>

namespace pagetest {
namespace {

using IdSet = std::set<std::string>;

IdSet AsSet(const std::vector<std::string>& ids)
{
    return IdSet(ids.begin(), ids.end());
}

IdSet Minus(const IdSet& a, const IdSet& b)
{
    IdSet result;
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::inserter(result, result.end()));
    return result;
}

class Cycle : public PagesTest
{
protected:
    std::string MakeDemo()
    {
        const std::string padPath = home.file("Documents/ACT/Demo/Databases/Demo.pad");
        QProcess tool;
        tool.start(QStringLiteral(VELLORAN_DEMO_DB_TOOL),
                   {QStringLiteral("--pad"), QString::fromStdString(padPath), QStringLiteral("--contacts"),
                    QStringLiteral("40"), QStringLiteral("--events"), QStringLiteral("20"), QStringLiteral("--tasks"),
                    QStringLiteral("20"), QStringLiteral("--notes"), QStringLiteral("20"),
                    QStringLiteral("--dup-percent"), QStringLiteral("25")});
        EXPECT_TRUE(tool.waitForFinished(60000));
        EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
        return padPath;
    }

    // The first row of the full view that is neither listed nor equal to any other record.
    template <class Record> int UniqueRow(TfmACTData::DataKind kind)
    {
        const DupListModel* model = Model(kind);
        for (int row = 0; row < model->RecordCount(); ++row) {
            const auto* record = static_cast<const Record*>(model->RecordAt(row));
            bool alone = true;
            for (int other = 0; other < model->RecordCount() && alone; ++other)
                alone = other == row ||
                        !RecordsMatch(record, static_cast<const Record*>(model->RecordAt(other)), AppSettings);
            if (alone)
                return row;
        }
        return -1;
    }

    int TotalOf(const char* label)
    {
        return Child<QLabel>(Data(), label)->text().section(QLatin1Char(' '), 0, 0).toInt();
    }
};

TEST_F(Cycle, DeletesExactlyTheTickedRecordsAndTheNextLoadShowsWhatIsLeft)
{
    const int kinds = KIND_ADDR | KIND_DATE | KIND_TASK | KIND_NOTE;
    ASSERT_TRUE(LoadDatabase(MakeDemo(), kinds));

    const TfmACTData::DataKind all[] = {TfmACTData::kAddr, TfmACTData::kDate, TfmACTData::kTask, TfmACTData::kNote};
    PerKind<IdSet> dups;
    for (auto kind : all) {
        dups[kind] = AsSet(ListedIds(kind));
        ASSERT_GE(dups[kind].size(), 2u) << "kind " << KindIndex(kind);
        EXPECT_EQ(AsSet(RowIds(kind, true)), dups[kind]);
    }
    const PerKind<int> totals{
        {TotalOf("lblAddrCount"), TotalOf("lblDateCount"), TotalOf("lblTaskCount"), TotalOf("lblNoteCount")}};

    // Contacts: one duplicate unticked. Notes: the full view with every duplicate and one record that
    // duplicates nothing ticked.
    const std::string keptContact = RowIds(TfmACTData::kAddr)[0];
    SetTick(TfmACTData::kAddr, 0, false);
    ClickBox("cbNoteAll");
    const int unique = UniqueRow<NoteRecord>(TfmACTData::kNote);
    ASSERT_GE(unique, 0);
    const std::string uniqueNote = RowIds(TfmACTData::kNote)[static_cast<std::size_t>(unique)];
    ASSERT_EQ(dups[TfmACTData::kNote].count(uniqueNote), 0u);
    const std::vector<std::string> noteRows = RowIds(TfmACTData::kNote);
    for (std::size_t row = 0; row < noteRows.size(); ++row)
        if (dups[TfmACTData::kNote].count(noteRows[row]) || noteRows[row] == uniqueNote)
            SetTick(TfmACTData::kNote, static_cast<int>(row), true);

    PerKind<IdSet> deleted = dups;
    deleted[TfmACTData::kAddr].erase(keptContact);
    deleted[TfmACTData::kNote].insert(uniqueNote);
    const TableRows before = ReadAllRows(pad);

    RunCleaning();
    const QString log = LogText();
    const PerKind<const char*> headers{{"Deleting contact item ...", "Deleting calendar item ...",
                                        "Deleting todo or opportunity item ...", "Deleting note item ..."}};
    const PerKind<const char*> summaries{
        {"\t%1 duplicate contact items deleted.", "\t%1 duplicate calendar items deleted.",
         "\t%1 duplicate task items deleted.", "\t%1 duplicate note items deleted."}};
    for (auto kind : all) {
        const auto count = static_cast<int>(deleted[kind].size());
        EXPECT_EQ(log.count(QLatin1String(headers[kind])), count) << headers[kind];
        EXPECT_TRUE(log.contains(QString::fromLatin1(summaries[kind]).arg(count))) << summaries[kind];
    }
    EXPECT_EQ(log.count(QStringLiteral("Deletion succeeded.")),
              static_cast<int>(deleted[0].size() + deleted[1].size() + deleted[2].size() + deleted[3].size()));
    EXPECT_FALSE(log.contains(QStringLiteral("Deletion failed.")));

    // The database lost exactly those records; every other row is as it was.
    const TableRows after = ReadAllRows(pad);
    const PerKind<const char*> tables{{"contacts", "calendar", "tasks", "notes"}};
    for (auto kind : all) {
        IdSet removed;
        for (const auto& [id, row] : before.at(tables[kind])) {
            const auto now = after.at(tables[kind]).find(id);
            if (now == after.at(tables[kind]).end())
                removed.insert(id);
            else
                EXPECT_EQ(now->second, row) << id;
        }
        EXPECT_EQ(removed, deleted[kind]) << tables[kind];
        EXPECT_EQ(after.at(tables[kind]).size() + removed.size(), before.at(tables[kind]).size());
    }

    // Back to the start and a new load: only the duplicates that were left.
    QTest::mouseClick(Child<QLabel>(Clean(), "lblBack"), Qt::LeftButton);
    ASSERT_EQ(main->GetCurrentPage(), 0);
    Click("btnNext");
    ASSERT_EQ(main->GetCurrentPage(), 1);
    for (auto kind : all)
        EXPECT_EQ(AsSet(ListedIds(kind)), Minus(dups[kind], deleted[kind])) << "kind " << KindIndex(kind);
    EXPECT_EQ(AsSet(ListedIds(TfmACTData::kAddr)), IdSet{keptContact});
    const PerKind<int> newTotals{
        {TotalOf("lblAddrCount"), TotalOf("lblDateCount"), TotalOf("lblTaskCount"), TotalOf("lblNoteCount")}};
    for (auto kind : all)
        EXPECT_EQ(newTotals[kind], totals[kind] - static_cast<int>(deleted[kind].size()));
}

} // namespace
} // namespace pagetest
