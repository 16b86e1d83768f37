// The question an import asks about a file of more channels than import
// tracks were chosen: the design took only the first channels, a DAW's
// poly file (a drum kit's 8 microphones, a 16-channel session) wants one
// track each, on the tracks from the first chosen import track, all on its
// chosen take.
#include <QMessageBox>
#include <QPushButton>

#include "app/tmainwin.h"
#include "app/windowlanguage.h"
#include "project/messages.h"

namespace tp {

std::optional<bool> TMainWin::AskAllChannels(ImportPreparation& prepared) {
  const uint32_t channels = prepared.format.channels;
  const ImportTarget first = prepared.targets.first;
  // Stereo keeps the design's two import tracks; a master take has two
  // files; a file whose channels would run past the last track is taken
  // as the design takes it.
  if (channels <= 2 || prepared.targets.masterMode || channels <= prepared.targets.InChannelOrder().size() ||
      first.track + int(channels) > TrackCount)
    return false;
  QMessageBox box(QMessageBox::Question, MessageText(messages::ApplicationTitle),
                  MessageText(messages::ImportAllChannels)
                      .arg(channels)
                      .arg(first.track + 1)
                      .arg(first.track + int(channels))
                      .arg(first.take + 1),
                  QMessageBox::NoButton, this);
  QPushButton* all = box.addButton(QMessageBox::Yes);
  QPushButton* firstOnly = box.addButton(MessageText(messages::FirstChannelsOnly), QMessageBox::NoRole);
  QPushButton* cancel = box.addButton(QMessageBox::Cancel);
  box.setDefaultButton(all);
  box.setEscapeButton(cancel);
  KeepTitleWhole(box);
  box.exec();
  if (box.clickedButton() == firstOnly) return false;
  if (box.clickedButton() != all) return std::nullopt;
  std::vector<ImportTarget> inChannelOrder;
  for (uint32_t channel = 0; channel < channels; ++channel)
    inChannelOrder.push_back({first.track + int(channel), first.take});
  RetargetImport(model_, inChannelOrder, prepared);
  return true;
}

}  // namespace tp
