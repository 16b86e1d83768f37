// The sound output the audition plays on: named on the Mixer page, and when
// there is none (or it would not start) PLAY comes back up and the user is
// told, in the status bar and in a message box, rather than shown a PLAY
// that plays nothing. The transport looks for the output again at every
// PLAY, so one plugged in meanwhile is used without a restart.
#include <QLabel>

#include "app/tmainwin.h"
#include "app/windowlanguage.h"
#include "controls/tbitpanel.h"
#include "controls/tbpbtn.h"
#include "project/messages.h"

namespace tp {

void TMainWin::BuildSoundOutputLabel() {
  // Below INIT, across the strips: a device's name is long, two lines.
  SoundOutput = new QLabel(MixerPanel);
  SoundOutput->setGeometry(6, 394, 154, 36);
  SoundOutput->setWordWrap(true);
  SoundOutput->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  SoundOutput->setPalette(FaderLabel->palette());
  SoundOutput->setFont(FaderLabel->font());
  ShowSoundOutput();
}

void TMainWin::ShowSoundOutput() {
  const QString name = QString::fromStdString(transport_->OutputName());
  const QString text = name.isEmpty() ? tr("Output: none found") : tr("Output: %1").arg(name);
  SoundOutput->setText(text);
  SoundOutput->setToolTip(text);
}

void TMainWin::AuditionNotStarted(int result) {
  Playing = false;
  AudBtn->SetDown(false);
  PauseThumbnailsWhileBusy();
  const QString text =
      MessageText(result == StartWithoutOutput ? messages::NoSoundOutput : messages::SoundOutputNotStarted);
  StatusPanels[0]->setText(text);
  dialogs_->Message(this, text);
}

}  // namespace tp
