#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QString>

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

// The items of one record list of the review page: a record pointer per row, its tick kept beside it.
// The records belong to the data utilities; the model only points at them and reads their fields when
// a row is drawn, so filling it costs one pointer per record whatever the record's size.
//
// A filter can narrow the rows shown to those whose columns contain a text; the records it hides keep
// their ticks. Rows are what the view shows; "records" are all of them, shown or not.
class DupListModel : public QAbstractTableModel
{
public:
    // Room that Column::bytes may use for a text it has to build.
    static constexpr std::size_t kScratchSize = 64;

    struct Column
    {
        const char* caption;
        int width;
        QString (*text)(const void* record);
        // The same text as bytes of the local encoding, for the filter: a field's own bytes, or a text
        // built in `scratch`.
        std::string_view (*bytes)(const void* record, char* scratch);
    };

    // Read-only: only the ticks change.
    DupListModel(const Column* columns, int columnCount, QObject* parent = nullptr);

    // Replaces every record: all ticked or all unticked. The filter stays and applies to them.
    void SetRecords(std::vector<void*> records, bool ticked);
    void Clear();
    // Ticks or unticks every row shown.
    void SetAllChecked(bool ticked);
    bool SetChecked(int row, bool ticked);
    // Ticks or unticks a record, shown or not; false when it is not listed.
    bool SetRecordChecked(const void* record, bool ticked);
    // Puts another record in the row, ticked or not.
    void ReplaceRecord(int row, void* record, bool ticked);

    // Shows only the records whose columns contain `text`, ASCII letters in any case; an empty text shows
    // all. A text that extends the last one only looks among the rows it left.
    void SetFilter(const QString& text);
    const QString& Filter() const { return m_filter; }

    bool IsChecked(int row) const { return m_checks[RecordIndex(row)] != 0; }
    void* RecordAt(int row) const;
    // The row that shows the record; -1 when it is not listed or the filter hides it.
    int RowOf(const void* record) const;
    // Between rows and the records' own places in the list (which a filter does not change).
    int IndexAt(int row) const { return row >= 0 && row < rowCount() ? static_cast<int>(RecordIndex(row)) : -1; }
    int RowOfIndex(int index) const;

    int RecordCount() const { return static_cast<int>(m_records.size()); }
    void* Record(int index) const { return m_records[static_cast<std::size_t>(index)]; }
    bool IsRecordChecked(int index) const { return m_checks[static_cast<std::size_t>(index)] != 0; }
    int ColumnWidth(int column) const { return m_columns[column].width; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    std::size_t RecordIndex(int row) const
    {
        return m_filtered ? m_rows[static_cast<std::size_t>(row)] : static_cast<std::size_t>(row);
    }
    bool Matches(const void* record, const QByteArray& needle) const;
    // -1 when the record is not listed.
    int IndexOf(const void* record) const;

    const Column* m_columns;
    int m_columnCount;
    std::vector<void*> m_records;
    std::vector<std::uint8_t> m_checks;
    QString m_filter;
    bool m_filtered = false;
    std::vector<std::uint32_t> m_rows; // the record indexes shown, ascending, while filtered
    // Record -> index, made when first asked for and kept until the records change.
    mutable std::unordered_map<const void*, std::uint32_t> m_indexOf;
};
