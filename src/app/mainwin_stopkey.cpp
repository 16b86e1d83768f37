// Escape in the main window stops whatever runs long: an export or an import
// (as the second click on its button does) and an archive, a restore or an
// export to a DAW (as the progress dialog's Cancel does, which takes Escape
// itself only while it has the focus). With nothing running the key goes on
// to the control that has the focus.
#include <QProgressDialog>

#include "app/tmainwin.h"
#include "controls/tbpbtn.h"

namespace tp {

bool TMainWin::StopKey() {
  if (Conversion != ConversionIdle) {
    // The running conversion's button comes up, as under the second click,
    // and the conversion stops before its next block.
    (Conversion == ConversionExport ? ExpBtn : ImpBtn)->SetDown(false);
    AbortRequested = true;
    return true;
  }
  if (!ArchiveRunning || !archiveProgress_) return false;
  emit archiveProgress_->canceled();
  return true;
}

QString TMainWin::StopHint(ConversionKind kind) {
  return kind == ConversionExport ? tr("Press Esc or click EXPORT again to stop")
                                  : tr("Press Esc or click IMPORT again to stop");
}

}  // namespace tp
