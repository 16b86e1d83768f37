// The buttons over the folder tree: sorting it, reading it again, and a new
// folder under the one selected.
#include <QDir>

#include "app/tmainwin.h"
#include "folders/tnfwin.h"

namespace tp {

void TMainWin::SortBtnClick() { DirTree->SortAll(); }

void TMainWin::RefBtnClick() { DirTree->ReBuild(); }

void TMainWin::NewFldrBtnClick() {
  if (!nfWin_ || dialogs_->ShowModal(*nfWin_) != TNfWin::ResultOk) return;
  const QString path = NewFolderPath(DirTree->GetDirectory(), nfWin_->FolderName());
  QDir().mkdir(path);  // one level; failing is not reported, the rebuild shows what is there
  DirTree->ReBuild();
  DirTree->SetDirectory(path);
}

}  // namespace tp
