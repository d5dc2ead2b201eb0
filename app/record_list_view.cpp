#include "app/record_list_view.h"

#include "data/settings.h"

#include "data/reminder_list.h"

#include <utility>

namespace chimewell {

TRecordLines::TRecordLines(const TRmDataList& list, QObject* parent) : QAbstractListModel(parent), List(list) {}

DescribeOptions ListDescribeOptions(const TRmConfig& config) {
    return {config.ShowGL,        config.ShowDate,     config.ShowTime,    config.ShowRms,
            config.ShowBefRemind, config.ShowSetMusic, config.ShowCommand, config.ShowWithScript};
}

void TRecordLines::Reset(const DescribeOptions& options) {
    beginResetModel();
    Options = options;
    Lines = List.Count;
    Expired.assign(static_cast<std::size_t>(Lines), 0);
    endResetModel();
}

void TRecordLines::RemoveLine(int line) {
    if (line < 0 || line >= Lines) {
        return;
    }
    beginRemoveRows({}, line, line);
    --Lines;
    if (static_cast<std::size_t>(line) < Expired.size()) {
        Expired.erase(Expired.begin() + line);
    }
    endRemoveRows();
}

void TRecordLines::SetExpired(std::vector<std::uint8_t> expired, const QBrush& brush) {
    expired.resize(static_cast<std::size_t>(Lines), 0);
    if (brush != ExpiredBrush) {
        ExpiredBrush = brush;
        Expired = std::move(expired);
        if (Lines > 0) {
            emit dataChanged(index(0), index(Lines - 1), {Qt::ForegroundRole});
        }
        return;
    }
    if (expired == Expired) {
        return;
    }
    // Only the lines between the first and the last that changed are drawn again.
    int first = 0;
    while (Expired[static_cast<std::size_t>(first)] == expired[static_cast<std::size_t>(first)]) {
        ++first;
    }
    int last = Lines - 1;
    while (Expired[static_cast<std::size_t>(last)] == expired[static_cast<std::size_t>(last)]) {
        --last;
    }
    Expired = std::move(expired);
    emit dataChanged(index(first), index(last), {Qt::ForegroundRole});
}

int TRecordLines::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Lines;
}

std::string TRecordLines::LineText(int line) const {
    // The list may be shorter for a moment, between a removal and the line's going.
    return line >= 0 && line < Lines && line < List.Count ? List.Item(line).Describe(Options) : std::string();
}

QVariant TRecordLines::data(const QModelIndex& index, int role) const {
    const int line = index.row();
    if (!index.isValid() || line < 0 || line >= Lines) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        const std::string text = LineText(line);
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    if (role == Qt::ForegroundRole && Expired[static_cast<std::size_t>(line)] != 0) {
        return ExpiredBrush;
    }
    return {};
}

TRecordListView::TRecordListView(const TRmDataList& list, QWidget* parent)
    : QListView(parent), Model(new TRecordLines(list, this)) {
    setModel(Model);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Every line is one line of the same font: the view need not measure each of a long list's lines.
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

int TRecordListView::currentRow() const {
    return currentIndex().row();
}

void TRecordListView::setCurrentRow(int line) {
    if (line < 0 || line >= count()) {
        clearSelection();
        setCurrentIndex({});
        return;
    }
    setCurrentIndex(Model->index(line));
}

int TRecordListView::SelectedRow() const {
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.front().row();
}

int TRecordListView::RowAt(const QPoint& point) const {
    return indexAt(point).row();
}

QRect TRecordListView::VisualRowRect(int line) const {
    return visualRect(Model->index(line));
}

QString TRecordListView::LineText(int line) const {
    return Model->data(Model->index(line), Qt::DisplayRole).toString();
}

QVariant TRecordListView::LineData(int line, int role) const {
    return Model->data(Model->index(line), role);
}

} // namespace chimewell
