// TNfWin: the small dialog that asks for the name of a new folder. It is
// created once at start-up and kept, so the edit keeps the last name typed.
// CANCEL is the default button: Enter cancels, only OK confirms.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tp {

// The folder to create: `name` exactly as typed, inside `selectedFolder`
// (the tree's path, empty for the Desktop, which stands for the root).
QString NewFolderPath(const QString& selectedFolder, const QString& name);

class TNfWin : public QDialog {
  Q_OBJECT

 public:
  // The results the dialog closes with.
  enum Result { ResultOk = 1, ResultCancel = 2 };

  explicit TNfWin(QWidget* parent = nullptr);

  QString FolderName() const;

  QLabel* Label1 = nullptr;
  QLineEdit* FolderEdit = nullptr;
  QPushButton* OkBtn = nullptr;
  QPushButton* CanBtn = nullptr;

 public slots:
  // Escape and the frame's close button cancel too.
  void reject() override;

 protected:
  // Each time the dialog shows, typing goes to the name, and replaces it.
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  // Set from showing until the dialog first becomes active.
  bool selectOnActivation_ = false;
};

}  // namespace tp
