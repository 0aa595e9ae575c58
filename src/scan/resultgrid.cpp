#include "scan/resultgrid.h"

#include <sys/stat.h>

#include <algorithm>

#include <QAbstractButton>
#include <QAction>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "foundation/clock.h"
#include "foundation/prompts.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "scan/columnfit.h"
#include "scan/exports.h"
#include "scan/markimage.h"
#include "scan/printit.h"
#include "scan/sortgrid.h"

namespace roomvale {

namespace {

FileWindowOpener& viewerSlot() {
  static FileWindowOpener slot;
  return slot;
}
FileWindowOpener& detailsSlot() {
  static FileWindowOpener slot;
  return slot;
}
FolderBrowserOpener& browserSlot() {
  static FolderBrowserOpener slot;
  return slot;
}

bool pathExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::lstat(path.c_str(), &st) == 0;
}

class WaitCursor {
 public:
  WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

void setFileViewerOpener(FileWindowOpener opener) { viewerSlot() = std::move(opener); }
void setFileDetailsOpener(FileWindowOpener opener) { detailsSlot() = std::move(opener); }
void setFolderBrowserOpener(FolderBrowserOpener opener) { browserSlot() = std::move(opener); }

// ---------------------------------------------------------------------------------------

void GridCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QStyleOptionViewItem opt = option;
  initStyleOption(&opt, index);
  const QRect cell = opt.rect;
  painter->save();
  painter->setClipRect(cell);
  const bool selected = opt.state & QStyle::State_Selected;
  const QPalette::ColorGroup group = (opt.state & QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;
  if (selected)
    painter->fillRect(cell, opt.palette.brush(group, QPalette::Highlight));
  else if (opt.backgroundBrush.style() != Qt::NoBrush)
    painter->fillRect(cell, opt.backgroundBrush);

  int left = cell.left() + 2;
  if (index.data(ResultModel::MarkedRole).toBool()) {
    painter->drawPixmap(cell.left() + 2, cell.top() + 2, markImage());
    left = cell.left() + 18;
  }
  const QRect textRect(QPoint(left, cell.top() + 2), QPoint(cell.right() - 2, cell.bottom()));
  painter->setFont(opt.font);
  painter->setPen(opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
  const Qt::Alignment align = (opt.displayAlignment & Qt::AlignRight) ? Qt::AlignRight : Qt::AlignLeft;
  painter->drawText(textRect, static_cast<int>(align | Qt::AlignTop | Qt::TextSingleLine), opt.text);
  painter->restore();
}

QSize GridCellDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QSize size = QStyledItemDelegate::sizeHint(option, index);
  size.setHeight(std::max(size.height(), 20));
  return size;
}

ResultGridView::ResultGridView(QWidget* parent) : QTableView(parent) {
  setObjectName(QStringLiteral("grid"));
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setWordWrap(false);
  setTabKeyNavigation(false);
  setSortingEnabled(false);
  setItemDelegate(new GridCellDelegate(this));
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(std::max(fontMetrics().height() + 4, 20));
  horizontalHeader()->setSectionsClickable(true);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  horizontalHeader()->setStretchLastSection(false);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  setContextMenuPolicy(Qt::CustomContextMenu);
}

void ResultGridView::mousePressEvent(QMouseEvent* event) {
  lastClickedRow_ = indexAt(event->position().toPoint()).row();
  QTableView::mousePressEvent(event);
}

void ResultGridView::mouseDoubleClickEvent(QMouseEvent* event) {
  lastClickedRow_ = indexAt(event->position().toPoint()).row();
  QTableView::mouseDoubleClickEvent(event);
  emit rowDoubleClicked();
}

void ResultGridView::keyReleaseEvent(QKeyEvent* event) {
  QTableView::keyReleaseEvent(event);
  if (event->key() == Qt::Key_Delete && !event->isAutoRepeat()) emit deleteKeyReleased();
}

// ---------------------------------------------------------------------------------------

ResultGrid::ResultGrid(GridSpec shape, QWidget* owner)
    : QObject(owner), owner_(owner), model_(new ResultModel(std::move(shape), this)), view_(new ResultGridView(owner)) {
  view_->setModel(model_);
  checkedSort_ = this->shape().defaultSortItem;
  connect(view_->horizontalHeader(), &QHeaderView::sectionClicked, this, &ResultGrid::headerClicked);
  connect(view_, &ResultGridView::rowDoubleClicked, this, &ResultGrid::gridDblClick);
  connect(view_, &ResultGridView::deleteKeyReleased, this, &ResultGrid::DeleteAllFiles);
  // Rows reach the view in batches; the widths follow each batch.
  connect(model_, &QAbstractItemModel::rowsInserted, this, &ResultGrid::fitColumns);
  connect(model_, &QAbstractItemModel::headerDataChanged, this, &ResultGrid::fitColumns);
  connect(model_, &QAbstractItemModel::modelReset, this, [this] {
    if (fit_) fit_->reset();
    fitColumns();
  });
  connect(model_, &ResultModel::cellTextSet, this, [this](int column, const QString& text) {
    if (fit_) fit_->take(column, text);
    fitColumns();
  });
}

ResultGrid::~ResultGrid() = default;

std::vector<bool>& ResultGrid::directions() { return roomvale::sortDirections(shape()); }

void ResultGrid::setSortActions(std::vector<QAction*> actions) {
  sortActions_.clear();
  for (std::size_t i = 0; i < actions.size(); ++i) {
    QAction* action = actions[i];
    sortActions_.emplace_back(action);
    action->setCheckable(true);
    action->setChecked(static_cast<int>(i) == checkedSort_);
    connect(action, &QAction::triggered, this, [this, i] { sortByItem(static_cast<int>(i)); });
  }
}

void ResultGrid::setHighlightAction(QAction* action) {
  highlightAction_ = action;
  action->setCheckable(true);
  action->setChecked(model_->highlight());
  connect(action, &QAction::triggered, this, &ResultGrid::Highlight1Click);
}

void ResultGrid::writeStatus(const QString& text) {
  if (status_) status_(text);
}

void ResultGrid::ClearGrid() {
  model_->clearGrid();
  checkedSort_ = shape().defaultSortItem;
  for (std::size_t i = 0; i < sortActions_.size(); ++i)
    if (sortActions_[i]) sortActions_[i]->setChecked(static_cast<int>(i) == checkedSort_);
  if (clean_) clean_->setEnabled(false);
  view_->setFocus();
}

void ResultGrid::updateCleanButton() {
  if (clean_) clean_->setEnabled(data().markedCount() > 0);
}

void ResultGrid::deleteOneFile(int pos) {
  if (!data().isRowUsed(pos) || shape().markColumn < 0) return;
  model_->toggleMark(pos);
  writeStatus(data().markStatusText());
}

int ResultGrid::currentRow() const {
  const QModelIndex current = view_->currentIndex();
  return current.isValid() ? current.row() : -1;
}

void ResultGrid::walkEnded() { walkEndedAt_ = now(); }

bool ResultGrid::justAfterWalk() const {
  constexpr qint64 kQuietMs = 500;
  if (!walkEndedAt_.isValid()) return false;
  const qint64 since = walkEndedAt_.msecsTo(now());
  return since >= 0 && since < kQuietMs;
}

void ResultGrid::DeleteAllFiles() {
  if (justAfterWalk()) return;
  const int row = currentRow();
  if (data().isRowUsed(row)) {
    deleteOneFile(row);
    if (row < model_->rowCount() - 1) {
      const QModelIndex next = model_->index(row + 1, std::max(view_->currentIndex().column(), 0));
      view_->setCurrentIndex(next);
    }
  }
  updateCleanButton();
}

void ResultGrid::gridDblClick() {
  if (justAfterWalk()) return;
  const int row = currentRow();
  if (data().isRowUsed(view_->lastClickedRow()) && data().isRowUsed(row)) {
    deleteOneFile(row);
    updateCleanButton();
  }
}

void ResultGrid::Markall1Click() {
  if (shape().markColumn < 0) return;
  {
    WaitCursor wait;
    model_->markAll();
  }
  if (clean_) clean_->setEnabled(true);
  writeStatus(data().markStatusText());
}

void ResultGrid::Unmarkall1Click() {
  model_->clearAllMarks();
  if (clean_) clean_->setEnabled(false);
  writeStatus(data().markStatusText());
}

void ResultGrid::sortByItem(int item) {
  if (item < 0 || item >= static_cast<int>(shape().sortItems.size())) return;
  if (data().rowCount() < 2) return;
  for (auto& action : sortActions_)
    if (action) action->setChecked(false);
  const GridSortItem& sortItem = shape().sortItems[static_cast<std::size_t>(item)];
  std::vector<bool>& flags = directions();
  const bool descending = flags[static_cast<std::size_t>(item)];
  {
    WaitCursor wait;
    model_->sortBy(sortItem.kind, sortItem.column, descending);
  }
  flags[static_cast<std::size_t>(item)] = !descending;
  checkedSort_ = item;
  if (item < static_cast<int>(sortActions_.size()) && sortActions_[static_cast<std::size_t>(item)])
    sortActions_[static_cast<std::size_t>(item)]->setChecked(true);
}

void ResultGrid::headerClicked(int column) {
  const int item = shape().sortItemOfColumn(column);
  if (item >= 0) sortByItem(item);
}

void ResultGrid::Highlight1Click() {
  const bool on = !model_->highlight();
  model_->setHighlight(on);
  if (highlightAction_) highlightAction_->setChecked(on);
  view_->viewport()->update();
}

std::string ResultGrid::currentPath() const { return data().rowPath(currentRow()); }

void ResultGrid::Run1Click() {
  const std::string path = currentPath();
  if (!pathExists(path)) return;
  if (!platform::openWithAssociatedProgram(path))
    showError(QStringLiteral("Couldn't open ") + platform::toDisplay(path));
}

void ResultGrid::View1Click() {
  const std::string path = currentPath();
  if (pathExists(path) && viewerSlot()) viewerSlot()(owner_, path);
}

void ResultGrid::Details1Click() {
  const std::string path = currentPath();
  if (pathExists(path) && detailsSlot()) detailsSlot()(owner_, path);
}

void ResultGrid::BrowseDirectory1Click(const QString& mask) {
  const int row = currentRow();
  if (!data().isRowUsed(row) || !browserSlot()) return;
  const GridRow& r = data().rowById(data().rowIdAt(row));
  browserSlot()(owner_, data().folderText(r.folder), std::string(data().nameOf(r)), mask);
}

void ResultGrid::print(const QString& title) {
  PrintableGrid printable;
  printable.rows = data().rowCount();
  printable.columnWidths = columnWidths();
  const GridData& grid = data();
  printable.cell = [&grid](int row, int column) {
    return row == 0 ? grid.headerText(column) : grid.cellText(row - 1, column);
  };
  printGridWithDialog(printable, title);
}

void ResultGrid::btClipClick(int tag) {
  copyToClipboard(clipboardText(data(), tag == 1 ? ClipboardForm::FileNames : ClipboardForm::EntireGrid));
}

void ResultGrid::Webpage1Click() {
  // No row shading on the page.
  model_->setShading(false);
  saveWebPage(gridTexts(data()));
  model_->setShading(true);
}

bool ResultGrid::handOver(const QString& sourceTag) {
  const std::vector<std::string> marked = data().lbDeleted();
  if (marked.empty()) return false;
  // Files deleted behind the grid's back: a review of nothing would close the finder
  // without a word.
  if (std::none_of(marked.begin(), marked.end(),
                   [](const std::string& path) { return GridData::lookupOnDisk(path).has_value(); })) {
    showInfo(QStringLiteral("None of the marked files exists any more."));
    Unmarkall1Click();
    return false;
  }
  if (data().markedCount() < 1) return false;
  DeletionRequest request;
  request.paths = data().lbDeleted();
  request.identities = data().lbDeletedIdentities();
  request.totalBytes = data().markedBytes();
  request.sourceTag = sourceTag;
  return openDeletionReview(owner_, request);
}

void ResultGrid::setColumnWidths(const std::vector<int>& widths) {
  ruleWidths_ = widths;
  fitColumns();
}

void ResultGrid::fitColumns() {
  if (!fit_ || fit_->font() != view_->font()) {
    fit_ = std::make_unique<ColumnFit>(view_->font(), shape().highlightColumn);
  }
  fit_->update(data());
  // The text sits 2 pixels in from each side of the cell, which loses one pixel to the grid
  // line; a marked cell starts its text after the mark picture.
  constexpr int kPadding = 2 + 2 + 1 + 1;
  constexpr int kMarkPicture = 16;
  const QHeaderView* header = view_->horizontalHeader();
  const int columns = data().columnCount();
  int grown = 0;  // what the columns before the last took beyond their rule widths
  for (int c = 0; c < columns; ++c) {
    const bool ruled = c < static_cast<int>(ruleWidths_.size());
    int w = ruled ? std::max(ruleWidths_[static_cast<std::size_t>(c)], 0) : view_->columnWidth(c);
    // The last column is the rest of the window: it gives back what the others grew.
    if (ruled && c == columns - 1) w -= grown;
    int text = fit_->textWidth(c);
    if (text > 0) text += kPadding + (c == shape().markColumn ? kMarkPicture : 0);
    const int fitted = std::max({w, text, header->sectionSizeHint(c)});
    if (ruled) grown += fitted - w;
    if (view_->columnWidth(c) != fitted) view_->setColumnWidth(c, fitted);
  }
}

std::vector<int> ResultGrid::columnWidths() const {
  std::vector<int> widths;
  for (int c = 0; c < data().columnCount(); ++c) widths.push_back(view_->columnWidth(c));
  return widths;
}

}  // namespace roomvale
