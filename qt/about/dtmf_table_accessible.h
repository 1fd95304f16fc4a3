// The DTMF grid as a screen reader reads it: a table of four rows and four
// columns, the frequencies as row and column headers, each cell a key with
// its pair ("1 : 697 Hz et 1209 Hz"), at the cell's place in the picture.
#pragma once

#include <QAccessibleWidget>
#include <array>

namespace about {

class DtmfGrid;
class DtmfGridCell;

class DtmfTableAccessible final : public QAccessibleWidget, public QAccessibleTableInterface {
  public:
    explicit DtmfTableAccessible(DtmfGrid* grid);
    ~DtmfTableAccessible() override;
    DtmfTableAccessible(const DtmfTableAccessible&) = delete;
    DtmfTableAccessible& operator=(const DtmfTableAccessible&) = delete;

    static constexpr int kRows = 4;
    static constexpr int kColumns = 4;

    void* interface_cast(QAccessible::InterfaceType type) override;

    // The children: the four column headers, the four row headers, then the
    // sixteen cells row by row.
    [[nodiscard]] int childCount() const override;
    [[nodiscard]] QAccessibleInterface* child(int index) const override;
    [[nodiscard]] int indexOfChild(const QAccessibleInterface* child) const override;
    [[nodiscard]] QAccessibleInterface* childAt(int x, int y) const override;

    [[nodiscard]] QAccessibleInterface* caption() const override { return nullptr; }
    [[nodiscard]] QAccessibleInterface* summary() const override { return nullptr; }
    [[nodiscard]] QAccessibleInterface* cellAt(int row, int column) const override;
    [[nodiscard]] QString columnDescription(int column) const override;
    [[nodiscard]] QString rowDescription(int row) const override;
    [[nodiscard]] int columnCount() const override { return kColumns; }
    [[nodiscard]] int rowCount() const override { return kRows; }
    [[nodiscard]] QAccessibleInterface* columnHeader(int column) const;
    [[nodiscard]] QAccessibleInterface* rowHeader(int row) const;

    // Nothing in the table can be selected.
    [[nodiscard]] int selectedCellCount() const override { return 0; }
    [[nodiscard]] QList<QAccessibleInterface*> selectedCells() const override { return {}; }
    [[nodiscard]] int selectedColumnCount() const override { return 0; }
    [[nodiscard]] int selectedRowCount() const override { return 0; }
    [[nodiscard]] QList<int> selectedColumns() const override { return {}; }
    [[nodiscard]] QList<int> selectedRows() const override { return {}; }
    [[nodiscard]] bool isColumnSelected(int /*column*/) const override { return false; }
    [[nodiscard]] bool isRowSelected(int /*row*/) const override { return false; }
    bool selectRow(int /*row*/) override { return false; }
    bool selectColumn(int /*column*/) override { return false; }
    bool unselectRow(int /*row*/) override { return false; }
    bool unselectColumn(int /*column*/) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent* /*event*/) override {}

  private:
    // Made on first use and handed to Qt's registry, which screen readers
    // reach them through; taken back when the table goes.
    [[nodiscard]] QAccessibleInterface* childInterface(int index) const;

    static constexpr int kChildren = kColumns + kRows + kRows * kColumns;
    mutable std::array<DtmfGridCell*, kChildren> children_{};
};

}  // namespace about
