// The button matrix as assistive technology sees it: a table whose cells
// are toggle buttons, one row per track. The selection of the table is the
// cells that are down. Cells are not widgets, so their interfaces are made
// here, registered with Qt, and kept for as long as the matrix's own.
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QWindow>

#include "controls/accessibleinterfaces.h"
#include "controls/accessibletexts.h"
#include "controls/tbtnmtx.h"

namespace tp {
namespace {

class AccessibleCell : public QAccessibleInterface,
                       public QAccessibleTableCellInterface,
                       public QAccessibleActionInterface {
 public:
  AccessibleCell(TBtnMtx* matrix, int row, int column) : matrix_(matrix), row_(row), column_(column) {}

  bool isValid() const override { return matrix_ && row_ < matrix_->Rows() && column_ < matrix_->Cols(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return matrix_ ? matrix_->window()->windowHandle() : nullptr; }
  QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(matrix_.data()); }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  // A check box, not a checkable button: Qt's AT-SPI bridge gives a button
  // no checked state, so a screen reader would not say that a take was chosen.
  QAccessible::Role role() const override { return QAccessible::CheckBox; }
  void setText(QAccessible::Text, const QString&) override {}

  QString text(QAccessible::Text kind) const override {
    if (!isValid()) return QString();
    if (kind == QAccessible::Name) {
      const AccessibleTexts* texts = AccessibleTexts::Find(*matrix_);
      return texts && texts->cellName ? texts->cellName(row_, column_) : matrix_->GetCaptions(row_, column_).trimmed();
    }
    // Why a take shows a warning mark instead of its outline.
    if (kind == QAccessible::Description && matrix_->GetAssigned(row_, column_))
      return matrix_->OutlineProblem(row_, column_);
    return QString();
  }

  QRect rect() const override {
    if (!isValid()) return QRect();
    const QRect cell(column_ * matrix_->BtnWidth(), row_ * matrix_->BtnHeight(), matrix_->BtnWidth(),
                     matrix_->BtnHeight());
    return cell.translated(matrix_->mapToGlobal(QPoint(0, 0)));
  }

  QAccessible::State state() const override {
    QAccessible::State state;
    if (!isValid()) {
      state.invalid = true;
      return state;
    }
    state.focusable = true;
    state.checkable = true;
    state.checked = matrix_->GetDown(row_, column_);
    state.disabled = !matrix_->isEnabled();
    state.invisible = !matrix_->isVisible();
    state.focused = matrix_->hasFocus() && matrix_->FocusRow() == row_ && matrix_->FocusCol() == column_;
    return state;
  }

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TableCellInterface) return static_cast<QAccessibleTableCellInterface*>(this);
    if (type == QAccessible::ActionInterface) return static_cast<QAccessibleActionInterface*>(this);
    return nullptr;
  }

  bool isSelected() const override { return isValid() && matrix_->GetDown(row_, column_); }
  QList<QAccessibleInterface*> columnHeaderCells() const override { return {}; }
  QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
  int columnIndex() const override { return column_; }
  int rowIndex() const override { return row_; }
  int columnExtent() const override { return 1; }
  int rowExtent() const override { return 1; }
  QAccessibleInterface* table() const override { return parent(); }

  QStringList actionNames() const override {
    if (!isValid() || !matrix_->isEnabled()) return {};
    return {toggleAction(), setFocusAction()};
  }
  // Toggling is a click on the cell; both put the keyboard's frame on it.
  void doAction(const QString& name) override {
    if (!isValid() || !matrix_->isEnabled()) return;
    if (name == setFocusAction()) matrix_->setFocus(Qt::OtherFocusReason);
    if (name != toggleAction() && name != setFocusAction()) return;
    matrix_->SetFocusCell(row_, column_);
    if (name == toggleAction()) matrix_->ClickCell(row_, column_);
  }
  QStringList keyBindingsForAction(const QString& name) const override {
    return name == toggleAction() ? QStringList{QStringLiteral("Return")} : QStringList{};
  }

