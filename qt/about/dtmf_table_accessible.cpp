#include "dtmf_table_accessible.h"

#include <cstddef>

#include "about_form.h"
#include "dtmf_grid.h"
#include "tonegen/dtmf_keys.h"

namespace about {

namespace grid = forms::about_form::grid;

// One child of the table: a column header, a row header or a key's cell.
class DtmfGridCell final : public QAccessibleInterface, public QAccessibleTableCellInterface {
  public:
    enum class Kind { ColumnHeader, RowHeader, Key };

    DtmfGridCell(const DtmfTableAccessible* table, Kind kind, int row, int column)
        : table_(table), kind_(kind), row_(row), column_(column) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableCellInterface && kind_ == Kind::Key) {
            return static_cast<QAccessibleTableCellInterface*>(this);
        }
        return nullptr;
    }

    [[nodiscard]] bool isValid() const override { return table_->isValid(); }
    [[nodiscard]] QObject* object() const override { return nullptr; }
    [[nodiscard]] QAccessibleInterface* parent() const override {
        return const_cast<DtmfTableAccessible*>(table_);
    }
    [[nodiscard]] QAccessibleInterface* child(int /*index*/) const override { return nullptr; }
    [[nodiscard]] int childCount() const override { return 0; }
    [[nodiscard]] int indexOfChild(const QAccessibleInterface* /*child*/) const override {
        return -1;
    }
    [[nodiscard]] QAccessibleInterface* childAt(int /*x*/, int /*y*/) const override {
        return nullptr;
    }
    void setText(QAccessible::Text /*t*/, const QString& /*text*/) override {}

    [[nodiscard]] QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name) {
            return {};
        }
        switch (kind_) {
            case Kind::ColumnHeader:
                return QString::fromStdString(forms::about_form::FrequencyHeader(
                    tonegen::kDtmfColumnFrequencies[static_cast<std::size_t>(column_)]));
            case Kind::RowHeader:
                return QString::fromStdString(forms::about_form::FrequencyHeader(
                    tonegen::kDtmfRowFrequencies[static_cast<std::size_t>(row_)]));
            case Kind::Key:
                break;
        }
        for (const tonegen::DtmfKey& key : tonegen::kDtmfKeys) {
            if (tonegen::DtmfRow(key) == static_cast<std::size_t>(row_) &&
                tonegen::DtmfColumn(key) == static_cast<std::size_t>(column_)) {
                return QString::fromStdString(forms::about_form::KeyDescription(key));
            }
        }
        return {};
    }

    [[nodiscard]] QAccessible::Role role() const override {
        switch (kind_) {
            case Kind::ColumnHeader:
                return QAccessible::ColumnHeader;
            case Kind::RowHeader:
                return QAccessible::RowHeader;
            case Kind::Key:
                break;
        }
        return QAccessible::Cell;
    }

    [[nodiscard]] QAccessible::State state() const override {
        QAccessible::State state;
        state.readOnly = true;
        return state;
    }

    // Where the cell's box lies in the picture, on the screen.
    [[nodiscard]] QRect rect() const override {
        const grid::Span x = kind_ == Kind::RowHeader
                                 ? grid::kHeaderColumn
                                 : grid::kColumns[static_cast<std::size_t>(column_)];
        const grid::Span y = kind_ == Kind::ColumnHeader
                                 ? grid::kHeaderRow
                                 : grid::kRows[static_cast<std::size_t>(row_)];
        const grid::PixelRect box = grid::Box(x, y);
        return QRect(box.left, box.top, box.width, box.height).translated(table_->rect().topLeft());
    }

    [[nodiscard]] bool isSelected() const override { return false; }
    [[nodiscard]] int columnExtent() const override { return 1; }
    [[nodiscard]] int rowExtent() const override { return 1; }
    [[nodiscard]] int columnIndex() const override { return column_; }
    [[nodiscard]] int rowIndex() const override { return row_; }
    [[nodiscard]] QList<QAccessibleInterface*> columnHeaderCells() const override {
        return {table_->columnHeader(column_)};
    }
    [[nodiscard]] QList<QAccessibleInterface*> rowHeaderCells() const override {
        return {table_->rowHeader(row_)};
    }
    [[nodiscard]] QAccessibleInterface* table() const override { return parent(); }

  private:
    const DtmfTableAccessible* table_;
    Kind kind_;
    int row_;
    int column_;
};

DtmfTableAccessible::DtmfTableAccessible(DtmfGrid* grid)
    : QAccessibleWidget(grid, QAccessible::Table) {}

DtmfTableAccessible::~DtmfTableAccessible() {
    for (DtmfGridCell* cell : children_) {
        if (cell != nullptr) {
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(cell));
        }
    }
}

void* DtmfTableAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TableInterface) {
        return static_cast<QAccessibleTableInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
}

QAccessibleInterface* DtmfTableAccessible::childInterface(int index) const {
    if (index < 0 || index >= kChildren) {
        return nullptr;
    }
    DtmfGridCell*& cell = children_[static_cast<std::size_t>(index)];
    if (cell == nullptr) {
        if (index < kColumns) {
            cell = new DtmfGridCell(this, DtmfGridCell::Kind::ColumnHeader, -1, index);
        } else if (index < kColumns + kRows) {
            cell = new DtmfGridCell(this, DtmfGridCell::Kind::RowHeader, index - kColumns, -1);
        } else {
            const int key = index - kColumns - kRows;
            cell = new DtmfGridCell(this, DtmfGridCell::Kind::Key, key / kColumns, key % kColumns);
        }
        QAccessible::registerAccessibleInterface(cell);
    }
    return cell;
}

int DtmfTableAccessible::childCount() const {
    return kChildren;
}

QAccessibleInterface* DtmfTableAccessible::child(int index) const {
    return childInterface(index);
}

int DtmfTableAccessible::indexOfChild(const QAccessibleInterface* child) const {
    for (int index = 0; index < kChildren; ++index) {
        if (children_[static_cast<std::size_t>(index)] == child && child != nullptr) {
            return index;
        }
    }
    return -1;
}

QAccessibleInterface* DtmfTableAccessible::childAt(int x, int y) const {
    for (int index = 0; index < kChildren; ++index) {
        QAccessibleInterface* cell = childInterface(index);
        if (cell->rect().contains(x, y)) {
            return cell;
        }
    }
    return nullptr;
}

QAccessibleInterface* DtmfTableAccessible::cellAt(int row, int column) const {
    if (row < 0 || row >= kRows || column < 0 || column >= kColumns) {
        return nullptr;
    }
    return childInterface(kColumns + kRows + row * kColumns + column);
}

QAccessibleInterface* DtmfTableAccessible::columnHeader(int column) const {
    return column < 0 || column >= kColumns ? nullptr : childInterface(column);
}

QAccessibleInterface* DtmfTableAccessible::rowHeader(int row) const {
    return row < 0 || row >= kRows ? nullptr : childInterface(kColumns + row);
}

QString DtmfTableAccessible::columnDescription(int column) const {
    const QAccessibleInterface* header = columnHeader(column);
    return header == nullptr ? QString() : header->text(QAccessible::Name);
}

QString DtmfTableAccessible::rowDescription(int row) const {
    const QAccessibleInterface* header = rowHeader(row);
    return header == nullptr ? QString() : header->text(QAccessible::Name);
}

}  // namespace about
