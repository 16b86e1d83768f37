// The question an import asks before it writes anything when the chosen
// file is not at the 44,100 Hz the recorder plays every take at: copied
// sample for sample, a 48 kHz file would play 8.8 % slow and about 1.5
// semitones flat, so the user chooses, and converting is the default.
#include <cmath>

#include <QApplication>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>

#include "app/tmainwin.h"
#include "app/windowlanguage.h"
#include "project/messages.h"
#include "convert/importsource.h"

namespace tp {

namespace {

// "48,000", "22,050.5": the rate as the question shows it.
QString rateText(long double rate) {
  const QLocale english(QLocale::English);
  const double value = static_cast<double>(rate);
  if (value == std::floor(value)) return english.toString(qlonglong(value));
  return english.toString(value, 'f', QLocale::FloatingPointShortest);
}

}  // namespace

std::optional<RateHandling> TMainWin::AskRateHandling(const SourceFormat& format) {
  if (!NeedsRateConversion(format.sampleRate)) return RateHandling::KeepSamples;
  QMessageBox box(QMessageBox::Question, MessageText(messages::ApplicationTitle),
                  tr("This file is %1 Hz; the recorder plays 44,100 Hz.").arg(rateText(format.sampleRate)),
                  QMessageBox::NoButton, this);
  box.setInformativeText(
      tr("Convert keeps its pitch and length. Keep samples copies it sample for sample: it will "
         "play %1.")
          .arg(format.sampleRate > TakeSampleRate ? tr("slower and lower") : tr("faster and higher")));
  QPushButton* convert = box.addButton(tr("Convert"), QMessageBox::AcceptRole);
  QPushButton* keep = box.addButton(tr("Keep samples"), QMessageBox::AcceptRole);
  QPushButton* cancel = box.addButton(tr("Cancel"), QMessageBox::RejectRole);
  box.setDefaultButton(convert);
  box.setEscapeButton(cancel);
  KeepTitleWhole(box);
  box.exec();
  if (box.clickedButton() == convert) return RateHandling::Convert;
  if (box.clickedButton() == keep) return RateHandling::KeepSamples;
  return std::nullopt;
}

}  // namespace tp
