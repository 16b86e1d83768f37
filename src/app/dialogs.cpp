#include "app/dialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>

#include <algorithm>

#include "dialogs/filedialogcolumns.h"
#include "dialogs/filterlist.h"
#include "app/windowlanguage.h"
#include "project/messages.h"
#include "dialogs/tcopendialog.h"

namespace tp {
namespace {

// "aif" for a type whose first pattern is "*.aif"; empty for "*" or "*.w?v".
QString SimpleExtension(const FileTypeFilter& type) {
  const QString pattern = type.patterns.value(0);
  if (!pattern.startsWith(QLatin1String("*."))) return QString();
  const QString extension = pattern.mid(2);
  const bool wild = extension.contains(QLatin1Char('*')) || extension.contains(QLatin1Char('?'));
  return wild ? QString() : extension;
}

}  // namespace

int TitleRoom(const QString& title) {
  constexpr int IconAndButtons = 120;
  QFont bold = QApplication::font();
  bold.setBold(true);
  return QFontMetrics(bold).horizontalAdvance(title) + IconAndButtons;
}

void KeepTitleWhole(QMessageBox& box) {
  // QMessageBox fixes its own size from its layout's minimum: a spacer as
  // wide as the title is what widens it.
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  if (!grid) return;
  grid->addItem(new QSpacerItem(TitleRoom(box.windowTitle()), 0, QSizePolicy::Fixed, QSizePolicy::Fixed),
                grid->rowCount(), 0, 1, grid->columnCount());
}

std::optional<QString> StandardDialogs::InputBox(QWidget* owner, const QString& caption, const QString& prompt,
                                                 const QString& value) {
  bool ok = false;
  const QString text = QInputDialog::getText(owner, caption, prompt, QLineEdit::Normal, value, &ok);
  if (!ok) return std::nullopt;
  return text;
}

bool StandardDialogs::Confirm(QWidget* owner, const QString& caption, const QString& text) {
  QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, owner);
  box.setDefaultButton(QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  KeepTitleWhole(box);
  return box.exec() == QMessageBox::Yes;
}

void StandardDialogs::Message(QWidget* owner, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, MessageText(messages::ApplicationTitle), text, QMessageBox::Ok, owner);
  KeepTitleWhole(box);
  box.exec();
}

int StandardDialogs::ShowModal(QDialog& form) { return form.exec(); }

QAction* StandardDialogs::Popup(QMenu& menu, QPoint globalPosition) { return menu.exec(globalPosition); }

namespace {

// The caller's own choice as one more row of Qt's dialog (its layout is a
// grid of a label and a field per row), under the file type.
QComboBox* AddChoiceBelowTypes(QFileDialog& files, const SaveDialog& dialog) {
  auto* grid = qobject_cast<QGridLayout*>(files.layout());
  if (!grid || dialog.choices.isEmpty()) return nullptr;
  auto* box = new QComboBox(&files);
  box->addItems(dialog.choices);
  box->setCurrentIndex(std::clamp(dialog.choice, 0, int(dialog.choices.size()) - 1));
  auto* label = new QLabel(dialog.choiceLabel, &files);
  label->setBuddy(box);
  const int row = grid->rowCount();
  grid->addWidget(label, row, 0);
  grid->addWidget(box, row, 1);
  return box;
}

}  // namespace

bool StandardDialogs::SaveFile(QWidget* owner, SaveDialog& dialog) {
  const QList<FileTypeFilter> types = ParseFilterList(dialog.filter);
  const QStringList names = QtNameFilters(types);
  QFileDialog files(owner);
  // Qt's own dialog, like the import's open dialog, so that both look alike
  // and the extension can follow the chosen type (below).
  files.setOption(QFileDialog::DontUseNativeDialog);
  files.setOption(QFileDialog::HideNameFilterDetails);
  files.setAcceptMode(QFileDialog::AcceptSave);
  files.setFileMode(QFileDialog::AnyFile);
  files.setNameFilters(names);
  // A name typed without an extension gets the chosen type's, as the
  // desktop's own save dialogs do, so that "song" under "AIFF(*.aif)"
  // becomes song.aif and the overwrite question asks about that file.
  const auto followType = [&](const QString& name) {
    const int index = FilterIndexOf(types, name);
    const QString extension = index > 0 ? SimpleExtension(types[index - 1]) : QString();
    files.setDefaultSuffix(extension.isEmpty() ? dialog.defaultExt : extension);
  };
  QObject::connect(&files, &QFileDialog::filterSelected, &files, followType);
  if (!names.isEmpty()) {
    const QString first = names.value(std::clamp(dialog.filterIndex, 1, int(names.size())) - 1);
    files.selectNameFilter(first);
    followType(first);
  } else {
    files.setDefaultSuffix(dialog.defaultExt);
  }
  if (!dialog.fileName.isEmpty()) files.selectFile(dialog.fileName);
  SizeDetailColumnsToContents(files);

  QComboBox* extraChoice = AddChoiceBelowTypes(files, dialog);

  if (files.exec() != QDialog::Accepted || files.selectedFiles().isEmpty()) return false;
  dialog.fileName = files.selectedFiles().constFirst();
  if (extraChoice) dialog.choice = extraChoice->currentIndex();
  dialog.filterIndex = std::max(1, FilterIndexOf(types, files.selectedNameFilter()));
  return true;
}

bool StandardDialogs::OpenFile(TCOpenDialog& dialog) { return dialog.Execute(); }

std::optional<QString> StandardDialogs::ChooseFolder(QWidget* owner, const QString& caption, const QString& start) {
  // Qt's own dialog, as for saving, so that every file dialog of the
  // window looks alike, its columns and side bar sized to what they show.
  QFileDialog files(owner, caption, start);
  files.setOption(QFileDialog::DontUseNativeDialog);
  files.setOption(QFileDialog::ShowDirsOnly);
  files.setFileMode(QFileDialog::Directory);
  SizeDetailColumnsToContents(files);
  if (files.exec() != QDialog::Accepted || files.selectedFiles().isEmpty()) return std::nullopt;
  return files.selectedFiles().constFirst();
}

std::optional<int> StandardDialogs::ChooseItem(QWidget* owner, const QString& caption, const QString& label,
                                               const QStringList& items, int current) {
  bool ok = false;
  const QString chosen = QInputDialog::getItem(owner, caption, label, items, current, false, &ok);
  if (!ok) return std::nullopt;
  const qsizetype index = items.indexOf(chosen);
  if (index < 0) return std::nullopt;
  return int(index);
}

}  // namespace tp
