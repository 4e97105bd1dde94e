#include "gui/pages/DupListModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Item
{
    std::string name;
    std::string city;
};

const DupListModel::Column kColumns[] = {
    {"Name", 120, [](const void* r) { return QString::fromStdString(static_cast<const Item*>(r)->name); },
     [](const void* r, char*) { return std::string_view(static_cast<const Item*>(r)->name); }},
    {"City", 80, [](const void* r) { return QString::fromStdString(static_cast<const Item*>(r)->city); },
     [](const void* r, char*) { return std::string_view(static_cast<const Item*>(r)->city); }},
};

std::vector<void*> Pointers(std::vector<Item>& items)
{
    std::vector<void*> pointers;
    for (Item& item : items)
        pointers.push_back(&item);
    return pointers;
}

// Every change the pages make, under the model tester's eye.
TEST(DupListModel, PassesTheModelTesterThroughFillTickAndClear)
{
    std::vector<Item> items = {{"Ann", "Oslo"}, {"Bob", "Rome"}, {"Cy", "Lima"}};
    DupListModel model(kColumns, 2);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);

    model.SetRecords(Pointers(items), true);
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.columnCount(), 2);
    EXPECT_EQ(model.data(model.index(1, 1)).toString(), QStringLiteral("Rome"));
    EXPECT_EQ(model.data(model.index(2, 0), Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_FALSE(model.data(model.index(2, 1), Qt::CheckStateRole).isValid());
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("City"));

    model.setData(model.index(1, 0), Qt::Unchecked, Qt::CheckStateRole);
    model.SetAllChecked(false);
    model.SetAllChecked(true);
    // An edit would change neither the record nor the CRM: it is refused and the row shows the record.
    EXPECT_FALSE(model.setData(model.index(0, 0), QStringLiteral("Anna"), Qt::EditRole));
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QStringLiteral("Ann"));
    EXPECT_EQ(items[0].name, "Ann");

    model.SetRecords(Pointers(items), false);
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QStringLiteral("Ann"));
    model.Clear();
    EXPECT_EQ(model.rowCount(), 0);
    model.SetAllChecked(true);
}

TEST(DupListModel, OneTickChangesOneRowAndOnlyItsCheckState)
{
    std::vector<Item> items = {{"Ann", "Oslo"}, {"Bob", "Rome"}, {"Cy", "Lima"}};
    DupListModel model(kColumns, 2);
    model.SetRecords(Pointers(items), true);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    EXPECT_TRUE(model.setData(model.index(1, 0), Qt::Unchecked, Qt::CheckStateRole));
    ASSERT_EQ(changed.count(), 1);
    const auto args = changed.takeFirst();
    EXPECT_EQ(args.at(0).toModelIndex(), model.index(1, 0));
    EXPECT_EQ(args.at(1).toModelIndex(), model.index(1, 0));
    EXPECT_EQ(args.at(2).value<QList<int>>(), QList<int>{Qt::CheckStateRole});
    EXPECT_TRUE(model.IsChecked(0));
    EXPECT_FALSE(model.IsChecked(1));
    EXPECT_TRUE(model.IsChecked(2));

    // Only the first column carries the box, and no cell is editable.
    EXPECT_FALSE(model.setData(model.index(1, 1), Qt::Checked, Qt::CheckStateRole));
    EXPECT_FALSE(model.setData(model.index(1, 0), QStringLiteral("x"), Qt::EditRole));
    EXPECT_TRUE(model.flags(model.index(0, 0)) & Qt::ItemIsUserCheckable);
    EXPECT_FALSE(model.flags(model.index(0, 1)) & Qt::ItemIsUserCheckable);
    EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_EQ(model.RecordAt(3), nullptr);
    EXPECT_EQ(model.RecordAt(-1), nullptr);
}

std::vector<std::string> Names(const DupListModel& model)
{
    std::vector<std::string> names;
    for (int row = 0; row < model.rowCount(); ++row)
        names.push_back(static_cast<const Item*>(model.RecordAt(row))->name);
    return names;
}

// What a search text leaves: a table of texts, each with the rows it must show.
TEST(DupListModel, TheFilterShowsRowsWithTheTextInAnyColumnInAnyCase)
{
    std::vector<Item> items = {{"Ann Lee", "Oslo"}, {"Bob Ray", "Rome"}, {"ANNA", "Lima"}, {"Cy", "Annecy"}};
    DupListModel model(kColumns, 2);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.SetRecords(Pointers(items), false);
    const struct
    {
        const char* text;
        std::vector<std::string> rows;
    } cases[] = {
        {"an", {"Ann Lee", "ANNA", "Cy"}},
        {"ann", {"Ann Lee", "ANNA", "Cy"}},
        {"anna", {"ANNA"}},
        {"ann", {"Ann Lee", "ANNA", "Cy"}},
        {"o", {"Ann Lee", "Bob Ray"}},
        {"ROME", {"Bob Ray"}},
        {"nothing", {}},
        {"", {"Ann Lee", "Bob Ray", "ANNA", "Cy"}},
    };
    for (const auto& c : cases) {
        model.SetFilter(QString::fromLatin1(c.text));
        EXPECT_EQ(Names(model), c.rows) << c.text;
    }
}

TEST(DupListModel, HiddenRowsKeepTheirTicksAndSelectAllActsOnTheRowsShown)
{
    std::vector<Item> items = {{"Ann", "Oslo"}, {"Bob", "Rome"}, {"Cy", "Lima"}};
    DupListModel model(kColumns, 2);
    model.SetRecords(Pointers(items), true);
    model.SetFilter(QStringLiteral("bob"));
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.RowOf(&items[1]), 0);
    EXPECT_EQ(model.RowOf(&items[0]), -1);
    model.SetAllChecked(false);
    EXPECT_FALSE(model.IsChecked(0));

    model.SetFilter(QString());
    EXPECT_TRUE(model.IsRecordChecked(0)) << "hidden, so untouched";
    EXPECT_FALSE(model.IsRecordChecked(1));
    EXPECT_TRUE(model.IsRecordChecked(2));

    // A refill keeps the search text.
    model.SetFilter(QStringLiteral("cy"));
    model.SetRecords(Pointers(items), false);
    EXPECT_EQ(Names(model), std::vector<std::string>{"Cy"});
}

TEST(DupListModel, ARecordCanTakeAnothersRowOrBeTickedWhereverItIs)
{
    std::vector<Item> items = {{"Ann", "Oslo"}, {"Bob", "Rome"}, {"Cy", "Lima"}};
    Item other{"Dee", "Kiev"};
    DupListModel model(kColumns, 2);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.SetRecords(Pointers(items), false);
    model.SetFilter(QStringLiteral("o"));
    ASSERT_EQ(Names(model), (std::vector<std::string>{"Ann", "Bob"}));

    model.ReplaceRecord(1, &other, true);
    EXPECT_EQ(Names(model), (std::vector<std::string>{"Ann", "Dee"}));
    EXPECT_TRUE(model.IsChecked(1));
    EXPECT_EQ(model.RowOf(&other), 1);
    EXPECT_EQ(model.RowOf(&items[1]), -1);

    EXPECT_TRUE(model.SetRecordChecked(&items[2], true)) << "hidden by the filter";
    EXPECT_TRUE(model.IsRecordChecked(2));
    EXPECT_FALSE(model.SetRecordChecked(&items[1], true)) << "no longer listed";
}

} // namespace