 private:
  QPointer<TBtnMtx> matrix_;
  int row_, column_;
};

class AccessibleMatrix : public QAccessibleWidget, public QAccessibleTableInterface {
 public:
  explicit AccessibleMatrix(TBtnMtx* matrix) : QAccessibleWidget(matrix, QAccessible::Table) {}
  ~AccessibleMatrix() override {
    for (QAccessible::Id id : std::as_const(cells_)) QAccessible::deleteAccessibleInterface(id);
  }

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }

  int childCount() const override { return Matrix().Rows() * Matrix().Cols(); }
  QAccessibleInterface* child(int index) const override {
    const int columns = Matrix().Cols();
    return index < 0 || index >= childCount() ? nullptr : cellAt(index / columns, index % columns);
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    const QAccessibleTableCellInterface* cell = child ? const_cast<QAccessibleInterface*>(child)->tableCellInterface()
                                                      : nullptr;
    if (!cell || child->parent() != this) return -1;
    return cell->rowIndex() * Matrix().Cols() + cell->columnIndex();
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    const QPoint at = Matrix().mapFromGlobal(QPoint(x, y));
    if (!Matrix().rect().contains(at)) return nullptr;
    return cellAt(Matrix().RowAt(at.y()), Matrix().ColAt(at.x()));
  }
  QAccessibleInterface* focusChild() const override {
    return Matrix().hasFocus() ? cellAt(Matrix().FocusRow(), Matrix().FocusCol()) : nullptr;
  }

  QAccessibleInterface* caption() const override { return nullptr; }
  QAccessibleInterface* summary() const override { return nullptr; }
  QAccessibleInterface* cellAt(int row, int column) const override {
    if (row < 0 || column < 0 || row >= Matrix().Rows() || column >= Matrix().Cols()) return nullptr;
    const int key = (row << 16) | column;
    if (const auto known = cells_.constFind(key); known != cells_.constEnd())
      return QAccessible::accessibleInterface(*known);
    auto* cell = new AccessibleCell(&Matrix(), row, column);
    cells_.insert(key, QAccessible::registerAccessibleInterface(cell));
    return cell;
  }
  int selectedCellCount() const override { return int(selectedCells().size()); }
  QList<QAccessibleInterface*> selectedCells() const override {
    QList<QAccessibleInterface*> down;
    for (int row = 0; row < Matrix().Rows(); ++row)
      for (int column = 0; column < Matrix().Cols(); ++column)
        if (Matrix().GetDown(row, column)) down << cellAt(row, column);
    return down;
  }
  QString columnDescription(int column) const override {
    const AccessibleTexts* texts = AccessibleTexts::Find(Matrix());
    return texts && texts->columnName ? texts->columnName(column) : QString();
  }
  QString rowDescription(int row) const override {
    const AccessibleTexts* texts = AccessibleTexts::Find(Matrix());
    return texts && texts->rowName ? texts->rowName(row) : QString();
  }
  // Cells are chosen one by one, by the owner's rules: never whole rows.
  int selectedColumnCount() const override { return 0; }
  int selectedRowCount() const override { return 0; }
  int columnCount() const override { return Matrix().Cols(); }
  int rowCount() const override { return Matrix().Rows(); }
  QList<int> selectedColumns() const override { return {}; }
  QList<int> selectedRows() const override { return {}; }
  bool isColumnSelected(int) const override { return false; }
  bool isRowSelected(int) const override { return false; }
  bool selectRow(int) override { return false; }
  bool selectColumn(int) override { return false; }
  bool unselectRow(int) override { return false; }
  bool unselectColumn(int) override { return false; }
  void modelChange(QAccessibleTableModelChangeEvent*) override {}

 private:
  TBtnMtx& Matrix() const { return *static_cast<TBtnMtx*>(widget()); }

  mutable QHash<int, QAccessible::Id> cells_;  // by row << 16 | column
};

}  // namespace

QAccessibleInterface* MakeAccessibleMatrix(TBtnMtx* matrix) { return new AccessibleMatrix(matrix); }

}  // namespace tp
