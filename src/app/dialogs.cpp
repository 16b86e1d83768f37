#include "app/dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>

namespace tp {

std::optional<QString> StandardDialogs::InputBox(QWidget* owner, const QString& caption, const QString& prompt,
                                                 const QString& value) {
  bool ok = false;
  const QString text = QInputDialog::getText(owner, caption, prompt, QLineEdit::Normal, value, &ok);
  if (!ok) return std::nullopt;
  return text;
}

bool StandardDialogs::Confirm(QWidget* owner, const QString& caption, const QString& text) {
  QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, owner);
  return box.exec() == QMessageBox::Yes;
}

void StandardDialogs::Message(QWidget* owner, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok, owner);
  box.exec();
}

int StandardDialogs::ShowModal(QDialog& form) { return form.exec(); }

QAction* StandardDialogs::Popup(QMenu& menu, QPoint globalPosition) { return menu.exec(globalPosition); }

}  // namespace tp
