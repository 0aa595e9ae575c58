#include "app/about.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/artwork.h"

namespace roomvale {

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmAbout"));
  setWindowTitle(QStringLiteral("How to contact us"));
  setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

  auto* icon = new QLabel(this);
  icon->setObjectName(QStringLiteral("Image1"));
  icon->setPixmap(artwork::programIcon().pixmap(48, 48));

  lblProduct = new QLabel(QStringLiteral("Roomvale"), this);
  lblProduct->setObjectName(QStringLiteral("lblProduct"));
  QFont big = lblProduct->font();
  big.setPixelSize(28);
  big.setBold(true);
  lblProduct->setFont(big);

  lblVersion = new QLabel(QStringLiteral("Version 3.3"), this);
  lblVersion->setObjectName(QStringLiteral("lblVersion"));

  auto* rule = new QFrame(this);
  rule->setFrameShape(QFrame::HLine);
  rule->setFrameShadow(QFrame::Sunken);

  lblMaker = new QLabel(QStringLiteral("Fernholt Corporation"), this);
  lblMaker->setObjectName(QStringLiteral("lblMaker"));
  QFont bold = lblMaker->font();
  bold.setBold(true);
  lblMaker->setFont(bold);

  lblWeb = new QLabel(makerWebAddress(), this);
  lblWeb->setObjectName(QStringLiteral("lblWeb"));
  lblWeb->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* note = new QLabel(
      QStringLiteral("Questions, suggestions and reports of problems are welcome\nthrough our web site."), this);
  note->setObjectName(QStringLiteral("lblNote"));

  btClose = new QPushButton(QStringLiteral("Close"), this);
  btClose->setObjectName(QStringLiteral("btClose"));
  btClose->setDefault(true);
  connect(btClose, &QPushButton::clicked, this, &QDialog::accept);

  auto* heading = new QHBoxLayout;
  heading->addWidget(icon);
  auto* names = new QVBoxLayout;
  names->addWidget(lblProduct);
  names->addWidget(lblVersion);
  heading->addLayout(names, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(btClose);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(heading);
  layout->addWidget(rule);
  layout->addWidget(lblMaker);
  layout->addWidget(lblWeb);
  layout->addWidget(note);
  layout->addSpacing(8);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace roomvale
