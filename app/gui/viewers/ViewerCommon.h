#pragma once

// What the four detail viewers share: the window frame with its header and close button, read-only
// controls, and the texts of record fields and dates.

#include "gui/services/Seams.h"

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

// A record's text field, in the system's single-byte encoding.
QString FieldText(const char* field);

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

// The texts of CxDateTime for an OLE date.
QString FormatDate(double date);
QString FormatTime(double date);
QString FormatDateTime(double date);

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
