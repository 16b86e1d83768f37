// What the export and the import share in the window: both run on this
// thread inside their button's click handler and let the window's events run
// once per block, which is how the second click on the button, the abort,
// gets through.
#include <QApplication>
#include <QCursor>
#include <QLabel>

#include <algorithm>
#include <limits>

#include "app/tmainwin.h"
#include "app/windowlanguage.h"
#include "controls/tbpbtn.h"
#include "controls/tslider.h"

namespace tp {
namespace {

// The hourglass for as long as it lives; the cursor before it comes back.
class BusyCursor {
 public:
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

int SliderValue(uint32_t frames) { return int(std::min<uint32_t>(frames, std::numeric_limits<int>::max())); }

}  // namespace

ConversionResult TMainWin::RunConversion(ConversionKind kind, TBPBtn& button, const ConversionRun& convert) {
  const int maxBefore = Slider->Max(), positionBefore = Slider->Position();
  Conversion = kind;
  AbortRequested = false;
  // Letting events run does not idle the event loop, so the idle rules
  // would not see the conversion until it is over: apply them now.
  AppEventsIdle();

  ConversionResult result;
  {
    BusyCursor busy;
    StatusPanels[0]->setText(StopHint(kind));
    QCoreApplication::processEvents();
    Slider->SetPosition(0);
    ConversionHooks hooks;
    hooks.betweenBlocks = [this] {
      QCoreApplication::processEvents();
      return AbortRequested;
    };
    // The slider's range is the length converted; it moves to the start of
    // each block once that block is written.
    hooks.progress = [this](uint32_t position, uint32_t total) {
      Slider->SetMax(SliderValue(total));
      Slider->SetPosition(SliderValue(position));
    };
    result = convert(hooks);
  }
  StatusPanels[0]->clear();

  // A failure names the file and the system's reason on a second line,
  // unless its message places them itself.
  QString text = MessageText(result.message);
  if (PlacesItsDetail(result.message ? result.message : ""))
    text = QString::fromStdString(result.Text(TranslatedText));
  else if (!result.detail.empty())
    text += QLatin1Char('\n') + QString::fromStdString(result.detail);
  // Under "Converted": a mix that saturated says so, and an export its
  // loudness (and its normalisation).
  for (const std::string& line : LinesUnderConverted(result, TranslatedText))
    text += QLatin1Char('\n') + QString::fromStdString(line);
  dialogs_->Message(this, text);
  if (result.outcome == ConversionResult::Failed) {
    // Nothing was converted: the slider shows what it showed before.
    Slider->SetMax(maxBefore);
    Slider->SetPosition(positionBefore);
  } else {
    Slider->SetPosition(0);
  }
  button.SetDown(false);
  Conversion = ConversionIdle;
  AppEventsIdle();
  return result;
}

}  // namespace tp
