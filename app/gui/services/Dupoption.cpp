#include "gui/services/Dupoption.h"

#include "gui/services/HeaderBand.h"

#include "core/Apputil.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr int kClientWidth = 534;
constexpr int kClientHeight = 498;
constexpr int kHeaderHeight = 72;

struct TabInfo
{
    const char* name;
    const char* caption;
    bool changeable;
};

constexpr TabInfo kTabs[] = {
    {"tAddr", "Contacts", true},
    {"tDate", "Calendar", false},
    {"tTask", "Task", false},
};

struct BoxInfo
{
    int tab;
    const char* name;
    const char* caption;
    int column;
    bool AppSettingsData::*flag;
};

// In keyboard order per tab.
constexpr BoxInfo kBoxes[] = {
    {0, "cbAddrDisplayName", "Display Name", 1, &AppSettingsData::AddrDisplayName},
    {0, "cbAddrEmail", "Email", 1, &AppSettingsData::AddrEmail},
    {0, "cbAddrPhone", "Phone", 1, &AppSettingsData::AddrPhone},
    {0, "cbAddrAddr", "Address", 1, &AppSettingsData::AddrAddress},
    {0, "cbAddrCompany", "Company Name", 2, &AppSettingsData::AddrCompanyName},
    {0, "cbAddrTitle", "Job Title", 2, &AppSettingsData::AddrTitle},
    {0, "cbAddrIM", "Instant Messaging", 2, &AppSettingsData::AddrIM},
    {0, "cbAddrWebsite", "Web Site", 2, &AppSettingsData::AddrWebSite},
    {0, "cbAddrDate", "Date", 3, nullptr},
    {0, "cbAddrNote", "Notes", 3, &AppSettingsData::AddrNote},
    {1, "cbDateSubject", "Subject", 1, &AppSettingsData::DateSubject},
    {1, "cbDateStartTime", "Start Time", 1, &AppSettingsData::DateStartTime},
    {1, "cbDateEndTime", "End Time", 1, &AppSettingsData::DateEndTime},
    {1, "cbDateAllDayEvent", "All Day Event", 1, &AppSettingsData::DateAllDayEvent},
    {1, "cbDateLocation", "Location", 2, &AppSettingsData::DateLocation},
    {1, "cbDateNote", "Notes", 2, &AppSettingsData::DateNote},
    {2, "cbTaskSubject", "Subject", 1, &AppSettingsData::TaskSubject},
    {2, "cbTaskImportance", "Priority", 1, &AppSettingsData::TaskImportance},
    {2, "cbTaskDueDate", "Due Date", 1, &AppSettingsData::TaskDueDate},
    {2, "cbTaskNote", "Notes", 1, &AppSettingsData::TaskNote},
};

constexpr int kColumns = 3;

struct MatchBoxInfo
{
    const char* name;
    const char* caption;
    const char* tip;
    bool AppSettingsData::*flag;
};

// "Also count as equal", below the contact boxes. The mnemonics stay clear of "&OK" and "&Cancel".
constexpr MatchBoxInfo kMatchBoxes[] = {
    {"cbMatchBlanks", "Extra &blanks (all kinds)",
     "Leading and trailing spaces, tabs and line breaks are ignored and every run of them inside a text "
     "counts as one space, in every compared field of contacts, calendar, tasks and notes.",
     &AppSettingsData::MatchBlanks},
    {"cbMatchPunct", "&Punctuation in names",
     "The characters . , ' and - are ignored in Display Name, first, middle and last name and Company Name: "
     "\"David Q. Scott\" equals \"David Q Scott\".",
     &AppSettingsData::MatchPunct},
    {"cbMatchPhone", "Phone &digits only",
     "Phone numbers compare by their digits only: \"(505) 555-6363\" equals \"505.555.6363\".",
     &AppSettingsData::MatchPhone},
    {"cbMatchEmail", "&E-mail in any case",
     "E-mail addresses compare without regard to letter case, even when the review step's case box is ticked.",
     &AppSettingsData::MatchEmail},
};

