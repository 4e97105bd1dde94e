#include "gui/services/Seams.h"
#include "gui/services/Shell.h"

#include <gtest/gtest.h>

namespace {

class SeamsTest : public ::testing::Test
{
protected:
    void SetUp() override { seams::ClearRecorded(); }
    void TearDown() override { seams::ClearRecorded(); }
};

TEST_F(SeamsTest, UnansweredMessageTakesOkOrTheFirstButton)
{
    using SB = QMessageBox::StandardButton;
    const struct
    {
        const char* name;
        QMessageBox::StandardButtons buttons;
        SB expected;
    } cases[] = {
        {"ok alone", QMessageBox::Ok, QMessageBox::Ok},
        {"ok and cancel", QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok},
        {"yes, no, cancel", QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes},
        {"no and cancel", QMessageBox::No | QMessageBox::Cancel, QMessageBox::No},
    };
    for (const auto& c : cases)
        EXPECT_EQ(seams::ShowMessage(nullptr, QMessageBox::Question, "Confirm", "?", c.buttons), c.expected) << c.name;
}

TEST_F(SeamsTest, QueuedAnswersAreUsedOnceInOrderAndEveryMessageIsRecorded)
{
    seams::QueueMessageAnswer(QMessageBox::Cancel);
    seams::QueueMessageAnswer(QMessageBox::No);
    const auto buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    EXPECT_EQ(seams::ShowMessage(nullptr, QMessageBox::Question, "Confirmation", "one", buttons), QMessageBox::Cancel);
    EXPECT_EQ(seams::ShowMessage(nullptr, QMessageBox::Question, "Confirmation", "two", buttons), QMessageBox::No);
    EXPECT_EQ(seams::ShowMessage(nullptr, QMessageBox::Warning, "Error", "three", QMessageBox::Ok), QMessageBox::Ok);

    const auto& shown = seams::ShownMessages();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].text, "one");
    EXPECT_EQ(shown[0].caption, "Confirmation");
    EXPECT_EQ(shown[0].buttons, buttons);
    EXPECT_EQ(shown[2].icon, QMessageBox::Warning);
    EXPECT_EQ(shown[2].caption, "Error");
}

TEST_F(SeamsTest, FileDialogTakesQueuedPathsThenCancels)
{
    seams::QueueFileDialogAnswer("/tmp/Demo.pad");
    EXPECT_EQ(seams::GetOpenFileName(nullptr, "ACT! Database File (*.pad)", "/start/x.pad"), "/tmp/Demo.pad");
    EXPECT_EQ(seams::GetOpenFileName(nullptr, "ACT! Database File (*.pad)", ""), QString());

    const auto& shown = seams::ShownFileDialogs();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].filter, "ACT! Database File (*.pad)");
    EXPECT_EQ(shown[0].initialFile, "/start/x.pad");
}

TEST_F(SeamsTest, ShellOpenRefusesEmptyTargetsAndRecordsTheRestInOrder)
{
    EXPECT_FALSE(ShellOpen(nullptr));
    EXPECT_FALSE(ShellOpen(""));
    EXPECT_TRUE(ShellOpen("/no/such/Velloran.chm"));
    OpenHomePage();

    const QStringList& opened = ShellOpenedTargets();
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened[0], "/no/such/Velloran.chm");
    EXPECT_TRUE(opened[1].startsWith("https://")) << opened[1].toStdString();
    EXPECT_TRUE(opened[1].endsWith("?ref=app")) << opened[1].toStdString();

    seams::ClearRecorded();
    EXPECT_TRUE(ShellOpenedTargets().isEmpty());
}

} // namespace
