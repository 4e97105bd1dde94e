#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class LinkLabel;
class QLineEdit;
class QPushButton;

// The log folder and file boxes with their "..." buttons, shared by both dialogs.
class DebugInfoBoxes : public QObject
{
    Q_OBJECT
public:
    // Builds the rows inside `parent`, a group box laid out by the caller through rows(). `enableHint`
    // tells, from this dialog, how to switch the debug log on.
    DebugInfoBoxes(QWidget* parent, const char* enableHint);

    // Folder and log path from the data folder; without one, empty boxes and disabled buttons.
    void Fill();
    QLayout* rows() const { return m_rows; }

    void btnFolderClick();
    void btnFileClick();

private:
    QWidget* m_parent;
    const char* m_enableHint;
    QLayout* m_rows;
    QLineEdit* m_edtFolder;
    QLineEdit* m_edtFile;
    QPushButton* m_btnFolder;
    QPushButton* m_btnFile;
};

// Switches the debug log and its level; shows where the log is.
class TfmDebug : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kWidth = 554;
    static constexpr int kHeight = 394;

    explicit TfmDebug(QWidget* owner);

    // false: fill from the settings; true: take the choices into the settings and the log at once.
    bool Exchange(bool save);

private:
    void btnOKClick();

    DebugInfoBoxes* m_info;
    QCheckBox* m_cbEnable;
    QComboBox* m_cbxLevel;
};

// Shown after an unexpected failure: apologises, leads to support, the log and the debug options.
class TfmDump : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kWidth = 569;
    static constexpr int kHeight = 398;
    // Until the project has an address to write to, the help page says how to get help.
    static constexpr const char* kSupportLabel = "\"Getting help\" in Velloran's help page";
    static constexpr const char* kSupportSection = "getting-help";

    // `what`, when given, says in plain words what went wrong; it is shown under the apology.
    explicit TfmDump(QWidget* owner, const QString& what = QString());

    bool Exchange(bool save);

private:
    void lblSupportClick();
    void btnExitClick();

    DebugInfoBoxes* m_info;
    QLabel* m_lblWhat;
    LinkLabel* m_lblSupport;
};
