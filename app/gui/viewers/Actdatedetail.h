#pragma once

#include "gui/viewers/ViewerCommon.h"

#include "ACT/CommMgr.h"

class CxACTDateUtil;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QTabWidget;
class QTreeWidget;

// One calendar event in full: what, when and where, its type and flags, its recurrence, its notes and
// when it was created and edited. Shows only; nothing is ever read back.
class TfmACTDateDetail : public viewers::TfmACTRecordDetail<CalendarRecord, CxACTDateUtil>
{
    Q_OBJECT
public:
    explicit TfmACTDateDetail(QWidget* owner);

private:
    void MakeGeneralPage();
    void MakeRecurrencePage();
    // "Every [edit] unit" at the top of a recurrence page.
    QLineEdit* AddEveryRow(QGridLayout* grid, const char* name, const char* unit, QWidget* page);
    void FillControls(const CalendarRecord& r) override;
    void FillGeneral(const CalendarRecord& r);
    void FillRecurrence(const CalendarRecord& r);
    void FillMisc(const CalendarRecord& r);

    QTabWidget* pDate = nullptr;
    QWidget* tGen = nullptr;
    QWidget* tRecur = nullptr;
    QWidget* tNotes = nullptr;
    QWidget* tMisc = nullptr;

    QLineEdit* edtDesc = nullptr;
    QLineEdit* edtDate = nullptr;
    QLineEdit* edtStartTime = nullptr;
    QLineEdit* edtEndTime = nullptr;
    QLineEdit* edtLocation = nullptr;
    QComboBox* cbType = nullptr;
    QCheckBox* cbAllday = nullptr;
    QCheckBox* cbPrivate = nullptr;

    QTabWidget* pRecur = nullptr;
    QWidget* tDaily = nullptr;
    QWidget* tWeekly = nullptr;
    QWidget* tMonthly = nullptr;
    QWidget* tYearly = nullptr;
    QLineEdit* edtRecurDays = nullptr;
    QLineEdit* edtRecurWeeks = nullptr;
    // Sunday first, in the order of the weekday bits.
    QCheckBox* m_days[7] = {};
    QLineEdit* edtRecurMonths = nullptr;
    QRadioButton* rbtnDate = nullptr;
    QRadioButton* rbtnDay = nullptr;
    QLineEdit* edtRecurYears = nullptr;
    QRadioButton* rbtnYearDate = nullptr;
    QRadioButton* rbtnYearDay = nullptr;
    QLineEdit* edtRecurStart = nullptr;
    QRadioButton* rbtnNoEnd = nullptr;
    QRadioButton* rbtnEndBy = nullptr;
    QLineEdit* edtRecurEnd = nullptr;

    QPlainTextEdit* memNotes = nullptr;
    QTreeWidget* lvMisc = nullptr;
};
