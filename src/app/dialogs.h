// The modal dialogs the main window runs, behind one small interface so
// that tests can answer them. StandardDialogs shows the real ones.
#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>

#include <optional>

class QAction;
class QDialog;
class QMenu;
class QMessageBox;
class QWidget;

namespace tp {

class TCOpenDialog;

// The export's save dialog (the window's WavSave): what it offers, and after
// a run what the user chose.
struct SaveDialog {
  QString filter;        // pairs of a shown text and its patterns, all "|"-separated
  QString defaultExt;    // given to a name typed without an extension, e.g. "wav"
  QString fileName;      // the full path chosen; also the name offered next time
  int filterIndex = 1;   // the pair chosen, 1 for the first
  // A choice of the caller's own under the file type ("Normalise to"),
  // shown when `choices` is not empty: `choice` is the index offered, and
  // after a run the one chosen.
  QString choiceLabel;
  QStringList choices;
  int choice = 0;
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // An input box with OK and Cancel and an edit holding `value`: the text
  // entered, or nothing when the box was cancelled or closed.
  virtual std::optional<QString> InputBox(QWidget* owner, const QString& caption, const QString& prompt,
                                          const QString& value) = 0;
  // A Yes/No question with the question icon; true only for Yes. No is the
  // default button: Enter, like Escape, changes nothing.
  virtual bool Confirm(QWidget* owner, const QString& caption, const QString& text) = 0;
  // A plain message box with one OK button, captioned with the program's title.
  virtual void Message(QWidget* owner, const QString& text) = 0;
  // Runs a form modally and returns the result it closed with.
  virtual int ShowModal(QDialog& form) = 0;
  // Opens a popup menu at a screen position; returns the item chosen, whose
  // action has then been triggered, or nullptr.
  virtual QAction* Popup(QMenu& menu, QPoint globalPosition) = 0;
  // Runs the save dialog; true when the user chose a name, which `dialog`
  // then holds with the filter chosen. The dialog asks before an existing
  // file is overwritten.
  virtual bool SaveFile(QWidget* owner, SaveDialog& dialog) = 0;
  // Runs the open dialog (Execute); true when the user chose a file, whose
  // path is then its FileName.
  virtual bool OpenFile(TCOpenDialog& dialog) = 0;
  // Asks for an existing folder, starting in `start`: its path, or nothing
  // when the user cancelled.
  virtual std::optional<QString> ChooseFolder(QWidget* owner, const QString& caption, const QString& start) = 0;
  // Asks for one of `items` (the one at `current` offered): the index
  // chosen, or nothing when the user cancelled.
  virtual std::optional<int> ChooseItem(QWidget* owner, const QString& caption, const QString& label,
                                        const QStringList& items, int current) = 0;
};

// A message box as wide as its title needs: a window manager cuts a title
// wider than its box ("TrackPorter …s Version 2"). Call before exec().
void KeepTitleWhole(QMessageBox& box);
// The width KeepTitleWhole gives a box of `title` at the least: the title
// in bold (as title bars draw it) and room for the bar's icon and buttons.
int TitleRoom(const QString& title);

class StandardDialogs : public Dialogs {
 public:
  std::optional<QString> InputBox(QWidget* owner, const QString& caption, const QString& prompt,
                                  const QString& value) override;
  bool Confirm(QWidget* owner, const QString& caption, const QString& text) override;
  void Message(QWidget* owner, const QString& text) override;
  int ShowModal(QDialog& form) override;
  QAction* Popup(QMenu& menu, QPoint globalPosition) override;
  bool SaveFile(QWidget* owner, SaveDialog& dialog) override;
  bool OpenFile(TCOpenDialog& dialog) override;
  std::optional<QString> ChooseFolder(QWidget* owner, const QString& caption, const QString& start) override;
  std::optional<int> ChooseItem(QWidget* owner, const QString& caption, const QString& label,
                                const QStringList& items, int current) override;
};

}  // namespace tp
