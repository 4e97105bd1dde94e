#include "gui/wizard/Actsource.h"

#include "gui/services/Diagnostics.h"
#include "gui/services/Dupoption.h"
#include "gui/services/LinkLabel.h"
#include "gui/services/Seams.h"
#include "gui/services/Shell.h"
#include "gui/services/Worker.h"

#include "core/Apputil.h"
#include "core/CleanupSession.h"
#include "misc/CxDebugUtil.h"
#include "platform/Platform.h"

#include <QCheckBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <utility>

namespace {

// The help page's own section on PAD files.
const char* const kPadHelpSection = "pad-files";
const char* const kPadFilter = "ACT! Database File (*.pad)";
const char* const kInvalidPad =
    "Invalid ACT! database name. Velloran can not load ACT! data correctly, are you sure to continue?";
const char* const kInvalidUser =
    "Invalid ACT! user name. Velloran can not load ACT! data correctly, are you sure to continue?";
const char* const kLoadFailed = "Can not retrieve your ACT! information. Please make sure that you entered the "
                                "correct ACT! access options.";
const char* const kLoadStopped = "Loading your ACT! records stopped; nothing was changed in ACT!.";

// Stores the longest prefix of `text` that fits the field with its terminator, never splitting a
// character: a path as UTF-8, as the program holds paths; a CRM text (the login) in the local encoding the
// CRM takes.
enum class Encoding
{
    Utf8,
    Local,
};
void StoreText(char* field, std::size_t capacity, const QString& text, Encoding encoding)
{
    const auto encode = [encoding](const QString& part) {
        return encoding == Encoding::Utf8 ? part.toUtf8() : part.toLocal8Bit();
    };
    const qsizetype room = static_cast<qsizetype>(capacity) - 1;
    qsizetype chars = std::min(text.size(), room);
    QByteArray bytes = encode(text.left(chars));
    while (bytes.size() > room) {
        --chars;
        if (chars > 0 && text.at(chars - 1).isHighSurrogate())
            --chars;
        bytes = encode(text.left(chars));
    }
    std::memcpy(field, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    field[bytes.size()] = '\0';
}

bool EndsWithPad(const std::string& name)
{
    constexpr std::string_view kExtension = ".pad";
    if (name.size() <= kExtension.size())
        return false;
    return std::equal(kExtension.begin(), kExtension.end(), name.end() - kExtension.size(),
                      [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

QCheckBox* MakeBox(const char* name, const char* caption, QWidget* parent)
{
    auto* box = new QCheckBox(QString::fromLatin1(caption), parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

QLineEdit* MakeEdit(const char* name, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

} // namespace

TfmACTSource::TfmACTSource(CleanupSession* session, QWidget* parent) : QWidget(parent), m_pSession(session)
{
    setObjectName(QStringLiteral("fmACTSource"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(40, 16, 40, 16);
    layout->setSpacing(14);

    auto* login = new QGroupBox(QStringLiteral(" ACT! Login Information "), this);
    login->setObjectName(QStringLiteral("gbLogin"));
    auto* loginGrid = new QGridLayout(login);
    loginGrid->setContentsMargins(16, 12, 16, 12);
    loginGrid->setHorizontalSpacing(10);
    loginGrid->setColumnStretch(1, 1);

    edtPadName = MakeEdit("edtPadName", login);
    btnPadBrowse = new QPushButton(QStringLiteral("..."), login);
    btnPadBrowse->setObjectName(QStringLiteral("btnPadBrowse"));
    btnPadBrowse->setFixedWidth(32);
    lblPad = new LinkLabel(QStringLiteral("What is ACT! PAD?"), QColor(0x00, 0x00, 0xFF), login);
    lblPad->setObjectName(QStringLiteral("lblPad"));
    edtACTUserName = MakeEdit("edtACTUserName", login);
    edtACTPassword = MakeEdit("edtACTPassword", login);
    edtACTPassword->setEchoMode(QLineEdit::Password);
    cbACTSaveUser = MakeBox("cbACTSaveUser", "Save User Name", login);
    cbACTSavePassword = MakeBox("cbACTSavePassword", "Save Password", login);

    loginGrid->addWidget(new QLabel(QStringLiteral("PAD:"), login), 0, 0);
    loginGrid->addWidget(edtPadName, 0, 1);
    loginGrid->addWidget(btnPadBrowse, 0, 2);
    loginGrid->addWidget(lblPad, 1, 1, Qt::AlignLeft);
    loginGrid->addWidget(new QLabel(QStringLiteral("User:"), login), 2, 0);
    loginGrid->addWidget(edtACTUserName, 2, 1);
    loginGrid->addWidget(new QLabel(QStringLiteral("Password:"), login), 3, 0);
    loginGrid->addWidget(edtACTPassword, 3, 1);
    auto* saveRow = new QHBoxLayout;
    saveRow->addWidget(cbACTSaveUser);
    saveRow->addSpacing(24);
    saveRow->addWidget(cbACTSavePassword);
    saveRow->addStretch(1);
    loginGrid->addLayout(saveRow, 4, 1);
    layout->addWidget(login);

    auto* kinds = new QGroupBox(QStringLiteral(" Choose Applications to Check Duplicates "), this);
    kinds->setObjectName(QStringLiteral("gbKinds"));
    auto* kindGrid = new QGridLayout(kinds);
    kindGrid->setContentsMargins(16, 12, 16, 12);
    kindGrid->setColumnStretch(2, 1);
    kindGrid->setHorizontalSpacing(40);
    cbAddr = MakeBox("cbAddr", "Contacts", kinds);
    cbDate = MakeBox("cbDate", "Calendar", kinds);
    cbTask = MakeBox("cbTask", "Todos and Opportunites", kinds);
    cbNote = MakeBox("cbNote", "Notes", kinds);
    btnOption = new QPushButton(QStringLiteral("Customize Duplicate Checking Rules"), kinds);
    btnOption->setObjectName(QStringLiteral("btnOption"));
    kindGrid->addWidget(cbAddr, 0, 0);
    kindGrid->addWidget(cbDate, 0, 1);
    kindGrid->addWidget(cbTask, 1, 0);
    kindGrid->addWidget(cbNote, 1, 1);
    kindGrid->addWidget(btnOption, 2, 0, 1, 3, Qt::AlignRight);
    layout->addWidget(kinds);
    layout->addStretch(1);

    setFocusProxy(edtPadName);
    setTabOrder(edtPadName, btnPadBrowse);
    setTabOrder(btnPadBrowse, lblPad);
    setTabOrder(lblPad, edtACTUserName);
    setTabOrder(edtACTUserName, edtACTPassword);
    setTabOrder(edtACTPassword, cbACTSaveUser);
    setTabOrder(cbACTSaveUser, cbACTSavePassword);
    setTabOrder(cbACTSavePassword, cbAddr);
    setTabOrder(cbAddr, cbDate);
    setTabOrder(cbDate, cbTask);
    setTabOrder(cbTask, cbNote);
    setTabOrder(cbNote, btnOption);

    connect(btnPadBrowse, &QPushButton::clicked, this, &TfmACTSource::btnPadBrowseClick);
    connect(lblPad, &LinkLabel::activated, this, &TfmACTSource::lblPadClick);
    connect(btnOption, &QPushButton::clicked, this, &TfmACTSource::btnOptionClick);
    for (QLineEdit* edit : {edtPadName, edtACTUserName, edtACTPassword})
        connect(edit, &QLineEdit::returnPressed, this, &TfmACTSource::nextRequested);
}

bool TfmACTSource::Exchange(bool save)
{
    // The kinds' boxes in the order of the kinds.
    QCheckBox* const kindBoxes[kRecordKindCount] = {cbAddr, cbDate, cbTask, cbNote};
    if (!save) {
        for (const RecordKind kind : kAllRecordKinds)
            kindBoxes[KindIndex(kind)]->setChecked(IsChosen(kind, AppSettings.AppFlag));
        cbACTSaveUser->setChecked(AppSettings.SaveUser);
        cbACTSavePassword->setChecked(AppSettings.SavePassword);
        edtPadName->setText(QString::fromUtf8(AppSettings.PadName));
        edtACTUserName->setText(QString::fromLocal8Bit(AppSettings.UserName));
        edtACTPassword->setText(QString::fromLocal8Bit(AppSettings.Password));
        return true;
    }

    // The kinds are taken even when a question below stops this Next.
    std::int32_t flag = 0;
    for (const RecordKind kind : kAllRecordKinds)
        if (kindBoxes[KindIndex(kind)]->isChecked())
            flag |= KindInfo(kind).flag;
    AppSettings.AppFlag = flag;

    const auto confirm = [this](const char* text, QLineEdit* edit) {
        const auto answer = seams::ShowMessage(this, QMessageBox::Question, QStringLiteral("Confirm"),
                                               QString::fromLatin1(text), QMessageBox::Ok | QMessageBox::Cancel);
        if (answer == QMessageBox::Ok)
            return true;
        edit->setFocus();
        return false;
    };
    if (edtPadName->text().isEmpty()) {
        if (!confirm(kInvalidPad, edtPadName))
            return false;
    } else if (edtACTUserName->text().isEmpty()) {
        if (!confirm(kInvalidUser, edtACTUserName))
            return false;
    }

    StoreText(AppSettings.PadName, sizeof(AppSettings.PadName), edtPadName->text(), Encoding::Utf8);
    StoreText(AppSettings.UserName, sizeof(AppSettings.UserName), edtACTUserName->text(), Encoding::Local);
    StoreText(AppSettings.Password, sizeof(AppSettings.Password), edtACTPassword->text(), Encoding::Local);
    AppSettings.SaveUser = cbACTSaveUser->isChecked();
    AppSettings.SavePassword = cbACTSavePassword->isChecked();

    emit loadStarted();
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    bool waitCursor = true;
    const auto arrowCursor = [&waitCursor] {
        if (waitCursor)
            QGuiApplication::restoreOverrideCursor();
        waitCursor = false;
    };
    std::exception_ptr failure;
    try {
        LoadOutcome outcome;
        RunWithWaitWindow(parentWidget(), [this, &outcome](WorkProgress& progress) {
            outcome = m_pSession->LoadSelectedKinds(LoadRequest::FromSettings(AppSettings), progress);
        });
        // Back to the arrow before the message: the hourglass is for the load, not for the question.
        arrowCursor();
        if (outcome.Loaded())
            return true;
        emit loadFailed();
        const QString message =
            QString::fromLatin1(kLoadFailed) + QStringLiteral("\n\n") + QString::fromStdString(outcome.failure);
        seams::ShowMessage(this, QMessageBox::Warning, QStringLiteral("Error"), message, QMessageBox::Ok);
        return false;
    } catch (const std::exception& error) {
        DEBUG_LOG(0, "Loading ACT! information failed with an exception: %s", error.what());
        failure = std::current_exception();
    } catch (...) {
        DEBUG_LOG(0, "Loading ACT! information failed with an unknown exception.");
        failure = std::current_exception();
    }
    arrowCursor();
    emit loadFailed();
    ShowBugReport(window(), QString::fromLatin1(kLoadStopped) + QStringLiteral(" ") + FailureText(failure));
    return false;
}

bool TfmACTSource::FindDefaultPad(char* buffer) const
{
    namespace fs = std::filesystem;
    buffer[0] = '\0';

    std::string documents;
    if (!platform::documentsFolder(documents))
        return false;
    const fs::path actFolder = platform::fsPath(documents) / "ACT";

    // The first database folder in listing order; "." and ".." never come from the listing.
    std::error_code ec;
    fs::path databaseName;
    for (fs::directory_iterator it(actFolder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_directory(typeError))
            continue;
        fs::path name = it->path().filename();
        if (name.native().size() >= 2 && name.native().back() != '.') {
            databaseName = std::move(name);
            break;
        }
    }
    if (databaseName.empty())
        return false;

    const fs::path databases = actFolder / databaseName / "Databases";
    for (fs::directory_iterator it(databases, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        std::string name;
        if (it->is_directory(typeError) || !platform::pathText(it->path().filename(), name) || !EndsWithPad(name))
            continue;
        std::string path;
        // A path without room in the buffer is no use to the file dialog.
        if (!platform::pathText(databases / it->path().filename(), path) || path.size() >= kPathBufferSize)
            return false;
        std::memcpy(buffer, path.c_str(), path.size() + 1);
        return true;
    }
    return false;
}

void TfmACTSource::btnPadBrowseClick()
{
    QString initialFile = edtPadName->text();
    if (initialFile.isEmpty()) {
        char buffer[kPathBufferSize];
        if (FindDefaultPad(buffer))
            initialFile = QString::fromUtf8(buffer);
    }
    const QString chosen = seams::GetOpenFileName(this, QString::fromLatin1(kPadFilter), initialFile);
    if (!chosen.isEmpty())
        edtPadName->setText(QDir::toNativeSeparators(chosen));
}

void TfmACTSource::lblPadClick()
{
    OpenHelpSection(kPadHelpSection);
}

void TfmACTSource::btnOptionClick()
{
    TfmDupOption dialog(this);
    dialog.Exchange(false);
    seams::ExecDialog(&dialog);
}
