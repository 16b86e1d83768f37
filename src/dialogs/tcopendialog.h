// TCOpenDialog: the file-open dialog carrying a form of the program's own,
// the sub-form, beside its controls. The dialog is Qt's own file dialog
// embedded in a dialog window together with the sub-form; a
// TSizingDialogCustomizer grows the window by the sub-form's size, keeps
// both laid out while the user resizes it, opens it centred one third down
// the main window's monitor the first time and where the user left it
// afterwards, and hands the sub-form back unchanged when it closes.
//
//   TCOpenDialog WavOpen(mainWindow);
//   WavOpen.SetFilter("Audio(*.wav;*.aif)|*.wav;*.aif|...");
//   WavOpen.SetSubFormPos(fpBottom);
//   WavOpen.OnSelectionChange = [&](TCOpenDialog* sender) { ... sender->FileName() ... };
//   WavOpen.SetSubForm(getWin);
//   if (WavOpen.Execute()) import(WavOpen.FileName());
//
// User-interface thread only; Execute runs the dialog modally.
#pragma once

#include <QDialog>
#include <QFileDialog>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

#include "dialogs/subformlayout.h"
#include "dialogs/tcustomdlgsunit.h"

namespace tp {

class TDialogCustomizer;

class TCOpenDialog : public QObject {
  Q_OBJECT

 public:
  // `owner` is a widget of the main window: the dialog is modal to it and
  // opens on its monitor.
  explicit TCOpenDialog(QWidget* owner = nullptr);
  ~TCOpenDialog() override;

  // Shows the dialog modally; true when the user chose a file, which
  // FileName then holds. On cancel FileName is what it was before.
  bool Execute();

  // The platform dialog's properties.
  // The full path of the chosen file; while the dialog is open, of the file
  // under selection.
  QString FileName() const { return fileName_; }
  void SetFileName(const QString& fileName) { fileName_ = fileName; }
  // With MultiSelect the user may choose several existing files; after
  // Execute, FileNames holds every one in the order of the folder's list
  // (FileName the first). Without it, FileNames holds FileName alone.
  bool MultiSelect() const { return multiSelect_; }
  void SetMultiSelect(bool value) { multiSelect_ = value; }
  QStringList FileNames() const { return fileNames_.isEmpty() ? QStringList{fileName_} : fileNames_; }
  // Pairs of a shown text and ";"-separated patterns, all separated by "|".
  // Matching ignores letter case, so "*.wav" finds TAKE.WAV too.
  QString Filter() const { return filter_; }
  void SetFilter(const QString& filter) { filter_ = filter; }
  // 1 for the first pair.
  int FilterIndex() const { return filterIndex_; }
  void SetFilterIndex(int index) { filterIndex_ = index; }
  // Appended to a typed name without an extension, e.g. "wav".
  QString DefaultExt() const { return defaultExt_; }
  void SetDefaultExt(const QString& extension) { defaultExt_ = extension; }
  QString InitialDir() const { return initialDir_; }
  void SetInitialDir(const QString& folder) { initialDir_ = folder; }
  // The window title when Caption is empty; "Open" when this is empty too.
  QString Title() const { return title_; }
  void SetTitle(const QString& title) { title_ = title; }

  // The selection in the file list changed; FileName already says to what.
  std::function<void(TCOpenDialog* sender)> OnSelectionChange;
  // The dialog has started, or the user went to another folder.
  std::function<void(TCOpenDialog* sender)> OnFolderChange;
  // The dialog window exists and is about to be shown / has closed.
  std::function<void(TCOpenDialog* sender)> OnShow;
  std::function<void(TCOpenDialog* sender)> OnClose;

  // The sub-form and its placement, kept in the dialog's unit (see
  // TCustomDlgsUnit for what may change while the dialog is open).
  TCustomDlgsUnit& Unit() { return unit_; }
  const TCustomDlgsUnit& Unit() const { return unit_; }
  QWidget* SubForm() const { return unit_.SubForm(); }
  void SetSubForm(QWidget* form) { unit_.SetSubForm(form); }
  TSubFormPos SubFormPos() const { return unit_.SubFormPos(); }
  void SetSubFormPos(TSubFormPos position) { unit_.SetSubFormPos(position); }
  TSubFormAnchors SubFormAnchors() const { return unit_.SubFormAnchors(); }
  void SetSubFormAnchors(TSubFormAnchors anchors) { unit_.SetSubFormAnchors(anchors); }
  TDialogMinEdgeSpace MinEdgeSpace() const { return unit_.MinEdgeSpace(); }
  void SetMinEdgeSpace(const TDialogMinEdgeSpace& space) { unit_.SetMinEdgeSpace(space); }
  bool DialogSizing() const { return unit_.DialogSizing(); }
  void SetDialogSizing(bool value) { unit_.SetDialogSizing(value); }
  QString Caption() const { return unit_.Caption(); }
  void SetCaption(const QString& caption) { unit_.SetCaption(caption); }
  QIcon Icon() const { return unit_.Icon(); }
  void SetIcon(const QIcon& icon) { unit_.SetIcon(icon); }
  int Left() const { return unit_.Left(); }
  int Top() const { return unit_.Top(); }
  void SetLeft(int left) { unit_.SetLeft(left); }
  void SetTop(int top) { unit_.SetTop(top); }

  // While Execute runs: the dialog window, the file dialog inside it and the
  // customizer; null otherwise.
  QDialog* DialogWindow() const { return dialogWindow_; }
  QFileDialog* FileDialog() const { return fileDialog_; }
  TDialogCustomizer* Customizer() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SetUpFileDialog(QFileDialog& files);
  void FolderChanged();

  QPointer<QWidget> owner_;
  TCustomDlgsUnit unit_;
  std::unique_ptr<TDialogCustomizer> customizer_;
  QPointer<QDialog> dialogWindow_;
  QPointer<QFileDialog> fileDialog_;
  bool startPending_ = false;

  QString fileName_;
  QStringList fileNames_;
  bool multiSelect_ = false;
  QString filter_;
  int filterIndex_ = 1;
  QString defaultExt_;
  QString initialDir_;
  QString title_;
};

}  // namespace tp
