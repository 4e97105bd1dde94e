#pragma once

#include <QDialog>

#include <vector>

class QCheckBox;
class QPushButton;
class QTabWidget;
struct AppSettingsData;

// The fields that decide whether two records of a kind are duplicates: one box per rule flag of
// AppSettings. The calendar and task rules are shown but fixed. The contacts tab also holds the options
// that make texts count as equal despite blanks, punctuation, phone formatting or e-mail case.
class TfmDupOption : public QDialog
{
    Q_OBJECT
public:
    explicit TfmDupOption(QWidget* owner);

    // false: tick every box from its flag. true: set every flag from its box. Always true.
    bool Exchange(bool save);

    void btnOKClick();

private:
    struct FlagBox
    {
        QCheckBox* box;
        bool AppSettingsData::*flag;
    };

    QTabWidget* pMain = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
    // The boxes backed by a flag, the options included; "Date" of the contacts has none.
    std::vector<FlagBox> m_flagBoxes;
};
