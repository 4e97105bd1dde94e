#pragma once

#include <QWidget>

struct AppSettingsData;
class QLabel;
class QTreeView;

namespace compare {
class CompareModel;
}

// Below the review page's list: the current row's record beside the record that stays for its group,
// one row per field, so that the user sees why the two were taken for duplicates and what would be lost.
// Fields the active duplicate rules compare carry "●"; fields whose values differ carry "≠", are bold and
// tinted; a compared field whose values differ but count as equal through a near-duplicate option
// carries "≈" in place of "≠", with the options named in its tooltip. A field is listed when either
// record has a value for it, and always when the rules compare it: the pane shows what the records hold
// without a wall of empty rows, and never hides a reason of a match.
class ComparePane : public QWidget
{
    Q_OBJECT
public:
    enum Column
    {
        kRuleColumn,
        kFieldColumn,
        kRecordColumn,
        kDiffColumn,
        kKeptColumn,
        kColumnCount
    };

    explicit ComparePane(QWidget* parent = nullptr);

    // kind: 0 contacts (ContactRecord), 1 calendar (CalendarRecord), 2 tasks (TaskRecord), 3 notes (NoteRecord).
    // `record` left, `kept` right (the record that stays). kept null: only the record (a row that is not a
    // duplicate, or the record that stays itself). record null: empty pane. kept == record: only the record.
    // The rule marks and the near-duplicate marks follow `settings`, the settings the grouping ran under;
    // nothing of them is kept, so changed settings show at the next call.
    void ShowRecords(int kind, const void* record, const void* kept, const AppSettingsData& settings);

private:
    QTreeView* lvCompare = nullptr;
    QLabel* lblCompareLegend = nullptr;
    compare::CompareModel* m_model = nullptr;
};
