#include "dialogs/tcopendialog.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QLineEdit>

#include "dialogs/filedialogcolumns.h"
#include "dialogs/filterlist.h"
#include "dialogs/tdialogcustomizer.h"

namespace tp {

TCOpenDialog::TCOpenDialog(QWidget* owner) : owner_(owner) {}

TCOpenDialog::~TCOpenDialog() {
  unit_.DialogDestroyed();
  delete dialogWindow_;
}

TDialogCustomizer* TCOpenDialog::Customizer() const { return customizer_.get(); }

void TCOpenDialog::SetUpFileDialog(QFileDialog& files) {
  // Qt's own dialog, not the desktop's: only it can live inside another
  // window beside the sub-form.
  files.setOption(QFileDialog::DontUseNativeDialog);
  files.setWindowFlags(Qt::Widget);
  files.setSizeGripEnabled(false);
  files.setAcceptMode(QFileDialog::AcceptOpen);
  // Like the open dialog it stands for, it does not insist that a typed
  // name exists; the caller finds out when it opens the file. Choosing
  // several files needs them to exist, as Qt's dialog has it.
  files.setFileMode(multiSelect_ ? QFileDialog::ExistingFiles : QFileDialog::AnyFile);
  // The file type list shows each text as written, e.g. "Audio(*.wav;*.aif)";
  // the patterns travel in a group of their own that is not shown.
  files.setOption(QFileDialog::HideNameFilterDetails);
  files.setFilter(files.filter() & ~QDir::CaseSensitive);
  const QList<FileTypeFilter> types = ParseFilterList(filter_);
  const QStringList nameFilters = QtNameFilters(types);
  if (!nameFilters.isEmpty()) {
    files.setNameFilters(nameFilters);
    files.selectNameFilter(nameFilters.value(filterIndex_ - 1, nameFilters.front()));
  }
  files.setDefaultSuffix(defaultExt_);
  SizeDetailColumnsToContents(files);

  QString folder = initialDir_;
  const QFileInfo given(fileName_);
  if (!fileName_.isEmpty() && (given.isAbsolute() || fileName_.contains(QLatin1Char('/'))))
    folder = given.absolutePath();
  if (!folder.isEmpty()) files.setDirectory(folder);
  if (!fileName_.isEmpty()) files.selectFile(given.fileName());

  connect(&files, &QFileDialog::currentChanged, this, [this](const QString& path) {
    fileName_ = path;
    if (OnSelectionChange) OnSelectionChange(this);
  });
  connect(&files, &QFileDialog::directoryEntered, this, [this] { FolderChanged(); });
  connect(&files, &QFileDialog::filterSelected, this, [this, types](const QString& chosen) {
    if (const int index = FilterIndexOf(types, chosen)) filterIndex_ = index;
  });
}

bool TCOpenDialog::Execute() {
  if (dialogWindow_) return false;  // already running
  const QString fileNameBefore = fileName_;

  QWidget* mainWindow = owner_ ? owner_->window() : nullptr;
  auto* window = new QDialog(mainWindow);
  window->setWindowTitle(title_.isEmpty() ? tr("Open") : title_);
  auto* files = new QFileDialog(window);
  SetUpFileDialog(*files);
  connect(files, &QFileDialog::finished, window, &QDialog::done);
  files->setGeometry(QRect(QPoint(0, 0), files->sizeHint()));
  window->resize(files->size());
  dialogWindow_ = window;
  fileDialog_ = files;

  customizer_ = std::make_unique<TSizingDialogCustomizer>();
  unit_.RegisterCustomizer(*customizer_, *window, *files);
  if (OnShow) OnShow(this);
  startPending_ = true;
  window->installEventFilter(this);

  const bool chosen = window->exec() == QDialog::Accepted && !files->selectedFiles().isEmpty();
  fileNames_.clear();
  if (chosen) {
    fileName_ = files->selectedFiles().front();
    if (multiSelect_) fileNames_ = files->selectedFiles();
  } else {
    fileName_ = fileNameBefore;
  }

  window->removeEventFilter(this);
  unit_.DialogDestroyed();
  if (OnClose) OnClose(this);
  customizer_.reset();
  fileDialog_ = nullptr;
  dialogWindow_ = nullptr;
  delete window;
  return chosen;
}

bool TCOpenDialog::eventFilter(QObject* watched, QEvent* event) {
  // The start comes with the first show, before the window appears: the
  // first layout and the position are in place when it is first drawn.
  if (watched == dialogWindow_ && event->type() == QEvent::Show && startPending_) FolderChanged();
  return false;
}

void TCOpenDialog::FolderChanged() {
  if (startPending_) {
    unit_.StartCustomize();
    startPending_ = false;
    // A path typed as soon as the dialog opens goes into the file name.
    if (auto* name = fileDialog_->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) name->setFocus();
  }
  if (OnFolderChange) OnFolderChange(this);
}

}  // namespace tp