QLabel* MakeText(const char* text, QWidget* parent)
{
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

TfmDupOption::TfmDupOption(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("fmDupOption"));
    setWindowTitle(QStringLiteral("Set Velloran Options"));
    setFixedSize(kClientWidth, kClientHeight);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(new HeaderBand(kHeaderHeight, nullptr, this));

    auto* body = new QVBoxLayout;
    body->setContentsMargins(20, 14, 20, 14);
    body->setSpacing(8);
    body->addWidget(
        MakeText("You may customize the duplicate criteria here, Velloran will check the data fields below:", this));
    body->addWidget(MakeText(
        "If two records have the same content in the selected fields, they will be treated as Duplicates.", this));
    body->addSpacing(6);

    pMain = new QTabWidget(this);
    pMain->setObjectName(QStringLiteral("pMain"));
    QGridLayout* grids[std::size(kTabs)];
    for (std::size_t i = 0; i < std::size(kTabs); ++i) {
        auto* tab = new QWidget(pMain);
        tab->setObjectName(QString::fromLatin1(kTabs[i].name));
        grids[i] = new QGridLayout(tab);
        grids[i]->setContentsMargins(24, 20, 24, 20);
        grids[i]->setHorizontalSpacing(32);
        grids[i]->setVerticalSpacing(14);
        for (int column = 0; column < kColumns; ++column)
            grids[i]->setColumnStretch(column, 1);
        pMain->addTab(tab, QString::fromLatin1(kTabs[i].caption));
    }

    int rows[std::size(kTabs)][kColumns] = {};
    for (const BoxInfo& info : kBoxes) {
        QWidget* tab = pMain->widget(info.tab);
        auto* box = new QCheckBox(QString::fromLatin1(info.caption), tab);
        box->setObjectName(QString::fromLatin1(info.name));
        // A tab whose rules are fixed stays selectable, so its rules can be seen; only its boxes are off.
        box->setEnabled(kTabs[info.tab].changeable);
        int& row = rows[info.tab][info.column - 1];
        grids[info.tab]->addWidget(box, row++, info.column - 1, Qt::AlignTop);
        if (info.flag)
            m_flagBoxes.push_back({box, info.flag});
    }

    // The options change how the ticked fields compare; they tick no field themselves.
    auto* gbMatch = new QGroupBox(QStringLiteral("Also count as equal"), pMain->widget(0));
    gbMatch->setObjectName(QStringLiteral("gbMatch"));
    auto* matchGrid = new QGridLayout(gbMatch);
    matchGrid->setHorizontalSpacing(32);
    matchGrid->setColumnStretch(0, 1);
    matchGrid->setColumnStretch(1, 1);
    for (std::size_t i = 0; i < std::size(kMatchBoxes); ++i) {
        const MatchBoxInfo& info = kMatchBoxes[i];
        auto* box = new QCheckBox(QString::fromLatin1(info.caption), gbMatch);
        box->setObjectName(QString::fromLatin1(info.name));
        box->setToolTip(QString::fromLatin1(info.tip));
        matchGrid->addWidget(box, static_cast<int>(i / 2), static_cast<int>(i % 2));
        m_flagBoxes.push_back({box, info.flag});
    }
    grids[0]->addWidget(gbMatch, grids[0]->rowCount(), 0, 1, kColumns);

    for (auto* grid : grids)
        grid->setRowStretch(grid->rowCount(), 1);
    body->addWidget(pMain, 1);
    layout->addLayout(body, 1);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(20, 0, 20, 16);
    buttons->addStretch(1);
    btnOK = new QPushButton(QStringLiteral("&OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnOK->setMinimumWidth(90);
    btnCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setMinimumWidth(90);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);

    connect(btnOK, &QPushButton::clicked, this, &TfmDupOption::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(kClientWidth / 2, kClientHeight / 2));
}

bool TfmDupOption::Exchange(bool save)
{
    for (const FlagBox& item : m_flagBoxes) {
        if (save)
            AppSettings.*item.flag = item.box->isChecked();
        else
            item.box->setChecked(AppSettings.*item.flag);
    }
    return true;
}

void TfmDupOption::btnOKClick()
{
    Exchange(true);
    accept();
}
