// The main window's list of reminders: one line a reminder, worked out from the list as the view draws it, so
// that a long list costs no stored text and a change costs only the lines it moves.

#pragma once

#include "data/reminder.h"

#include <QAbstractListModel>
#include <QBrush>
#include <QListView>

#include <cstdint>
#include <vector>

namespace chimewell {

class TRmDataList;
struct TRmConfig;

// The parts of a reminder the list's lines show, as the settings choose them.
DescribeOptions ListDescribeOptions(const TRmConfig& config);

class TRecordLines : public QAbstractListModel {
    Q_OBJECT

public:
    explicit TRecordLines(const TRmDataList& list, QObject* parent = nullptr);

    // The lines are drawn again from the list as it is now, described as the options say.
    void Reset(const DescribeOptions& options);
    // The line of a reminder removed from the list goes; the lines after it move up.
    void RemoveLine(int line);
    // Lines of reminders that will not come again are drawn with the brush given.
    void SetExpired(std::vector<std::uint8_t> expired, const QBrush& brush);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    std::string LineText(int line) const;

private:
    const TRmDataList& List;
    DescribeOptions Options;
    int Lines = 0;
    std::vector<std::uint8_t> Expired;
    QBrush ExpiredBrush;
};

class TRecordListView : public QListView {
    Q_OBJECT

public:
    explicit TRecordListView(const TRmDataList& list, QWidget* parent = nullptr);

    TRecordLines& Lines() { return *Model; }
    int count() const { return Model->rowCount(); }
    int currentRow() const;
    // -1 takes the selection and the current line away.
    void setCurrentRow(int line);
    // The one selected line, or -1.
    int SelectedRow() const;
    // The line under a point of the viewport, or -1.
    int RowAt(const QPoint& point) const;
    QRect VisualRowRect(int line) const;
    QString LineText(int line) const;
    QVariant LineData(int line, int role) const;

private:
    TRecordLines* Model;
};

} // namespace chimewell
