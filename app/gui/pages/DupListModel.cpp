#include "gui/pages/DupListModel.h"

#include <algorithm>

DupListModel::DupListModel(const Column* columns, int columnCount, bool captionEditable, QObject* parent)
    : QAbstractTableModel(parent), m_columns(columns), m_columnCount(columnCount), m_captionEditable(captionEditable)
{
}

void DupListModel::SetRecords(std::vector<void*> records, bool ticked)
{
    beginResetModel();
    m_records = std::move(records);
    m_checks.assign(m_records.size(), ticked ? 1 : 0);
    m_editedCaptions.clear();
    endResetModel();
}

void DupListModel::Clear()
{
    SetRecords({}, false);
}

void DupListModel::SetAllChecked(bool ticked)
{
    if (m_checks.empty())
        return;
    std::fill(m_checks.begin(), m_checks.end(), ticked ? 1 : 0);
    emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::CheckStateRole});
}

bool DupListModel::SetChecked(int row, bool ticked)
{
    if (row < 0 || row >= rowCount())
        return false;
    m_checks[static_cast<std::size_t>(row)] = ticked ? 1 : 0;
    const QModelIndex cell = index(row, 0);
    emit dataChanged(cell, cell, {Qt::CheckStateRole});
    return true;
}

void* DupListModel::RecordAt(int row) const
{
    if (row < 0 || row >= rowCount())
        return nullptr;
    return m_records[static_cast<std::size_t>(row)];
}

int DupListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_records.size());
}

int DupListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_columnCount;
}

QVariant DupListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int row = index.row();
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: {
        if (column == 0 && m_captionEditable) {
            const auto edited = m_editedCaptions.find(row);
            if (edited != m_editedCaptions.end())
                return edited->second;
        }
        const void* record = m_records[static_cast<std::size_t>(row)];
        return record ? m_columns[column].text(record) : QString();
    }
    case Qt::CheckStateRole:
        if (column == 0)
            return IsChecked(row) ? Qt::Checked : Qt::Unchecked;
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
    if (role == Qt::EditRole && m_captionEditable) {
        m_editedCaptions[index.row()] = value.toString();
        emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
        return true;
    }
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
    if (index.column() == 0) {
        result |= Qt::ItemIsUserCheckable;
        if (m_captionEditable)
            result |= Qt::ItemIsEditable;
    }
    return result;
}
