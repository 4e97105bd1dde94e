#pragma once

#include "gui/viewers/ViewerCommon.h"

#include "ACT/CommMgr.h"

class CxACTAddrUtil;
class QLineEdit;
class QPlainTextEdit;
class QTabWidget;
class QTreeWidget;

// One contact in full: phones and e-mail addresses, both addresses, the custom fields, the fields ACT!
// keeps for itself and the secondary contact. Shows only; nothing is ever read back.
class TfmACTAddrDetail : public viewers::TfmACTDetail
{
    Q_OBJECT
public:
    explicit TfmACTAddrDetail(QWidget* owner);

    void SetUtility(CxACTAddrUtil* utility);
    // Takes the entry's record (none without an entry) and fills the window from it.
    void SetEntry(CommAddr* entry);
    // False, with nothing filled, without a record or a utility.
    bool FillFromRecord();

private:
    struct AddressPage
    {
        QPlainTextEdit* street;
        QLineEdit* city;
        QLineEdit* state;
        QLineEdit* postal;
        QLineEdit* country;
    };

    AddressPage MakeAddressPage(QWidget* page, const char* kind);
    void FillPhones();
    void FillAddresses();
    void FillCustom();
    void FillMisc();
    void FillSecondary();

    CommAddr* m_entry = nullptr;
    ContactRecord* m_record = nullptr;
    CxACTAddrUtil* m_utility = nullptr;

    QLineEdit* edtDisplayName = nullptr;
    QLineEdit* edtCompany = nullptr;
    QLineEdit* edtTitle = nullptr;
    QTabWidget* pMain = nullptr;
    QWidget* tPhone = nullptr;
    QWidget* tAddr = nullptr;
    QWidget* tCustom = nullptr;
    QWidget* tNote = nullptr;
    QWidget* tMisc = nullptr;
    QWidget* tSec = nullptr;
    QTreeWidget* lvPhone = nullptr;
    QTabWidget* pAddr = nullptr;
    QWidget* tWorkAddr = nullptr;
    QWidget* tHomeAddr = nullptr;
    QWidget* tOther = nullptr;
    AddressPage m_work{};
    AddressPage m_home{};
    QTreeWidget* lvCustom = nullptr;
    QPlainTextEdit* memNotes = nullptr;
    QTreeWidget* lvMisc = nullptr;
    QTreeWidget* lvSec = nullptr;
};
