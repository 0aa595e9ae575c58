#include "scan/selext.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "foundation/helpers.h"
#include "scan/targets.h"

namespace roomvale {

std::optional<QString> normaliseTypedPattern(const QString& typed) {
  const QString t = typed.trimmed();
  if (t.isEmpty() || t == QLatin1String("*.*") || t == QLatin1String(".*") || t == QLatin1String("*"))
    return std::nullopt;
  if (t.startsWith(QLatin1String("*."))) return t;
  if (!t.contains(u'*') && !t.contains(u'.')) return QStringLiteral("*.") + t;
  if (!t.contains(u'*') && t.startsWith(u'.')) return u'*' + t;
  return t;
}

TfrmSelectExtension::TfrmSelectExtension(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmSelectExtension"));
  setWindowTitle(QStringLiteral("Select a file extension"));
  setModal(true);

  auto* prompt = new QLabel(QStringLiteral("Type in a new file extension or select one or many from the list below:"));
  prompt->setObjectName(QStringLiteral("Label1"));
  Edit1 = new QLineEdit;
  Edit1->setObjectName(QStringLiteral("Edit1"));
  cbWildCard = new QComboBox;
  cbWildCard->setObjectName(QStringLiteral("cbWildCard"));
  lblWild = new QLabel;
  lblWild->setObjectName(QStringLiteral("lblWild"));
  lBox = new QListWidget;
  lBox->setObjectName(QStringLiteral("lBox"));
  lBox->setSelectionMode(QAbstractItemView::ExtendedSelection);
  auto* hint = new QLabel(QStringLiteral("Hint: Drag mouse or use ctrl-click to select multiple file extensions."));
  hint->setObjectName(QStringLiteral("Label2"));
  btOK = new QPushButton(QStringLiteral("OK"));
  btOK->setObjectName(QStringLiteral("btOK"));
  btOK->setDefault(true);
  btCancel = new QPushButton(QStringLiteral("Cancel"));
  btCancel->setObjectName(QStringLiteral("btCancel"));

  auto* top = new QHBoxLayout;
  top->addWidget(Edit1);
  top->addWidget(cbWildCard);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btOK);
  buttons->addWidget(btCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(prompt);
  layout->addLayout(top);
  layout->addWidget(lblWild);
  layout->addWidget(lBox, 1);
  layout->addWidget(hint);
  layout->addLayout(buttons);
  resize(460, 420);

  connect(cbWildCard, &QComboBox::currentIndexChanged, this, [this] { cbWildCardChange(); });
  connect(lBox, &QListWidget::itemClicked, this, [this] { lBoxClick(); });
  connect(lBox, &QListWidget::itemDoubleClicked, this, [this] { lBoxDblClick(); });
  connect(btOK, &QPushButton::clicked, this, [this] { btOKClick(); });
  connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmSelectExtension::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!filled_) {
    filled_ = true;
    FormShow();
  }
}

void TfrmSelectExtension::FormShow() {
  const QStringList patterns = listRegisteredExtensions(false);
  {
    const QSignalBlocker block(cbWildCard);
    cbWildCard->clear();
    cbWildCard->addItems(patterns);
  }
  lBox->clear();
  for (const QString& p : patterns) lBox->addItem(p + u'\t' + fileTypeDescription(p.mid(1)));
  if (!patterns.isEmpty()) Edit1->setText(patterns.first());
  cbWildCardChange();
}

void TfrmSelectExtension::cbWildCardChange() {
  const QString ext = patternExtension(cbWildCard->currentText());
  lblWild->setText(ext.isEmpty() ? QString() : fileTypeDescription(ext));
}

void TfrmSelectExtension::lBoxClick() {
  if (QListWidgetItem* item = lBox->currentItem()) Edit1->setText(linePattern(item->text()));
}

QStringList TfrmSelectExtension::selectedEntries() const {
  QStringList lines;
  for (int i = 0; i < lBox->count(); ++i)
    if (lBox->item(i)->isSelected()) lines << lBox->item(i)->text();
  return lines;
}

bool TfrmSelectExtension::takeResult() {
  if (lBox->selectedItems().size() > 1) {
    multipleSelected = true;
    return false;
  }
  multipleSelected = false;
  selectedPattern.clear();
  selectedDescription.clear();
  const auto pattern = normaliseTypedPattern(Edit1->text());
  if (!pattern) return false;
  selectedPattern = *pattern;
  const QString ext = patternExtension(*pattern);
  selectedDescription = ext.isEmpty() ? QString() : fileTypeDescription(ext);
  return true;
}

void TfrmSelectExtension::btOKClick() {
  takeResult();
  accept();
}

void TfrmSelectExtension::lBoxDblClick() {
  lBoxClick();
  if (takeResult()) accept();
}

}  // namespace roomvale
