#include "Diagnostics.h"

#include "DiagnosticsDialogs.h"
#include "HeaderBand.h"
#include "LinkLabel.h"
#include "Seams.h"
#include "ServicesInternal.h"
#include "Shell.h"

#include "core/Apputil.h"
#include "misc/CxDebugUtil.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include <new>

namespace {

constexpr int kBandHeight = 72;
const char* const kDebugLogName = "appdebug.log";
const char* const kNoDebugLog = "Debug log file doesn't exist";
const char* const kNoDebugLogMore = "Velloran writes it when it first has something to log: a failure always, "
                                    "the details of its work only while the debug log is enabled.";
const char* const kEnableHere = "To record what happens, tick \"Enable Debug Log\", press OK, repeat the steps that "
                                "went wrong, then open the log again.";
const char* const kEnableThroughOptions = "To record what happens, press \"Debug Options\", tick \"Enable Debug "
                                          "Log\", press OK, repeat the steps that went wrong, then open the log again.";
const char* const kOutOfMemory = "Velloran ran out of memory, so it stopped what it was doing. Close other programs "
                                 "to free memory and try again; if it happens again, check fewer kinds of records "
                                 "at a time.";
const char* const kUnexpected = "An unexpected error happened, so Velloran stopped what it was doing. The debug "
                                "log (appdebug.log in Velloran's data folder) has the details. Try the step again; "
                                "if the error comes back, see \"Getting help\" in Velloran's help page and send "
                                "the debug log with your report.";
const char* const kLevelItems[] = {
    "Critical - Only log critical error information.",
    "High - Log high level debug information.",
    "Low - Log very detail debug information.",
};

QPushButton* MakeButton(const char* name, const char* caption, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

// The fixed frame both dialogs share: header band, a line under it, and the body below.
QVBoxLayout* MakeFrame(QDialog* dialog, int width, int height, const char* caption, QWidget* owner)
{
    dialog->setWindowTitle(caption);
    dialog->setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    dialog->setFixedSize(width, height);
    CentreOnScreen(dialog, owner);

    auto* header = new HeaderBand(kBandHeight, nullptr, dialog);
    header->titleLabel()->setObjectName("Label6");
    auto* line = new QFrame(dialog);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    auto* outer = new QVBoxLayout(dialog);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addWidget(header);
    outer->addWidget(line);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(20, 16, 20, 16);
    body->setSpacing(10);
    outer->addLayout(body, 1);
    return body;
}

QGroupBox* MakeInfoGroup(QWidget* parent)
{
    auto* group = new QGroupBox(" Debug Information ", parent);
    group->setObjectName("grpDebugInfo");
    return group;
}

} // namespace

DebugInfoBoxes::DebugInfoBoxes(QWidget* parent, const char* enableHint)
    : QObject(parent), m_parent(parent), m_enableHint(enableHint)
{
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    m_rows = grid;

    const struct
    {
        const char* label;
        const char* edit;
        const char* button;
        QLineEdit** editField;
        QPushButton** buttonField;
    } rows[] = {
        {"Log Folder:", "edtFolder", "btnFolder", &m_edtFolder, &m_btnFolder},
        {"Log File:", "edtFile", "btnFile", &m_edtFile, &m_btnFile},
    };
    int row = 0;
    for (const auto& item : rows) {
        auto* edit = new QLineEdit(parent);
        edit->setObjectName(item.edit);
        edit->setReadOnly(true);
        auto* button = MakeButton(item.button, "...", parent);
        button->setFixedWidth(36);
        grid->addWidget(new QLabel(item.label, parent), row, 0);
        grid->addWidget(edit, row, 1);
        grid->addWidget(button, row, 2);
        *item.editField = edit;
        *item.buttonField = button;
        ++row;
    }
    grid->setColumnStretch(1, 1);

    connect(m_btnFolder, &QPushButton::clicked, this, &DebugInfoBoxes::btnFolderClick);
    connect(m_btnFile, &QPushButton::clicked, this, &DebugInfoBoxes::btnFileClick);
}

void DebugInfoBoxes::Fill()
{
    char folder[260];
    const bool found = GetDataFolder(folder);
    m_edtFolder->setText(found ? QString::fromUtf8(folder) : QString());
    m_edtFile->setText(found ? QString::fromUtf8(folder) + kDebugLogName : QString());
    m_btnFolder->setEnabled(found);
    m_btnFile->setEnabled(found);
}

void DebugInfoBoxes::btnFolderClick()
{
    ShellOpen(m_edtFolder->text().toUtf8().constData());
}

void DebugInfoBoxes::btnFileClick()
{
    const QString file = m_edtFile->text();
    if (!QFileInfo::exists(file)) {
        // Not an error: nothing has been logged yet. Say how to get a log.
        seams::ShowMessage(m_parent, QMessageBox::Information, "Debug Log",
                           QString::fromLatin1(kNoDebugLog) + "\n\n" + kNoDebugLogMore + " " + m_enableHint,
                           QMessageBox::Ok);
        return;
    }
    ShellOpen(file.toUtf8().constData());
}

TfmDebug::TfmDebug(QWidget* owner) : QDialog(owner)
{
    setObjectName("TfmDebug");
    QVBoxLayout* body = MakeFrame(this, kWidth, kHeight, "Velloran Debug Log Options", owner);

    m_cbEnable = new QCheckBox("Enable Debug Log", this);
    m_cbEnable->setObjectName("cbEnable");
    body->addWidget(m_cbEnable);

    auto* levelRow = new QHBoxLayout;
    levelRow->setSpacing(8);
    levelRow->addWidget(new QLabel("Set Debug Level:", this));
    m_cbxLevel = new QComboBox(this);
    m_cbxLevel->setObjectName("cbxLevel");
    levelRow->addWidget(m_cbxLevel, 1);
    body->addLayout(levelRow);

    body->addSpacing(4);
    QGroupBox* group = MakeInfoGroup(this);
    m_info = new DebugInfoBoxes(group, kEnableHere);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->setContentsMargins(12, 12, 12, 12);
    groupLayout->addLayout(m_info->rows());
    body->addWidget(group);
    body->addStretch(1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    QPushButton* btnOK = MakeButton("btnOK", "&OK", this);
    QPushButton* btnCancel = MakeButton("btnCancel", "&Cancel", this);
    btnOK->setDefault(true);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    body->addLayout(buttons);

    connect(btnOK, &QPushButton::clicked, this, &TfmDebug::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    Exchange(false);
}

bool TfmDebug::Exchange(bool save)
{
    if (!save) {
        m_info->Fill();
        m_cbEnable->setChecked(AppSettings.EnableDebug);
        m_cbxLevel->clear();
        for (const char* item : kLevelItems)
            m_cbxLevel->addItem(item);
        switch (AppSettings.LogLevel) {
        case 0:
            m_cbxLevel->setCurrentIndex(0);
            break;
        case 1:
            m_cbxLevel->setCurrentIndex(1);
            break;
        default:
            m_cbxLevel->setCurrentIndex(2);
            break;
        }
        return true;
    }

    AppSettings.EnableDebug = m_cbEnable->isChecked();
    const int index = m_cbxLevel->currentIndex();
    AppSettings.LogLevel = index == 0 ? 0 : (index == 1 ? 1 : 3);
    DebugLog.SetEnabled(AppSettings.EnableDebug);
    DebugLog.SetLevel(AppSettings.LogLevel);
    return true;
}

void TfmDebug::btnOKClick()
{
    if (Exchange(true))
        accept();
}

TfmDump::TfmDump(QWidget* owner, const QString& what) : QDialog(owner)
{
    setObjectName("TfmDump");
    QVBoxLayout* body = MakeFrame(this, kWidth, kHeight, "Handle Velloran Exception", owner);

    auto* label1 = new QLabel("We're sorry that an unhandled exception occurred  in Velloran.", this);
    label1->setObjectName("Label1");
    label1->setTextFormat(Qt::PlainText);
    QFont strong = label1->font();
    strong.setBold(true);
    label1->setFont(strong);
    body->addWidget(label1);

    m_lblWhat = new QLabel(what, this);
    m_lblWhat->setObjectName("lblWhat");
    m_lblWhat->setTextFormat(Qt::PlainText);
    m_lblWhat->setWordWrap(true);
    m_lblWhat->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_lblWhat->setVisible(!what.isEmpty());
    body->addWidget(m_lblWhat);

    auto* contactRow = new QHBoxLayout;
    contactRow->setSpacing(6);
    auto* label2 = new QLabel("Please contact us at:", this);
    label2->setObjectName("Label2");
    m_lblSupport = new LinkLabel(kSupportLabel, QColor(0x00, 0x60, 0xC0), this);
    m_lblSupport->setObjectName("lblSupport");
    connect(m_lblSupport, &LinkLabel::activated, this, &TfmDump::lblSupportClick);
    contactRow->addWidget(label2);
    contactRow->addWidget(m_lblSupport);
    contactRow->addStretch(1);
    body->addLayout(contactRow);

    body->addSpacing(4);
    QGroupBox* group = MakeInfoGroup(this);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->setContentsMargins(12, 12, 12, 12);
    groupLayout->setSpacing(10);
    auto* hint =
        new QLabel("It is very appreciated if you can include the debug information in your error report.", group);
    hint->setObjectName("lblDebugHint");
    hint->setWordWrap(true);
    groupLayout->addWidget(hint);
    m_info = new DebugInfoBoxes(group, kEnableThroughOptions);
    groupLayout->addLayout(m_info->rows());
    body->addWidget(group);
    body->addStretch(1);

    auto* buttons = new QHBoxLayout;
    QPushButton* btnDebug = MakeButton("btnDebug", "&Debug Options", this);
    QPushButton* btnOK = MakeButton("btnOK", "&OK", this);
    QPushButton* btnExit = MakeButton("btnExit", "Quit Velloran", this);
    btnOK->setDefault(true);
    buttons->addWidget(btnDebug);
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnExit);
    body->addLayout(buttons);

    connect(btnDebug, &QPushButton::clicked, this, [] { ShowTroubleshooting(); });
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnExit, &QPushButton::clicked, this, &TfmDump::btnExitClick);

    Exchange(false);
}

bool TfmDump::Exchange(bool save)
{
    if (!save)
        m_info->Fill();
    return true;
}

void TfmDump::lblSupportClick()
{
    OpenHelpSection(kSupportSection);
}

void TfmDump::btnExitClick()
{
    reject();
    // Posted, so the main window closes the normal way once this dialog's run has ended.
    if (QWidget* main = MainWindow())
        QMetaObject::invokeMethod(main, "close", Qt::QueuedConnection);
}

// The owner may take a dialog down with it while it is up; the guard then holds null.
void ShowTroubleshooting()
{
    QPointer<TfmDebug> dialog = new TfmDebug(MainWindow());
    seams::ExecDialog(dialog);
    delete dialog.data();
}

void ShowBugReport(QWidget* owner, const QString& what)
{
    QPointer<TfmDump> dialog = new TfmDump(owner, what);
    seams::ExecDialog(dialog);
    delete dialog.data();
}

QString FailureText(const std::exception_ptr& error)
{
    try {
        if (error)
            std::rethrow_exception(error);
    } catch (const std::bad_alloc&) {
        return QString::fromLatin1(kOutOfMemory);
    } catch (...) {
    }
    return QString::fromLatin1(kUnexpected);
}
