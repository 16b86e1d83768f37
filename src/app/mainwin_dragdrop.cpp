// Takes dragged out to a file manager or an audio editor, and sound files
// dropped from a file manager onto the take matrices.
//
// A take cell dragged out of the window offers a mono WAV of the take at its
// exact length, as `stems` writes it and named as the export suggests; it is
// complete in a folder of the window's own before the drag starts, so the
// receiver never sees half a file. The folder goes when the window does.
//
// A dropped file is imported into the cell it was dropped on, with the
// IMPORT button's engine, progress, abort and questions. A stereo file on a track take fills
// that take and the same take of the next track (on track 16 only the left
// channel has a place); on a master take it fills both of its files. The
// drop chooses the import targets as the user would with clicks, so the
// matrices show afterwards what was imported.
#include <QDir>
#include <QDrag>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include <algorithm>
#include <memory>
#include <optional>

#include "app/tmainwin.h"
#include "convert/importsource.h"
#include "controls/tbpbtn.h"
#include "controls/tbtnmtx.h"
#include "archive/stemfile.h"

namespace tp {
namespace {

// The one local file a drag carries, if it carries exactly that. Whether
// it is sound is known from its contents, as for a file chosen in the open
// dialog (an RF64 file is often named .wav, a FLAC file may have no
// extension at all).
std::optional<std::filesystem::path> DroppedSoundFile(const QMimeData* data) {
  if (!data || !data->hasUrls() || data->urls().size() != 1) return std::nullopt;
  const QUrl url = data->urls().constFirst();
  if (!url.isLocalFile()) return std::nullopt;
  return std::filesystem::path(QFile::encodeName(url.toLocalFile()).toStdString());
}

// The format of the file, when it is sound the import can read, asked of
// its contents once a drag (a drag moving over the grid asks on every move,
// and the drop asks again for the channels).
std::optional<SourceFormat> ProbedSound(const std::filesystem::path& path, bool dragStarts) {
  static std::filesystem::path lastPath;
  static std::optional<SourceFormat> lastFormat;
  if (dragStarts || path != lastPath) {
    SourceFormat format;
    lastFormat = ProbeSourceFile(path, format).ok() ? std::optional(format) : std::nullopt;
    lastPath = path;
  }
  return lastFormat;
}

}  // namespace

void TMainWin::WireDragDrop() {
  for (TBtnMtx* matrix : {TakeSel, MasTakeSel}) matrix->setAcceptDrops(true);
  TakeSel->SetDragOut(true);
  connect(TakeSel, &TBtnMtx::OnDragOut, this, [this](TBtnMtx*, int row, int column) { DragTakeOut(row, column); });
}

QString TMainWin::WriteDragFile(int track, int take) {
  if (!TakeSel->GetAssigned(track, take)) return QString();
  if (!dragFolder_) dragFolder_ = std::make_unique<QTemporaryDir>();
  if (!dragFolder_->isValid()) return QString();
  const std::string stem = StemFileStem(TakeLabel(track, take), model_.TakeSel[track][take].caption);
  const QString file = QDir(dragFolder_->path()).filePath(QString::fromStdString(stem) + QStringLiteral(".wav"));
  StemSource source;
  source.left = model_.TakePath(track, take);
  source.length = uint32_t(std::max(0, model_.TakeLength(track, take)));
  const ConversionResult result =
      ExportStem(source, QFile::encodeName(file).toStdString(), FormatWav, ConversionHooks{});
  return result.outcome == ConversionResult::Converted ? file : QString();
}

void TMainWin::DragTakeOut(int track, int take) {
  const QString file = WriteDragFile(track, take);
  if (file.isEmpty()) return;
  auto* data = new QMimeData;
  data->setUrls({QUrl::fromLocalFile(file)});
  auto* drag = new QDrag(TakeSel);
  drag->setMimeData(data);
  drag->exec(Qt::CopyAction);
}

bool TMainWin::DragDropFilter(QObject* watched, QEvent* event) {
  if (watched != TakeSel && watched != MasTakeSel) return false;
  auto* matrix = static_cast<TBtnMtx*>(watched);
  const QEvent::Type type = event->type();
  if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) return false;
  auto* drop = static_cast<QDropEvent*>(event);
  const QPoint at = drop->position().toPoint();
  const std::optional<std::filesystem::path> source = DroppedSoundFile(drop->mimeData());
  // The idle rules disable the matrices while anything runs; a disabled
  // matrix takes nothing.
  if (!source || !matrix->isEnabled() || !matrix->rect().contains(at) ||
      !ProbedSound(*source, type == QEvent::DragEnter)) {
    drop->ignore();
    return true;
  }
  drop->setDropAction(Qt::CopyAction);
  drop->accept();
  if (type != QEvent::Drop) return true;
  const int row = matrix->RowAt(at.y()), column = matrix->ColAt(at.x());
  if (matrix == TakeSel) DropOnTake(row, column, *source);
  else DropOnMasterTake(column, *source);
  return true;
}

void TMainWin::DropOnTake(int track, int take, const std::filesystem::path& source) {
  // The import tracks as two clicks on TrackSel would choose them.
  while (model_.FirstImportTrack >= 0) model_.TrackSelClick(model_.FirstImportTrack);
  const std::optional<SourceFormat> format = ProbedSound(source, false);
  const bool stereo = format && format->channels >= 2 && track + 1 < TrackCount;
  for (int row = track; row <= (stereo ? track + 1 : track); ++row) {
    model_.TrackSelClick(row);
    if (!model_.TakeSel[row][take].down) model_.TakeSelClick(row, take);
  }
  MirrorMatrices();
  ShowSelection();
  ImportFrom(source);
}

void TMainWin::DropOnMasterTake(int take, const std::filesystem::path& source) {
  if (!model_.MasTakeSel[take].down) model_.MasTakeSelClick(take);
  MirrorMatrices();
  ShowSelection();
  ImportFrom(source);
}

}  // namespace tp
