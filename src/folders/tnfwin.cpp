#include "folders/tnfwin.h"

#include <QEvent>
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
  setWindowTitle(tr("New Folder"));
  setFixedSize(257, 74);
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

  Label1 = new QLabel(tr("Enter Folder Name   "), this);
  Label1->move(17, 16);
  Label1->adjustSize();

  FolderEdit = new QLineEdit(this);
  FolderEdit->setGeometry(16, 40, 117, 20);

  OkBtn = new QPushButton(tr("OK"), this);
  OkBtn->setGeometry(164, 16, 75, 20);
  OkBtn->setAutoDefault(false);

  CanBtn = new QPushButton(tr("CANCEL"), this);
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

void TNfWin::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The dialog is kept between uses and the focus stays where the last use
  // left it, often on a button, where letters are lost and a blank presses it.
  FolderEdit->setFocus(Qt::OtherFocusReason);
  FolderEdit->selectAll();
  selectOnActivation_ = true;
}

void TNfWin::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  // Activation arrives after the show and takes the selection with it; it
  // is made again once, so that switching windows later keeps what the
  // user selected.
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && selectOnActivation_) {
    selectOnActivation_ = false;
    FolderEdit->setFocus(Qt::ActiveWindowFocusReason);
    FolderEdit->selectAll();
  }
}

}  // namespace tp
