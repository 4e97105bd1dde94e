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
    {"Name", 120, [](const void* r) { return QString::fromStdString(static_cast<const Item*>(r)->name); }},
    {"City", 80, [](const void* r) { return QString::fromStdString(static_cast<const Item*>(r)->city); }},
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
    DupListModel model(kColumns, 2, true);
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
    model.setData(model.index(0, 0), QStringLiteral("Anna"), Qt::EditRole);
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QStringLiteral("Anna"));
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
    DupListModel model(kColumns, 2, false);
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

    // Only the first column carries the box, and without an editable caption nothing else is editable.
    EXPECT_FALSE(model.setData(model.index(1, 1), Qt::Checked, Qt::CheckStateRole));
    EXPECT_FALSE(model.setData(model.index(1, 0), QStringLiteral("x"), Qt::EditRole));
    EXPECT_TRUE(model.flags(model.index(0, 0)) & Qt::ItemIsUserCheckable);
    EXPECT_FALSE(model.flags(model.index(0, 1)) & Qt::ItemIsUserCheckable);
    EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_EQ(model.RecordAt(3), nullptr);
    EXPECT_EQ(model.RecordAt(-1), nullptr);
}

} // namespace
