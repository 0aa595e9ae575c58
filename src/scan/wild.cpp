#include "scan/wild.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "foundation/helpers.h"
#include "scan/targets.h"

namespace roomvale {

TfrmWildCard::TfrmWildCard(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmWildCard"));
  setWindowTitle(QStringLiteral("Wildcard pattern"));
  setModal(true);

  auto* prompt = new QLabel(QStringLiteral("Change the wildcard matching pattern:"));
  prompt->setObjectName(QStringLiteral("Label1"));
  cbWildCard = new QComboBox;
  cbWildCard->setObjectName(QStringLiteral("cbWildCard"));
  cbWildCard->setEditable(true);
  cbWildCard->setInsertPolicy(QComboBox::NoInsert);
  cbWildCard->setToolTip(QStringLiteral("Wildcard pattern for matching file types"));
  lblWild = new QLabel;
  lblWild->setObjectName(QStringLiteral("lblWild"));
  lblType = new QLabel;
  lblType->setObjectName(QStringLiteral("lblType"));
  btOK = new QPushButton(QStringLiteral("OK"));
  btOK->setObjectName(QStringLiteral("btOK"));
  btOK->setDefault(true);
  btCancel = new QPushButton(QStringLiteral("Cancel"));
  btCancel->setObjectName(QStringLiteral("btCancel"));

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btOK);
  buttons->addWidget(btCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(prompt);
  layout->addWidget(cbWildCard);
  layout->addWidget(lblWild);
  layout->addWidget(lblType);
  layout->addLayout(buttons);

  connect(cbWildCard, &QComboBox::editTextChanged, this, [this] { cbWildCardChange(); });
  connect(cbWildCard, &QComboBox::activated, this, [this] { cbWildCardChange(); });
  connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmWildCard::setPattern(const QString& pattern) { cbWildCard->setEditText(pattern); }

QString TfrmWildCard::pattern() const { return cbWildCard->currentText(); }

void TfrmWildCard::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!filled_) {
    filled_ = true;
    FormShow();
  }
}

void TfrmWildCard::FormShow() {
  const QString keep = cbWildCard->currentText();
  {
    const QSignalBlocker block(cbWildCard);
    cbWildCard->clear();
    cbWildCard->addItems(listRegisteredExtensions(true));
    cbWildCard->setEditText(keep);
  }
  cbWildCardChange();
}

void TfrmWildCard::cbWildCardChange() {
  const QString text = cbWildCard->currentText();
  lblWild->setText(text == QLatin1String("*.*") ? QStringLiteral("All files") : QString());
  lblType->setText(text.isEmpty() ? QString() : fileTypeDescription(text.mid(1)));
}

}  // namespace roomvale
