#pragma once
// The rows of one log file for the eight-column list. Rows are cut from the file's buffer when the view
// asks for them, and shown as LogText reads their line; the model holds no text of its own. While the file is
// read its rows grow; under a find text only the rows the filter handed over are shown, in file order.
#include "logviewer/parse/LogFile.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace qv {

class LogTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit LogTableModel(QObject* parent = nullptr);

    // A new file, with none of its rows known yet.
    void SetFile(std::shared_ptr<const LogFile> file);
    void Clear();
    const std::shared_ptr<const LogFile>& File() const { return m_file; }
    // The file holds this many rows now.
    void SetAvailableRows(std::size_t rows);
    // The file row's text changed (a last line that had no line end yet is whole now).
    void RowChanged(std::size_t fileRow);

    // Shows only the rows handed to AppendShown from now on.
    void BeginFilter();
    void AppendShown(const std::vector<std::uint32_t>& rows);
    // Shows every available row again.
    void EndFilter();
    bool Filtered() const { return m_filtered; }

    std::size_t TotalRows() const { return m_available; }
    std::size_t ShownRows() const { return m_filtered ? m_shown.size() : m_available; }
    // The file row that list row row shows.
    std::size_t FileRow(int row) const;
    // The file rows shown, in order.
    std::vector<std::uint32_t> ShownFileRows() const;
    // The list rows that show file rows [first, last]: first and last list row, or first > last for none.
    std::pair<int, int> ListRows(std::size_t first, std::size_t last) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

Q_SIGNALS:
    void countsChanged();

private:
    std::shared_ptr<const LogFile> m_file;
    std::size_t m_available = 0;
    bool m_filtered = false;
    std::vector<std::uint32_t> m_shown;
};

} // namespace qv
