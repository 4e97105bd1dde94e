#include "ViewerTestUtil.h"

#include "gui/viewers/Actnotedetail.h"
#include "gui/viewers/Acttaskdetail.h"

#include "ACT/CxACTNote.h"
#include "ACT/CxACTTask.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <utility>
#include <vector>

using viewertest::Ole;
using viewertest::Put;
using viewertest::Shown;

namespace {

using Expectations = std::vector<std::pair<const char*, const char*>>;

struct TaskCase
{
    const char* name;
    void (*setup)(TaskRecord&);
    Expectations shown;
};

const TaskCase kTaskCases[] = {
    {"EmptyTodo",
     [](TaskRecord&) {},
     {{"pMain", "*General,Notes,Misc Fields"},
      {"edtDesc,edtPriority,edtDueDate", ",0,"},
      {"cbCompleted,cbPrivate", "off,off"},
      {"memNotes", ""},
      {"lvMisc", ""}}},
    {"PriorityAsNumber", [](TaskRecord& r) { r.Priority = 2; }, {{"edtPriority", "2"}}},
    {"NegativePriority", [](TaskRecord& r) { r.Priority = -7; }, {{"edtPriority", "-7"}}},
    {"GeneralPage",
     [](TaskRecord& r) {
         Put(r.Regarding, "Send the quotation");
         r.DueDate = Ole(2008, 3, 14, 17, 0, 0);
         r.IsCompleted = true;
     },
     {{"edtDesc,edtDueDate", "Send the quotation,03/14/2008"}, {"cbCompleted,cbPrivate", "on,off"}}},
    {"PrivateNotCompleted", [](TaskRecord& r) { r.IsPrivate = true; }, {{"cbCompleted,cbPrivate", "off,on"}}},
    {"NegativeDueDateLeavesTheBoxEmpty", [](TaskRecord& r) { r.DueDate = -2; }, {{"edtDueDate", ""}}},
    {"DueDatesYearsAheadShow", [](TaskRecord& r) { r.DueDate = Ole(2031, 1, 1); }, {{"edtDueDate", "01/01/2031"}}},
    {"NotesWithWindowsLineEnds",
     [](TaskRecord& r) { Put(r.Details, "one\r\ntwo\rthree"); },
     {{"memNotes", "one\ntwo\nthree"}}},
    {"MiscBothDates",
     [](TaskRecord& r) {
         r.CreateTime = Ole(2008, 3, 1, 8, 30, 0);
         r.EditDate = Ole(2008, 3, 5, 14, 7, 9);
     },
     {{"lvMisc", "Create Time|03/01/2008 08:30:00\nEdit Date|03/05/2008 14:07:09"}}},
    // Unlike contacts and notes, a negative date is no date here.
    {"NegativeCreateTimeGivesNoRow",
     [](TaskRecord& r) {
         r.CreateTime = -1.5;
         r.EditDate = Ole(2008, 3, 5);
     },
     {{"lvMisc", "Edit Date|03/05/2008 00:00:00"}}},
};

struct NoteCase
{
    const char* name;
    void (*setup)(NoteRecord&);
    Expectations shown;
};

const NoteCase kNoteCases[] = {
    {"EmptyNoteShowsOnlyPrivate",
     [](NoteRecord&) {},
     {{"pMain", "*Notes,Misc Fields"}, {"memNotes", ""}, {"lvMisc", "Private|No"}}},
    {"AllRowsInOrder",
     [](NoteRecord& r) {
         Put(r.ManageUserName, "Sam");
         Put(r.EditUserName, "Pat");
         Put(r.CreateUserName, "Chris");
         r.Private = true;
         r.EditTime = Ole(2008, 2, 28, 9, 0, 0);
         r.CreateTime = Ole(2008, 2, 27, 11, 32, 15);
     },
     {{"lvMisc", "Create User Name|Chris\nEdit User Name|Pat\nManage User Name|Sam\nPrivate|Yes\n"
                 "Create Time|02/27/2008 11:32:15\nEdit Time|02/28/2008 09:00:00"}}},
    {"OnlyEditUser", [](NoteRecord& r) { Put(r.EditUserName, "Pat"); }, {{"lvMisc", "Edit User Name|Pat\nPrivate|No"}}},
    // Every date but 0 is listed, a negative one too.
    {"NegativeCreateTimeIsListed",
     [](NoteRecord& r) { r.CreateTime = -1.5; },
     {{"lvMisc", "Private|No\nCreate Time| 12:00:00"}}},
    {"NoteText",
     [](NoteRecord& r) { Put(r.NoteText, "Called.\r\nFollow-up Friday."); },
     {{"memNotes", "Called.\nFollow-up Friday."}}},
};

TEST(TaskDetail, ControlsOfEachRecord)
{
    auto record = std::make_unique<TaskRecord>();
    CommTask entry{record.get(), 0};
    CxACTTaskUtil utility;
    for (const TaskCase& c : kTaskCases) {
        SCOPED_TRACE(c.name);
        *record = TaskRecord{};
        c.setup(*record);
        TfmACTTaskDetail viewer(nullptr);
        viewer.SetUtility(&utility);
        viewer.SetEntry(&entry);
        for (const auto& [control, text] : c.shown)
            EXPECT_EQ(Shown(&viewer, control), QString::fromUtf8(text)) << control;
    }
}

TEST(NoteDetail, ControlsOfEachRecord)
{
    auto record = std::make_unique<NoteRecord>();
    CommNote entry{record.get(), 0};
    CxACTNoteUtil utility;
    for (const NoteCase& c : kNoteCases) {
        SCOPED_TRACE(c.name);
        *record = NoteRecord{};
        c.setup(*record);
        TfmACTNoteDetail viewer(nullptr);
        viewer.SetUtility(&utility);
        viewer.SetEntry(&entry);
        for (const auto& [control, text] : c.shown)
            EXPECT_EQ(Shown(&viewer, control), QString::fromUtf8(text)) << control;
    }
}

// The longest text a record can hold reaches the box whole.
TEST(NoteDetail, FullLengthNoteTextIsShownWhole)
{
    auto record = std::make_unique<NoteRecord>();
    // A note's text holds at most 8191 characters.
    const std::string longest(8191, 'n');
    record->NoteText = longest.c_str();
    CommNote entry{record.get(), 0};
    CxACTNoteUtil utility;
    TfmACTNoteDetail viewer(nullptr);
    viewer.SetUtility(&utility);
    viewer.SetEntry(&entry);
    EXPECT_EQ(Shown(&viewer, "memNotes"), QString::fromStdString(longest));
}

} // namespace
