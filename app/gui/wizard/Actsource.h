#pragma once

#include <QWidget>

#include <cstddef>

class CleanupSession;
class QCheckBox;
class LinkLabel;
class QLineEdit;
class QPushButton;

// Page 0 of the wizard: which database (its PAD file), the login, and the record kinds to check.
// Keeps nothing of its own: it is filled from AppSettings and written back there.
class TfmACTSource : public QWidget
{
    Q_OBJECT
public:
    static constexpr std::size_t kPathBufferSize = 260;

    TfmACTSource(CleanupSession* session, QWidget* parent);

    // false: fill the page from AppSettings. true: check and store the input, then load the chosen
    // kinds into the session; returns whether the wizard may go on.
    bool Exchange(bool save);

    // The first PAD file under <documents>/ACT/<first database folder>/Databases into a buffer of
    // kPathBufferSize characters. False, with an empty buffer, when there is none.
    bool FindDefaultPad(char* buffer) const;

    void btnPadBrowseClick();
    void lblPadClick();
    void btnOptionClick();

signals:
    // Enter in one of the edits: the user means Next.
    void nextRequested();
    // Around a load that is about to start, and one that failed (the failure has been shown).
    void loadStarted();
    void loadFailed();

private:
    CleanupSession* m_pSession;

    QLineEdit* edtPadName = nullptr;
    QPushButton* btnPadBrowse = nullptr;
    LinkLabel* lblPad = nullptr;
    QLineEdit* edtACTUserName = nullptr;
    QLineEdit* edtACTPassword = nullptr;
    QCheckBox* cbACTSaveUser = nullptr;
    QCheckBox* cbACTSavePassword = nullptr;
    QCheckBox* cbAddr = nullptr;
    QCheckBox* cbDate = nullptr;
    QCheckBox* cbTask = nullptr;
    QCheckBox* cbNote = nullptr;
    QPushButton* btnOption = nullptr;
};
