#include "gui/pages/ComparePane.h"

#include "gui/pages/CompareFields.h"
#include "gui/viewers/ViewerCommon.h"

#include "core/Apputil.h"
#include "core/DupRules.h"

#include <QAbstractTableModel>
#include <QBrush>
#include <QFont>
#include <QHeaderView>
#include <QLabel>
#include <QStringList>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>
#include <vector>

namespace compare {

namespace {

const QString kRuleMark = QStringLiteral("\u25CF");
const QString kDiffMark = QStringLiteral("\u2260");
const QString kNearMark = QStringLiteral("\u2248");
const QColor kDiffTint(255, 236, 179);
const QColor kRuleColour(0, 70, 160);
constexpr int kMarkWidth = 24;
constexpr int kFieldWidth = 170;

// No column is wide enough for more; laying out and eliding a note of 8,000 characters on every paint
// would cost more than the rest of the pane.
constexpr qsizetype kMaxLine = 1000;

// Line breaks drawn as blanks, so that every row stays one line high.
QString OneLine(const QString& text)
{
    QString line = text.left(kMaxLine);
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return line;
}

// Equal when only ASCII letters differ in case, as the rules fold them when CaseSensitive is off.
bool EqualFoldingAscii(const QString& a, const QString& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t ca = a.at(i).unicode();
        char16_t cb = b.at(i).unicode();
        if (ca >= u'a' && ca <= u'z')
            ca -= u'a' - u'A';
        if (cb >= u'a' && cb <= u'z')
            cb -= u'a' - u'A';
        if (ca != cb)
            return false;
    }
    return true;
}

// Every field the kind's rule groups compare under the settings.
std::vector<const RuleField*> ActiveRuleFields(int kind, const AppSettingsData& settings)
{
    std::vector<const RuleField*> fields;
    const RuleTable* rules = RulesOfKind(kind);
    if (!rules)
        return fields;
    const BoundRules bound = BindRules(*rules, settings);
    for (std::size_t g = 0; g < rules->count; ++g) {
        if (!bound.GroupOn(g))
            continue;
        const RuleGroup& group = rules->groups[g];
        for (std::size_t i = 0; i < group.count; ++i)
            fields.push_back(&group.fields[i]);
    }
    return fields;
}

// The options that make a row's compared fields equal where they differ as stored; 0 when the row's
// fields are equal without them or differ even with them. Named are the options a field cannot do
// without, or, where any one of several would do, all of them.
unsigned OptionsMakingEqual(const std::vector<const RuleField*>& ruled, const CompareField& field, const void* record,
                            const void* kept, const AppSettingsData& settings)
{
    const unsigned options = NearMatchOptions(settings);
    unsigned used = 0;
    for (const std::size_t offset : field.offsets) {
        const auto rule =
            std::find_if(ruled.begin(), ruled.end(), [&](const RuleField* f) { return f->offset == offset; });
        if (rule == ruled.end())
            continue;
        if (!RuleFieldEqual(**rule, record, kept, options, settings))
            return 0;
        if (RuleFieldEqual(**rule, record, kept, 0, settings))
            continue;
        const unsigned reaching = options & (*rule)->reachedBy;
        unsigned needed = 0;
        for (unsigned option = 1; option <= reaching; option <<= 1) {
            if ((reaching & option) && !RuleFieldEqual(**rule, record, kept, options & ~option, settings))
                needed |= option;
        }
        used |= needed ? needed : reaching;
    }
    return used;
}

// "Equal when ...", naming the options in the order they apply.
QString NearTip(unsigned options)
{
    static const std::pair<unsigned, const char*> kPhrases[] = {
        {NEAR_PUNCT, "punctuation in names is ignored"},
        {NEAR_BLANKS, "extra blanks are ignored"},
        {NEAR_PHONE, "phone numbers compare by their digits"},
        {NEAR_EMAIL, "e-mail addresses ignore letter case"},
    };
    QStringList phrases;
    for (const auto& [option, phrase] : kPhrases) {
        if (options & option)
            phrases << QString::fromLatin1(phrase);
    }
    const QString last = phrases.takeLast();
    const QString list = phrases.isEmpty() ? last : phrases.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
    return QStringLiteral("Equal when ") + list;
}

struct Row
{
    QString label;
    QString record;
    QString kept;
    // The texts as drawn, on one line.
    QString recordLine;
    QString keptLine;
    bool ruled = false;
    bool differs = false;
    // Differs, but the rules, ignoring case, take the two for equal.
    bool caseOnly = false;
    // Differs, but equal through these "Also count as equal" options (NearMatch bits); 0 when not.
    unsigned nearOptions = 0;
};

} // namespace

class CompareModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    void SetRows(std::vector<Row> rows)
    {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
    }

    int columnCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : ComparePane::kColumnCount;
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= static_cast<int>(m_rows.size()))
            return QVariant();
        const Row& row = m_rows[static_cast<std::size_t>(index.row())];
        const int column = index.column();
        switch (role) {
        case Qt::DisplayRole:
            switch (column) {
            case ComparePane::kRuleColumn:
                return row.ruled ? kRuleMark : QString();
            case ComparePane::kFieldColumn:
                return row.label;
            case ComparePane::kRecordColumn:
                return row.recordLine;
            case ComparePane::kDiffColumn:
                if (row.nearOptions)
                    return kNearMark;
                return row.differs ? kDiffMark : QString();
            case ComparePane::kKeptColumn:
                return row.keptLine;
            }
            return QVariant();
        case Qt::ToolTipRole:
            return ToolTip(row, column);
        case Qt::FontRole:
            if (row.differs) {
                QFont bold;
                bold.setBold(true);
                return bold;
            }
            return QVariant();
        case Qt::BackgroundRole:
            return row.differs ? QVariant(QBrush(kDiffTint)) : QVariant();
        case Qt::ForegroundRole:
            return column == ComparePane::kRuleColumn ? QVariant(QBrush(kRuleColour)) : QVariant();
        case Qt::TextAlignmentRole:
            if (column == ComparePane::kRuleColumn || column == ComparePane::kDiffColumn)
                return QVariant(Qt::AlignCenter);
            return QVariant();
        }
        return QVariant();
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal)
            return QVariant();
        if (role == Qt::DisplayRole) {
            switch (section) {
            case ComparePane::kRuleColumn:
                return kRuleMark;
            case ComparePane::kFieldColumn:
                return QStringLiteral("Field");
            case ComparePane::kRecordColumn:
                return QStringLiteral("This record");
            case ComparePane::kDiffColumn:
                return kDiffMark;
            case ComparePane::kKeptColumn:
                return QStringLiteral("Record that stays");
            }
        }
        if (role == Qt::ToolTipRole) {
            if (section == ComparePane::kRuleColumn)
                return RuleTip();
            if (section == ComparePane::kDiffColumn)
                return DiffTip();
        }
        return QVariant();
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
    }

private:
    static QString RuleTip() { return QStringLiteral("Compared by the duplicate rules"); }
    static QString DiffTip() { return QStringLiteral("The values differ"); }

    static QVariant ToolTip(const Row& row, int column)
    {
        switch (column) {
        case ComparePane::kRuleColumn:
            return row.ruled ? QVariant(RuleTip()) : QVariant();
        case ComparePane::kDiffColumn:
            if (row.nearOptions)
                return NearTip(row.nearOptions);
            if (row.caseOnly)
                return QStringLiteral("The values differ only in letter case, which the duplicate rules ignore");
            return row.differs ? QVariant(DiffTip()) : QVariant();
        case ComparePane::kFieldColumn: {
            QStringList notes;
            if (row.ruled)
                notes << RuleTip();
            if (row.nearOptions)
                notes << NearTip(row.nearOptions);
            else if (row.differs)
                notes << DiffTip();
            return notes.isEmpty() ? QVariant()
                                   : QVariant(row.label + QStringLiteral(": ") + notes.join(QStringLiteral("; ")));
        }
        case ComparePane::kRecordColumn:
            return row.record.isEmpty() ? QVariant() : QVariant(viewers::MultiLineText(row.record));
        case ComparePane::kKeptColumn:
            return row.kept.isEmpty() ? QVariant() : QVariant(viewers::MultiLineText(row.kept));
        }
        return QVariant();
    }

    std::vector<Row> m_rows;
};

} // namespace compare

