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
class TfmACTAddrDetail : public viewers::TfmACTRecordDetail<ContactRecord, CxACTAddrUtil>
{
    Q_OBJECT
public:
    explicit TfmACTAddrDetail(QWidget* owner);

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
    void FillControls(const ContactRecord& r) override;
    void FillPhones(const ContactRecord& r);
    void FillAddresses(const ContactRecord& r);
    void FillCustom(const ContactRecord& r);
    void FillMisc(const ContactRecord& r);
    void FillSecondary(const ContactRecord& r);

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
