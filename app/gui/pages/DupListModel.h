#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <cstdint>
#include <unordered_map>
#include <vector>

// The items of one record list of the review page: a record pointer per row, its tick kept beside it.
// The records belong to the data utilities; the model only points at them and reads their fields when
// a row is drawn, so filling it costs one pointer per record whatever the record's size.
class DupListModel : public QAbstractTableModel
{
public:
    struct Column
    {
        const char* caption;
        int width;
        QString (*text)(const void* record);
    };

    // `captionEditable`: the first column can be edited in place; the edit changes what the row shows,
    // never the record, and is gone with the next fill.
    DupListModel(const Column* columns, int columnCount, bool captionEditable, QObject* parent = nullptr);

    // Replaces every row: one per record, all ticked or all unticked.
    void SetRecords(std::vector<void*> records, bool ticked);
    void Clear();
    void SetAllChecked(bool ticked);
    bool SetChecked(int row, bool ticked);

    bool IsChecked(int row) const { return m_checks[static_cast<std::size_t>(row)] != 0; }
    void* RecordAt(int row) const;
    int RecordCount() const { return static_cast<int>(m_records.size()); }
    int ColumnWidth(int column) const { return m_columns[column].width; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    const Column* m_columns;
    int m_columnCount;
    bool m_captionEditable;
    std::vector<void*> m_records;
    std::vector<std::uint8_t> m_checks;
    std::unordered_map<int, QString> m_editedCaptions;
};
