#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class LinkLabel;
class QLineEdit;
class QPushButton;

// The log folder and file boxes with their "..." buttons, shared by both dialogs.
class DebugInfoBoxes : public QObject
{
    Q_OBJECT
public:
    // Builds the rows inside `parent`, a group box laid out by the caller through rows().
    explicit DebugInfoBoxes(QWidget* parent);

    // Folder and log path from the data folder; without one, empty boxes and disabled buttons.
    void Fill();
    QLayout* rows() const { return m_rows; }

    void btnFolderClick();
    void btnFileClick();

private:
    QWidget* m_parent;
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
    static constexpr const char* kSupportAddress = "support@velloran.example";

    explicit TfmDump(QWidget* owner);

    bool Exchange(bool save);

private:
    void lblSupportClick();
    void btnExitClick();

    DebugInfoBoxes* m_info;
    LinkLabel* m_lblSupport;
};
