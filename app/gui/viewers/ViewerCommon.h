#pragma once

// What the four detail viewers share: the window frame with its header and close button, read-only
// controls, the texts of record fields, and how a viewer is given its record and filled.

#include "gui/services/FieldText.h"
#include "gui/services/Seams.h"

#include "ACT/CommMgr.h"

#include <QDialog>
#include <QPointer>
#include <QString>

#include <cstddef>
#include <initializer_list>
#include <vector>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTreeWidget;
class QVBoxLayout;

namespace viewers {

// Empty when its first character is the terminator.
inline bool IsEmpty(const char* field)
{
    return field[0] == '\0';
}

// The number, and " * " with the extension when there is one.
inline QString FormatPhone(const char* number, const char* extension)
{
    return IsEmpty(extension) ? FieldText(number) : FieldText(number) + QStringLiteral(" * ") + FieldText(extension);
}

// Windows line ends as the record brings them, as single line breaks.
QString MultiLineText(const QString& text);

struct ListRow
{
    QString label;
    QString content;
};
using ListRows = std::vector<ListRow>;

// A row only when the field is not empty.
inline void AddTextRow(ListRows& rows, const char* label, const char* field)
{
    if (!IsEmpty(field))
        rows.push_back({QString::fromLatin1(label), FieldText(field)});
}

struct ListColumn
{
    const char* caption;
    int width;
};

// The window of a viewer: fixed size, centred on the screen, the white band with the picture, a bold
// text and "&Close" at the top, and below it the viewer's own controls in Body().
class TfmACTDetail : public QDialog
{
    Q_OBJECT
public:
    void btnCloseClick();

protected:
    TfmACTDetail(QWidget* owner, const char* objectName, const char* caption, const char* headerText);

    QVBoxLayout* Body() const { return m_body; }

    // Controls that show but cannot be changed. Check boxes, radio buttons and drop-downs keep their
    // normal look and take neither the focus nor mouse and key input.
    QLineEdit* MakeEdit(const char* name, QWidget* parent);
    QPlainTextEdit* MakeMemo(const char* name, QWidget* parent);
    QCheckBox* MakeCheckBox(const char* name, const char* caption, QWidget* parent);
    QRadioButton* MakeRadioButton(const char* name, const char* caption, QWidget* parent);
    QComboBox* MakeDropDown(const char* name, QWidget* parent);
    QTreeWidget* MakeList(const char* name, std::initializer_list<ListColumn> columns, QWidget* parent);
    QTabWidget* MakePageControl(const char* name, QWidget* parent);
    QWidget* AddPage(QTabWidget* pages, const char* name, const char* caption);

    // A caption in the first column of `grid` and the edit beside it spanning `span` columns.
    QLineEdit* AddEditRow(QGridLayout* grid, int row, int column, const char* caption, const char* name,
                          QWidget* parent, int span = 1);

    QPushButton* btnClose = nullptr;

private:
    void MakeReadOnly(QWidget* control);

    QVBoxLayout* m_body = nullptr;
    QObject* m_inputBlocker = nullptr;
};

// A viewer of one kind of record. It holds the kind's utility and the record of the entry it shows, and
// fills its controls only when it has both; each viewer brings its controls and how a record fills them.
template <class Record, class Utility> class TfmACTRecordDetail : public TfmACTDetail
{
public:
    using Entry = CommEntry<Record>;

    void SetUtility(Utility* utility) { m_utility = utility; }

    // Takes the entry's record (none without an entry) and fills the window from it.
    void SetEntry(Entry* entry)
    {
        m_record = entry ? entry->pPayload : nullptr;
        FillFromRecord();
    }

    // False, with nothing filled, without a record or a utility.
    bool FillFromRecord()
    {
        if (!m_record || !m_utility)
            return false;
        FillControls(*m_record);
        return true;
    }

protected:
    using TfmACTDetail::TfmACTDetail;

private:
    // Sets every control from `record` and brings the first page to the front. A viewer may be filled
    // again after its record changed, so nothing it showed before may stay.
    virtual void FillControls(const Record& record) = 0;

    const Record* m_record = nullptr;
    Utility* m_utility = nullptr;
};

// Replaces the rows of a list in one batch.
void FillList(QTreeWidget* list, const ListRows& rows);
// A text for an edit box, shown from its start.
void SetEditText(QLineEdit* edit, const QString& text);
// Shows or hides a page of a page control.
void SetPageVisible(QTabWidget* pages, QWidget* page, bool visible);

// What every open function does: nothing without an entry and its record; otherwise the viewer is
// created over `owner`, filled, run modally and destroyed when it closes.
template <class Viewer, class Entry, class Utility> void OpenViewer(QWidget* owner, Entry* entry, Utility* utility)
{
    if (!entry || !entry->pPayload)
        return;
    // Guarded: the owner may take the viewer with it while it is up.
    QPointer<Viewer> viewer = new Viewer(owner);
    viewer->SetUtility(utility);
    viewer->SetEntry(entry);
    seams::ExecDialog(viewer);
    delete viewer.data();
}

} // namespace viewers
