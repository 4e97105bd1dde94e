#include "gui/pages/DupListModel.h"

#include <algorithm>

namespace {

char FoldAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// `needle` is folded already.
bool ContainsFolded(std::string_view haystack, const QByteArray& needle)
{
    const std::size_t n = static_cast<std::size_t>(needle.size());
    if (n > haystack.size())
        return false;
    const char first = needle[0];
    const std::size_t last = haystack.size() - n;
    for (std::size_t i = 0; i <= last; ++i) {
        if (FoldAscii(haystack[i]) != first)
            continue;
        std::size_t k = 1;
        while (k < n && FoldAscii(haystack[i + k]) == needle[static_cast<qsizetype>(k)])
            ++k;
        if (k == n)
            return true;
    }
    return false;
}

} // namespace

DupListModel::DupListModel(const Column* columns, int columnCount, QObject* parent)
    : QAbstractTableModel(parent), m_columns(columns), m_columnCount(columnCount)
{
}

void DupListModel::SetRecords(std::vector<void*> records, bool ticked)
{
    beginResetModel();
    m_records = std::move(records);
    m_checks.assign(m_records.size(), ticked ? 1 : 0);
    m_indexOf.clear();
    m_filtered = false;
    m_rows.clear();
    endResetModel();
    if (!m_filter.isEmpty()) {
        const QString filter = m_filter;
        m_filter.clear();
        SetFilter(filter);
    }
}

void DupListModel::Clear()
{
    SetRecords({}, false);
}

void DupListModel::SetAllChecked(bool ticked)
{
    if (rowCount() == 0)
        return;
    if (m_filtered) {
        for (std::uint32_t index : m_rows)
            m_checks[index] = ticked ? 1 : 0;
    } else {
        std::fill(m_checks.begin(), m_checks.end(), ticked ? 1 : 0);
    }
    emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::CheckStateRole});
}

bool DupListModel::SetChecked(int row, bool ticked)
{
    if (row < 0 || row >= rowCount())
        return false;
    m_checks[RecordIndex(row)] = ticked ? 1 : 0;
    const QModelIndex cell = index(row, 0);
    emit dataChanged(cell, cell, {Qt::CheckStateRole});
    return true;
}

void DupListModel::ReplaceRecord(int row, void* record, bool ticked)
{
    if (row < 0 || row >= rowCount())
        return;
    const std::size_t at = RecordIndex(row);
    if (!m_indexOf.empty()) {
        m_indexOf.erase(m_records[at]);
        m_indexOf[record] = static_cast<std::uint32_t>(at);
    }
    m_records[at] = record;
    m_checks[at] = ticked ? 1 : 0;
    emit dataChanged(index(row, 0), index(row, m_columnCount - 1));
}

void DupListModel::SetFilter(const QString& text)
{
    if (text == m_filter)
        return;
    const bool narrowing = m_filtered && !m_filter.isEmpty() && text.startsWith(m_filter);
    m_filter = text;
    beginResetModel();
    if (text.isEmpty()) {
        m_filtered = false;
        m_rows.clear();
    } else {
        QByteArray needle = text.toLocal8Bit();
        for (char& c : needle)
            c = FoldAscii(c);
        std::vector<std::uint32_t> rows;
        if (narrowing) {
            for (std::uint32_t index : m_rows)
                if (Matches(m_records[index], needle))
                    rows.push_back(index);
        } else {
            for (std::size_t index = 0; index < m_records.size(); ++index)
                if (Matches(m_records[index], needle))
                    rows.push_back(static_cast<std::uint32_t>(index));
        }
        m_rows = std::move(rows);
        m_filtered = true;
    }
    endResetModel();
}

bool DupListModel::Matches(const void* record, const QByteArray& needle) const
{
    if (!record)
        return false;
    char scratch[kScratchSize];
    for (int c = 0; c < m_columnCount; ++c)
        if (ContainsFolded(m_columns[c].bytes(record, scratch), needle))
            return true;
    return false;
}

void* DupListModel::RecordAt(int row) const
{
    if (row < 0 || row >= rowCount())
        return nullptr;
    return m_records[RecordIndex(row)];
}

int DupListModel::IndexOf(const void* record) const
{
    if (m_indexOf.empty()) {
        m_indexOf.reserve(m_records.size());
        for (std::size_t i = 0; i < m_records.size(); ++i)
            m_indexOf.emplace(m_records[i], static_cast<std::uint32_t>(i));
    }
    const auto at = m_indexOf.find(record);
    return at == m_indexOf.end() ? -1 : static_cast<int>(at->second);
}

int DupListModel::RowOf(const void* record) const
{
    return RowOfIndex(IndexOf(record));
}

int DupListModel::RowOfIndex(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_records.size())
        return -1;
    if (!m_filtered)
        return index;
    const auto row = std::lower_bound(m_rows.begin(), m_rows.end(), static_cast<std::uint32_t>(index));
    return row != m_rows.end() && *row == static_cast<std::uint32_t>(index) ? static_cast<int>(row - m_rows.begin())
                                                                            : -1;
}

bool DupListModel::SetRecordChecked(const void* record, bool ticked)
{
    const int index = IndexOf(record);
    if (index < 0)
        return false;
    m_checks[static_cast<std::size_t>(index)] = ticked ? 1 : 0;
    const int row = RowOf(record);
    if (row >= 0) {
        const QModelIndex cell = this->index(row, 0);
        emit dataChanged(cell, cell, {Qt::CheckStateRole});
    }
    return true;
}

int DupListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return static_cast<int>(m_filtered ? m_rows.size() : m_records.size());
}

int DupListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_columnCount;
}

QVariant DupListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const std::size_t at = RecordIndex(index.row());
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole: {
        const void* record = m_records[at];
        return record ? m_columns[column].text(record) : QString();
    }
    case Qt::CheckStateRole:
        if (column == 0)
            return m_checks[at] ? Qt::Checked : Qt::Unchecked;
        return {};
    default:
        return {};
    }
}

bool DupListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) || index.column() != 0)
        return false;
    if (role == Qt::CheckStateRole)
        return SetChecked(index.row(), value.toInt() == Qt::Checked);
    return false;
}

QVariant DupListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columnCount)
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromLatin1(m_columns[section].caption);
    return {};
}

Qt::ItemFlags DupListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0)
        result |= Qt::ItemIsUserCheckable;
    return result;
}
