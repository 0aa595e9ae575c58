#include "archive/password.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace roomvale {

TfrmPassword::TfrmPassword(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmPassword"));
  setWindowTitle(QStringLiteral("Enter Password"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  auto field = [this](const char* name) {
    auto* e = new QLineEdit(this);
    e->setObjectName(QLatin1String(name));
    e->setEchoMode(QLineEdit::Password);
    e->setMinimumWidth(240);
    return e;
  };
  Password = field("Password");
  Verify = field("Verify");
  Label1 = new QLabel(QStringLiteral("&Password"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setBuddy(Password);
  Label2 = new QLabel(QStringLiteral("&Verify"), this);
  Label2->setObjectName(QStringLiteral("Label2"));
  Label2->setBuddy(Verify);
  btOK = new QPushButton(QStringLiteral("OK"), this);
  btOK->setObjectName(QStringLiteral("btOK"));
  btOK->setDefault(true);
  btCancel = new QPushButton(QStringLiteral("Cancel"), this);
  btCancel->setObjectName(QStringLiteral("btCancel"));

  auto* form = new QFormLayout;
  form->addRow(Label1, Password);
  form->addRow(Label2, Verify);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btOK);
  buttons->addWidget(btCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  Password->setFocus();

  connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
}

}  // namespace roomvale
