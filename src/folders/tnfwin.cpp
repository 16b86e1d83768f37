#include "folders/tnfwin.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tp {

QString NewFolderPath(const QString& selectedFolder, const QString& name) {
  QString base = selectedFolder;
  if (!base.endsWith(QLatin1Char('/'))) base += QLatin1Char('/');
  return base + name;
}

TNfWin::TNfWin(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("New Folder"));
  setFixedSize(257, 74);
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

  Label1 = new QLabel(QStringLiteral("Enter Folder Name   "), this);
  Label1->move(17, 16);
  Label1->adjustSize();

  FolderEdit = new QLineEdit(this);
  FolderEdit->setGeometry(16, 40, 117, 20);

  OkBtn = new QPushButton(QStringLiteral("OK"), this);
  OkBtn->setGeometry(164, 16, 75, 20);
  OkBtn->setAutoDefault(false);

  CanBtn = new QPushButton(QStringLiteral("CANCEL"), this);
  CanBtn->setGeometry(164, 40, 75, 20);
  CanBtn->setAutoDefault(false);
  CanBtn->setDefault(true);

  setTabOrder(FolderEdit, OkBtn);
  setTabOrder(OkBtn, CanBtn);
  FolderEdit->setFocus();

  connect(OkBtn, &QPushButton::clicked, this, [this] { done(ResultOk); });
  connect(CanBtn, &QPushButton::clicked, this, [this] { done(ResultCancel); });
}

QString TNfWin::FolderName() const { return FolderEdit->text(); }

void TNfWin::reject() { done(ResultCancel); }

}  // namespace tp
