#include "gui/viewers/ViewerCommon.h"

#include "gui/services/HeaderBand.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cstring>

namespace viewers {

namespace {

constexpr int kWidth = 634;
constexpr int kHeight = 474;
constexpr int kHeaderHeight = 64;

// Swallows every user input that could change a check box, radio button or drop-down.
class InputBlocker : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::Shortcut:
            return true;
        default:
            return QObject::eventFilter(watched, event);
        }
    }
};

} // namespace

QString MultiLineText(const QString& text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return lines;
}

TfmACTDetail::TfmACTDetail(QWidget* owner, const char* objectName, const char* caption, const char* headerText)
    : QDialog(owner), m_inputBlocker(new InputBlocker(this))
{
    setObjectName(QString::fromLatin1(objectName));
    setWindowTitle(QString::fromLatin1(caption));
    setFixedSize(kWidth, kHeight);
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // The band and the button share one white strip.
    auto* top = new QWidget(this);
    top->setObjectName(QStringLiteral("pnlTop"));
    top->setAutoFillBackground(true);
    QPalette white = top->palette();
    white.setColor(QPalette::Window, Qt::white);
    top->setPalette(white);
    auto* band = new HeaderBand(kHeaderHeight, "lblHeader", top);
    QFont bold = band->stepLabel()->font();
    bold.setBold(true);
    band->stepLabel()->setFont(bold);
    band->stepLabel()->setText(QString::fromLatin1(headerText));
    btnClose = new QPushButton(QStringLiteral("&Close"), top);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setMinimumWidth(90);
    btnClose->setDefault(true);
    connect(btnClose, &QPushButton::clicked, this, &TfmACTDetail::btnCloseClick);
    auto* topRow = new QHBoxLayout(top);
    topRow->setContentsMargins(0, 0, 20, 0);
    topRow->setSpacing(0);
    topRow->addWidget(band, 1);
    topRow->addWidget(btnClose, 0, Qt::AlignVCenter);
    layout->addWidget(top);

    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    layout->addWidget(rule);

    m_body = new QVBoxLayout;
    m_body->setContentsMargins(12, 10, 12, 12);
    m_body->setSpacing(8);
    layout->addLayout(m_body, 1);

    QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen)
        move(screen->availableGeometry().center() - QPoint(kWidth / 2, kHeight / 2));
}

void TfmACTDetail::btnCloseClick()
{
    close();
}

void TfmACTDetail::MakeReadOnly(QWidget* control)
{
    control->setFocusPolicy(Qt::NoFocus);
    control->installEventFilter(m_inputBlocker);
}

QLineEdit* TfmACTDetail::MakeEdit(const char* name, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setReadOnly(true);
    return edit;
}

QPlainTextEdit* TfmACTDetail::MakeMemo(const char* name, QWidget* parent)
{
    auto* memo = new QPlainTextEdit(parent);
    memo->setObjectName(QString::fromLatin1(name));
    memo->setReadOnly(true);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return memo;
}

QCheckBox* TfmACTDetail::MakeCheckBox(const char* name, const char* caption, QWidget* parent)
{
    auto* box = new QCheckBox(QString::fromLatin1(caption), parent);
    box->setObjectName(QString::fromLatin1(name));
    MakeReadOnly(box);
    return box;
}

QRadioButton* TfmACTDetail::MakeRadioButton(const char* name, const char* caption, QWidget* parent)
{
    auto* button = new QRadioButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    MakeReadOnly(button);
    return button;
}

QComboBox* TfmACTDetail::MakeDropDown(const char* name, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(false);
    MakeReadOnly(box);
    return box;
}

QTreeWidget* TfmACTDetail::MakeList(const char* name, std::initializer_list<ListColumn> columns, QWidget* parent)
{
    auto* list = new QTreeWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list->setColumnCount(static_cast<int>(columns.size()));
    QStringList captions;
    for (const ListColumn& column : columns)
        captions << QString::fromLatin1(column.caption);
    list->setHeaderLabels(captions);
    list->header()->setStretchLastSection(false);
    list->header()->setSectionsMovable(false);
    int index = 0;
    for (const ListColumn& column : columns)
        list->header()->resizeSection(index++, column.width);
    // The selection stays as visible as with the focus.
    QPalette palette = list->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    list->setPalette(palette);
    return list;
}

QTabWidget* TfmACTDetail::MakePageControl(const char* name, QWidget* parent)
{
    auto* pages = new QTabWidget(parent);
    pages->setObjectName(QString::fromLatin1(name));
    pages->setUsesScrollButtons(false);
    return pages;
}

QWidget* TfmACTDetail::AddPage(QTabWidget* pages, const char* name, const char* caption)
{
    auto* page = new QWidget(pages);
    page->setObjectName(QString::fromLatin1(name));
    pages->addTab(page, QString::fromLatin1(caption));
    return page;
}

QLineEdit* TfmACTDetail::AddEditRow(QGridLayout* grid, int row, int column, const char* caption, const char* name,
                                    QWidget* parent, int span)
{
    auto* label = new QLabel(QString::fromLatin1(caption), parent);
    QLineEdit* edit = MakeEdit(name, parent);
    grid->addWidget(label, row, column);
    grid->addWidget(edit, row, column + 1, 1, span);
    return edit;
}

void FillList(QTreeWidget* list, const ListRows& rows)
{
    list->setUpdatesEnabled(false);
    list->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(rows.size()));
    for (const ListRow& row : rows) {
        auto* item = new QTreeWidgetItem(QStringList{row.label, row.content});
        // The column may be narrower than a long text.
        item->setToolTip(1, row.content);
        items.append(item);
    }
    list->addTopLevelItems(items);
    list->setUpdatesEnabled(true);
}

void SetEditText(QLineEdit* edit, const QString& text)
{
    edit->setText(text);
    edit->setCursorPosition(0);
}

void SetPageVisible(QTabWidget* pages, QWidget* page, bool visible)
{
    const int index = pages->indexOf(page);
    if (index >= 0)
        pages->setTabVisible(index, visible);
}

} // namespace viewers
