// TGetWin: the wave preview form that the import's open dialog carries along
// its bottom edge. It shows the sampling rate, the length and the word size
// of the file under selection and its outline (read on a thread of its own,
// so that the dialog never waits for a long file), and plays the file from
// its start for as long as its button is held down, its position drawn over
// the outline.
//
// User-interface thread only. The sound output reports played blocks from
// its own thread; they are posted to this form and handled here, so the
// output never waits for the form.
#pragma once

#include <QFrame>
#include <QLabel>
#include <QString>
#include <QToolButton>
#include <QWidget>

#include <memory>

#include "playback/previewoutput.h"
#include "playback/wavepreview.h"
#include "dialogs/twaveview.h"
#include "waveform/fileoutlineworker.h"

namespace tp {

class TGetWin : public QWidget {
  Q_OBJECT

 public:
  // Plays through `output`; by default the computer's sound output through
  // PortAudio. Without a parent the form is a window of its own, hidden
  // until an open dialog adopts it.
  // `outlineReading` is called on the outline's thread before it reads a
  // file (tests).
  explicit TGetWin(QWidget* parent = nullptr, std::unique_ptr<PreviewOutput> output = nullptr,
                   FileOutlineWorker::Hook outlineReading = {});
  ~TGetWin() override;

  // The file under selection in the open dialog; empty at creation.
  QString PreviewFile() const { return previewFile_; }
  void SetPreviewFile(const QString& path) { previewFile_ = path; }

  // Refreshes the three labels from PreviewFile: its format, or the bare
  // captions when it is not a WAV or AIFF file. An empty PreviewFile leaves
  // them as they are. The outline follows when it has been read.
  void ShowWaveInfo();

  // Any mouse button on AudBtn starts a preview of PreviewFile; releasing
  // any button stops it.
  void AudBtnMouseDown(Qt::MouseButton button);
  void AudBtnMouseUp(Qt::MouseButton button);
  // Silences the preview at once and closes its file.
  void StopPreview();

  QFrame* Bevel1() const { return bevel1_; }
  QLabel* FsLabel() const { return fsLabel_; }
  QLabel* FramesLabel() const { return framesLabel_; }
  QLabel* BitLabel() const { return bitLabel_; }
  QToolButton* AudBtn() const { return audBtn_; }
  TWaveView* WaveView() const { return waveView_; }
  const WavePreview& Preview() const { return *preview_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // A form taken out of sight (its dialog closed under a held button) must
  // not go on playing.
  void hideEvent(QHideEvent* event) override;
  // The frame and the outline stretch across the form's width, the
  // loudspeaker button stays at their right end; the height stays.
  void resizeEvent(QResizeEvent* event) override;

 private:
  static void SetCaption(QLabel* label, const QString& text);
  void KeepBitLabelClear();
  void StartOutlineWorker(FileOutlineWorker::Hook outlineReading);
  void RequestOutline();
  void ShowOutline(uint64_t request, const Status& status, SoundOutline outline);
  void ShowPreviewPosition();

  std::unique_ptr<PreviewOutput> output_;
  std::unique_ptr<WavePreview> preview_;  // refers to output_
  QString previewFile_;
  QFrame* bevel1_ = nullptr;
  QLabel* fsLabel_ = nullptr;
  QLabel* framesLabel_ = nullptr;
  QLabel* bitLabel_ = nullptr;
  QToolButton* audBtn_ = nullptr;
  int requestedColumns_ = 0;  // the columns of the outline asked for last
  TWaveView* waveView_ = nullptr;
  uint64_t outlineRequest_ = 0;  // the one whose result is awaited
  std::unique_ptr<FileOutlineWorker> outlineWorker_;  // posts to this form: goes first
};

}  // namespace tp