using namespace compare;

ComparePane::ComparePane(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("pCompare"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    m_model = new CompareModel(this);
    lvCompare = new QTreeView(this);
    lvCompare->setObjectName(QStringLiteral("lvCompare"));
    lvCompare->setRootIsDecorated(false);
    lvCompare->setItemsExpandable(false);
    // Every row is one line: the view need not measure each one when it is refilled.
    lvCompare->setUniformRowHeights(true);
    lvCompare->setSelectionMode(QAbstractItemView::SingleSelection);
    lvCompare->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvCompare->setAllColumnsShowFocus(true);
    lvCompare->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvCompare->setTextElideMode(Qt::ElideRight);
    // Tab leaves the pane; inside it the arrow keys and Page Up/Down scroll.
    lvCompare->setFocusPolicy(Qt::StrongFocus);
    lvCompare->setTabKeyNavigation(false);
    lvCompare->setModel(m_model);

    QHeaderView* header = lvCompare->header();
    header->setSectionsMovable(false);
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(kMarkWidth);
    header->setSectionResizeMode(kRuleColumn, QHeaderView::Fixed);
    header->setSectionResizeMode(kFieldColumn, QHeaderView::Interactive);
    header->setSectionResizeMode(kRecordColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(kDiffColumn, QHeaderView::Fixed);
    header->setSectionResizeMode(kKeptColumn, QHeaderView::Stretch);
    header->resizeSection(kRuleColumn, kMarkWidth);
    header->resizeSection(kFieldColumn, kFieldWidth);
    header->resizeSection(kDiffColumn, kMarkWidth);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    layout->addWidget(lvCompare, 1);

    // The marks explained where they are seen, not only in tooltips.
    lblCompareLegend =
        new QLabel(QStringLiteral("%1 compared by the duplicate rules      %2 the values differ (bold, tinted)      "
                                  "%3 equal through an \"Also count as equal\" option")
                       .arg(kRuleMark, kDiffMark, kNearMark),
                   this);
    lblCompareLegend->setObjectName(QStringLiteral("lblCompareLegend"));
    lblCompareLegend->setContentsMargins(4, 0, 4, 0);
    layout->addWidget(lblCompareLegend);

    // Without a record no setting is read.
    ShowRecords(0, nullptr, nullptr, AppSettingsData{});
}

void ComparePane::ShowRecords(int kind, const void* record, const void* kept, const AppSettingsData& settings)
{
    if (!record || kept == record)
        kept = nullptr;
    std::vector<Row> rows;
    const CompareFieldTable* fields = FieldsOfKind(kind);
    if (record && fields) {
        const std::vector<const RuleField*> ruled = ActiveRuleFields(kind, settings);
        rows.reserve(fields->count);
        for (std::size_t i = 0; i < fields->count; ++i) {
            const CompareField& field = fields->fields[i];
            Row row;
            row.record = field.text(record);
            if (kept)
                row.kept = field.text(kept);
            row.ruled = std::any_of(field.offsets.begin(), field.offsets.end(), [&](std::size_t offset) {
                return std::any_of(ruled.begin(), ruled.end(), [&](const RuleField* f) { return f->offset == offset; });
            });
            if (row.record.isEmpty() && row.kept.isEmpty() && !row.ruled)
                continue;
            row.label = QString::fromLatin1(field.label);
            row.recordLine = OneLine(row.record);
            row.keptLine = OneLine(row.kept);
            row.differs = kept && row.record != row.kept;
            row.caseOnly =
                row.differs && row.ruled && !settings.CaseSensitive && EqualFoldingAscii(row.record, row.kept);
            if (row.differs && row.ruled)
                row.nearOptions = OptionsMakingEqual(ruled, field, record, kept, settings);
            rows.push_back(std::move(row));
        }
    }
    m_model->SetRows(std::move(rows));

    const bool twoRecords = kept != nullptr;
    if (lvCompare->isColumnHidden(kKeptColumn) == twoRecords) {
        lvCompare->setColumnHidden(kDiffColumn, !twoRecords);
        lvCompare->setColumnHidden(kKeptColumn, !twoRecords);
    }
}
