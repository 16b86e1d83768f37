// The question an import asks about a file of more channels than import
// tracks were chosen: the design took only the first channels, a DAW's
// poly file (a drum kit's 8 microphones, a 16-channel session) wants one
// track each, on the tracks from the first chosen import track, all on its
// chosen take. Where the tracks run out before the channels do, the user
// is told how many channels fit before any is left out.
#include <QMessageBox>
#include <QPushButton>

#include "app/tmainwin.h"
#include "app/windowlanguage.h"
#include "project/messages.h"

namespace tp {
namespace {

enum class ChannelAnswer { All, FirstOnly, Cancel };

// A Yes / (`firstOnly`, when given) / Cancel question; Yes is the default,
// Escape cancels.
ChannelAnswer AskAboutChannels(QWidget* owner, const QString& question, const QString& firstOnly) {
  QMessageBox box(QMessageBox::Question, MessageText(messages::ApplicationTitle), question, QMessageBox::NoButton,
                  owner);
  QPushButton* all = box.addButton(QMessageBox::Yes);
  QPushButton* first = firstOnly.isEmpty() ? nullptr : box.addButton(firstOnly, QMessageBox::NoRole);
  QPushButton* cancel = box.addButton(QMessageBox::Cancel);
  box.setDefaultButton(all);
  box.setEscapeButton(cancel);
  KeepTitleWhole(box);
  box.exec();
  if (first && box.clickedButton() == first) return ChannelAnswer::FirstOnly;
  return box.clickedButton() == all ? ChannelAnswer::All : ChannelAnswer::Cancel;
}

}  // namespace

std::optional<bool> TMainWin::AskAllChannels(ImportPreparation& prepared) {
  const uint32_t channels = prepared.format.channels;
  const ImportTarget first = prepared.targets.first;
  const size_t chosen = prepared.targets.InChannelOrder().size();
  const int remaining = TrackCount - first.track;
  // A master take has two files; a file with no more channels than chosen
  // tracks loses none; stereo with room keeps the design's two import tracks.
  if (prepared.targets.masterMode || channels <= chosen) return false;
  if (channels <= 2 && remaining >= int(channels)) return false;
  const QString firstOnly = MessageText(chosen == 1 ? messages::FirstChannelOnly : messages::FirstChannelsOnly);
  if (remaining == 1) {
    const char* question = channels == 2 ? messages::ImportLeftChannelOnly : messages::ImportFirstChannelOnly;
    if (AskAboutChannels(this, MessageText(question).arg(TrackCount), QString()) == ChannelAnswer::Cancel)
      return std::nullopt;
    return false;
  }
  const int taken = std::min(int(channels), remaining);
  const QString question =
      taken == int(channels)
          ? MessageText(messages::ImportAllChannels)
                .arg(channels)
                .arg(first.track + 1)
                .arg(first.track + taken)
                .arg(first.take + 1)
          : MessageText(messages::ImportSomeChannels).arg(taken).arg(channels).arg(first.track + 1).arg(TrackCount);
  const ChannelAnswer answer = AskAboutChannels(this, question, firstOnly);
  if (answer == ChannelAnswer::Cancel) return std::nullopt;
  if (answer == ChannelAnswer::FirstOnly) return false;
  std::vector<ImportTarget> inChannelOrder;
  for (int channel = 0; channel < taken; ++channel) inChannelOrder.push_back({first.track + channel, first.take});
  RetargetImport(model_, inChannelOrder, prepared);
  return true;
}

}  // namespace tp
