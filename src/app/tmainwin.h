// TMainWin: the program's one window. It holds the skinned face with the take
// matrices and the transport keys, the "Folders", "Time" and "Mixer" tabs and
// the status bar; it runs the dialogs and hands every decision about the
// project to ProjectModel (src/project), whose cells it mirrors into the
// matrices after each change.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <QPointer>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/dialogs.h"
#include "archive/archiveplan.h"
#include "archive/restoreplan.h"
#include "convert/conversion.h"
#include "convert/importengine.h"
#include "convert/importpreparation.h"
#include "folders/tdirtreeview.h"
#include "loudness/shorttermloudness.h"
#include "playback/transport.h"
#include "project/projectmodel.h"
#include "project/savedmixes.h"
#include "waveform/outlineworker.h"

class QAction;
class QProgressDialog;
class QSettings;
class QCheckBox;
class QTemporaryDir;
class QLabel;
class QMenu;
class QPushButton;
class QTabWidget;
class QTimer;

namespace tp {

class ArchiveRunner;

class TBPBtn;
class TBitPanel;
class TBtnMtx;
class TCOpenDialog;
class TGetWin;
class TLevelMeter;
class TNfWin;
class TSlider;
class TVersion;
class TVolume;
struct EditResult;

class TMainWin : public QWidget, private TransportEvents {
  Q_OBJECT

 public:
  // What the window talks to outside itself; every member left empty gets
  // the real thing (message boxes, the PortAudio output, this machine's
  // places). Tests hand in their own.
  struct Services {
    std::unique_ptr<Dialogs> dialogs;
    std::unique_ptr<SoundDevice> sound;
    TDirTreeView::PlaceSource places;
    // The settings file; empty for the user's configuration folder.
    QString settingsFile;
    // Called on the archiving thread after each file an archive wrote;
    // tests hold the thread there to press Cancel at a known point.
    std::function<void()> archiveFileWritten;
    // Where the takes' outlines are kept between runs; empty for the
    // user's cache folder.
    std::filesystem::path outlineCacheFolder;
    // Called on the outline thread before each take it reads; tests check
    // the thread and hold it there.
    std::function<void()> outlineReading;
    // The file of "Keep each song's mix"; empty for the user's
    // configuration folder.
    std::filesystem::path savedMixesFile;
  };

  // The layout was drawn for an 840 x 480 window whose frame takes 8 pixels
  // across and 27 down; the client area is what is left. The minimum width
  // is at least MinClientWidth, and more when the pages beside the face
  // need it (KeepPagesWhole).
  static constexpr int FrameWidth = 8, FrameHeight = 27;
  static constexpr int ClientWidth = 840 - FrameWidth, ClientHeight = 480 - FrameHeight;
  static constexpr int MinClientWidth = 700 - FrameWidth, MinClientHeight = 480 - FrameHeight;
  static constexpr int PanelWidth = 666;
  static constexpr int StatusBarHeight = 19;

  explicit TMainWin(Services services = {});
  ~TMainWin() override;

  // The new-folder form, created after the window at start-up.
  void SetNfWin(TNfWin* form) { nfWin_ = form; }
  // The wave preview form, created after the new-folder form; the import's
  // open dialog carries it.
  void SetGetWin(TGetWin* form);
  // The window's 12-pixel font, one that has the half-width katakana.
  static QFont WindowFont();
  // Where the window keeps its settings in the user's configuration folder.
  static QString UserSettingsFile();

  // Handlers (named after the control and the event).
  void AppEventsIdle();
  void AppEventsHint(const QString& hint);
  // Returns true when the character was consumed.
  bool FormKeyPress(QChar key);
  void DirTreeChange(const QString& path);
  void TakeSelClick(int row, int column);
  void TrackSelClick(int row);
  void MasterSelClick();
  void MasTakeSelClick(int column);
  void ProjNameDblClick();
  void TakePopupPopup(QPoint takeSelPosition);
  void ChangeNamePopupClick();
  void DelTakePopupClick();
  void MasPopupPopup(QPoint masTakeSelPosition);
  void MasNameClick();
  void MasDelClick();
  void SortBtnClick();
  void RefBtnClick();
  void NewFldrBtnClick();
  // Audition and mixer (mainwin_audition.cpp).
  void AudBtnClick();
  void SliderChanging(TSlider* slider, int position);
  void SliderChanged(TSlider* slider, int position);
  void Volume1Change(TVolume* control, int position);
  void Pan1Change(TVolume* control, int position);
  // Home puts the knob back to its default and consumes the key (key := 0).
  void Volume1KeyDown(TVolume* sender, int& key, Qt::KeyboardModifiers shift);
  void Pan1KeyDown(TVolume* sender, int& key, Qt::KeyboardModifiers shift);
  void InitBtnClick();
  // Level meters and the clip light (mainwin_meters.cpp). RefreshMeters
  // takes what the audition measured since the last look and moves the
  // meters; the meter timer calls it about 30 times a second.
  void RefreshMeters();
  void ClipLightClick();
  // Mute and solo (mainwin_mutesolo.cpp). A key M or S on the mixer page
  // toggles the strip whose knob has the focus; true when it did.
  void MuteSoloClick(TBPBtn* button);
  bool MuteSoloKey(QChar key);
  // Export (mainwin_export.cpp) and import (mainwin_import.cpp).
  void ExpBtnClick();
  void ImpBtnClick();
  void WavOpenSelectionChange(TCOpenDialog* sender);
  // The folder tree's menu: archiving and restoring songs (mainwin_archive.cpp).
  void DirTreeMenu(const QString& path, QPoint globalPosition);
  void ArchiveFolder(const QString& path);
  void RestoreInto(const QString& path);
  // The song as a DAW project file with the chosen takes and the mixer
  // (mainwin_daw.cpp).
  void ExportToDaw(const QString& path);

  // Recomputes the selection summary in the model and shows it.
  void UpdateSelection();

  ProjectModel& Model() { return model_; }
  const ProjectModel& Model() const { return model_; }
  // Empty until the tree has reported a folder; then the model's folder.
  QString ProjectFolder() const;
  // Selects `folder` in the tree instead of the one remembered: the folder
  // named on the command line ("trackporter SONGDIR", "Open with").
  void OpenAtStart(const QString& folder);
  Transport& Audition() { return *transport_; }
  // The thread that reads the takes' outlines for the grid (mainwin_thumbnails.cpp).
  OutlineWorker& Thumbnails() { return *thumbnails_; }

  // Run state besides the project model.
  QString BaseCaption;
  bool Playing = false;
  // What conversion runs; the values are the ones the idle rules test.
  enum ConversionKind : int32_t { ConversionIdle = 0, ConversionImport = 1, ConversionExport = 2 };
  ConversionKind Conversion = ConversionIdle;
  bool AbortRequested = false;
  // An archive or a restore runs on its own thread; the idle rules keep
  // everything that reads or changes takes disabled meanwhile.
  bool ArchiveRunning = false;
  int PopupRow = -1, PopupCol = -1;

  // Controls of the face (BitPanel).
  TBitPanel* BitPanel = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* ProjName = nullptr;
  std::array<QLabel*, 10> ColumnLabels{};
  std::array<QLabel*, 16> RowLabels{};
  TBtnMtx* TrackSel = nullptr;
  TBtnMtx* TakeSel = nullptr;
  TBPBtn* MasterSel = nullptr;
  TBtnMtx* MasTakeSel = nullptr;
  TBPBtn* ImpBtn = nullptr;
  QLabel* LMonoLabel = nullptr;
  QLabel* RLabel = nullptr;
  TBPBtn* AudBtn = nullptr;
  TSlider* Slider = nullptr;
  TBPBtn* ExpBtn = nullptr;

  // The tabs.
  QTabWidget* PageControl = nullptr;
  QWidget* FolderSheet = nullptr;
  QPushButton* SortBtn = nullptr;
  QPushButton* NewFldrBtn = nullptr;
  QPushButton* RefBtn = nullptr;
  TDirTreeView* DirTree = nullptr;
  TBitPanel* BitPanel1 = nullptr;  // the "Time" page
  QLabel* TimeM = nullptr;
  QLabel* PlayTime = nullptr;
  TBitPanel* MixerPanel = nullptr;
  QLabel* FaderLabel = nullptr;
  QLabel* PanpotLabel = nullptr;
  TBPBtn* InitBtn = nullptr;
  QCheckBox* KeepMixBox = nullptr;  // "Keep each song's mix"
  // The sound output in use, under the strips (mainwin_soundoutput.cpp).
  QLabel* SoundOutput = nullptr;

  // Per-track control tables, indexed by track 0-15.
  std::array<TVolume*, 16> Volumes{};
  std::array<QLabel*, 16> VolVals{};
  std::array<TVolume*, 16> Pans{};
  std::array<QLabel*, 16> PanVals{};
  std::array<QLabel*, 16> Times{};
  // The meters beside the times, the mix's meter and its clip light on the
  // MASTER row, and the timer that moves them.
  std::array<TLevelMeter*, 16> TrackMeters{};
  TLevelMeter* MasterMeter = nullptr;
  // Beside the mix's meter: the short-term loudness (3 s) of the audition,
  // measured here on the window's thread from the frames the mixing thread
  // handed over.
  QLabel* MasterLoudness = nullptr;
  ShortTermLoudness masterLoudness_;
  TBPBtn* ClipLight = nullptr;
  QTimer* MeterTimer = nullptr;
  // The mixer strips' mute and solo keys, after the pan values.
  std::array<TBPBtn*, 16> MuteBtns{};
  std::array<TBPBtn*, 16> SoloBtns{};

  // The status bar's three panels (350, 100 and 50 pixels).
  QWidget* StatusBar = nullptr;
  std::array<QLabel*, 3> StatusPanels{};

  QMenu* TakePopup = nullptr;
  QAction* ChangeNamePopup = nullptr;
  QAction* DelTakePopup = nullptr;
  QMenu* MasPopup = nullptr;
  QAction* MasName = nullptr;
  QAction* MasDel = nullptr;
  TVersion* Version = nullptr;
  // Over the face's name plate: a click opens the About box.
  QPushButton* AboutPlate = nullptr;
  // The export's save dialog and the import's open dialog.
  SaveDialog WavSave;
  // Where the save and the open dialog start when they have no file of
  // their own yet.
  QString LastExportFolder;
  QString LastImportFolder;
  // The name the save dialog offers for the selection when it has none.
  QString SuggestedExportName() const;
  // Writes the take as the file a drag out of the window offers; its path,
  // or empty when the cell holds no take or the file could not be written.
  QString WriteDragFile(int track, int take);
  TCOpenDialog* WavOpen = nullptr;

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // The takes' outlines in the grid (mainwin_thumbnails.cpp).
  void StartThumbnails(const std::filesystem::path& cacheFolder, std::function<void()> reading);
  void FollowTakesForThumbnails();
  void ShowThumbnail(uint64_t generation, const CellOutline& outline);
  void PauseThumbnailsWhileBusy();

  // The face (mainwin_face.cpp), the tabs and the status bar (mainwin_sheets.cpp).
  void BuildFace();
  void BuildMatrices();
  void BuildTransportRow();
  void WireFace();
  void BuildPages(const TDirTreeView::PlaceSource& places);
  void BuildFolderSheet();
  void PlaceFolderButtons();
  void BuildTimeSheet();
  void BuildMixerSheet();
  void BuildStatusBar();
  void BuildPopups();
  void SetHints();
  void WireAudition();
  void BuildSoundOutputLabel();
  // Names the output the transport found last.
  void ShowSoundOutput();
  // PLAY found no output (or one that would not start): it comes back up
  // and the user is told; `result` is Transport::Start's.
  void AuditionNotStarted(int result);
  void BuildMeters();
  void WireMeters();
  // Every meter empty and the timer running: a new audition.
  void StartMeters();
  void BuildMuteSolo();
  void WireMuteSolo();
  // The keys show the mixer's mute and solo settings.
  void ShowMuteSolo();
  void WireExport();
  void WireImport();
  // Keys (mainwin_keyboard.cpp): F6 moves the focus to the next of the
  // grid, the transport and the right-hand panel (Shift+F6 back).
  void WireKeyboard();
  void NextPane(bool backwards);
  // The About box (mainwin_about.cpp): F1, or a click on the name plate.
  void WireAbout();
  void ShowAbout();
  QString AboutText() const;
  // Every handler of the controls connected (tmainwin.cpp).
  void WireHandlers();
  void WireDragDrop();
  void WireArchive();
  // Screen readers (mainwin_accessibility.cpp): the roles of the skinned
  // controls, the window and its status bar, installed before the first
  // control is built; then every control's name and texts.
  static void InstallAccessibility();
  void DescribeForScreenReaders();
  void DescribeMatrices();
  void DescribeTransportRow();
  void DescribePages();
  void NumberTrackKeys();
  void PressByKey(TBPBtn& button, void (TMainWin::*handler)());
  // Escape stops a running conversion, archive or restore; true when it
  // did (mainwin_stopkey.cpp).
  bool StopKey();
  // What the status bar says while an export or an import runs.
  static QString StopHint(ConversionKind kind);
  void ImportKey();
  void ExportKey();
  void RenameKey();
  void DeleteKey();
  TBtnMtx* FocusedTakeCell();
  void CaptureBackgrounds();
  void CentreOnScreen();
  // Sets the window's minimum width so that the pages beside the face keep
  // the width their controls and tabs need (mainwin_sheets.cpp).
  void KeepPagesWhole();
  // Moves the window into the screen's available area, and with `shrink`
  // makes it no larger than that area (never below its minimum): a place
  // saved on a larger screen or another monitor layout.
  void KeepInsideScreen(bool shrink);
  // Each song's mix, kept when the user asks for it (mainwin_mixmemory.cpp).
  void BuildMixMemory(std::filesystem::path file);
  void LoadSavedMixes();  // a damaged file is ignored, with a note in the status bar
  bool KeepingMixes() const;  // the box is there and ticked
  // Keeps the shown song's mix in the file, when keeping is on.
  void KeepSongMix();
  // After a song was read: its kept mix, or the defaults, when keeping is on.
  void RestoreSongMix();
  void ShowMix(const SavedMix& mix);
  // Once shown: the same with the frame the window manager gave it.
  void KeepInsideOnceFramed();
  bool framedOnce_ = false;
  // What the window remembers between runs (mainwin_settings.cpp).
  std::unique_ptr<QSettings> OpenSettings() const;
  void LoadSettings();
  void SaveSettings() const;

  // Copies every cell of the model into the matrices, and MasterMode into MasterSel.
  void MirrorMatrices();
  // Shows the model's selection summary: labels, times and the slider range.
  void ShowSelection();
  void ShowProjectName();
  // The "Naming" box; the entry as name bytes, or nothing when cancelled or
  // when it holds a character that no name can carry (the user is told).
  std::optional<std::string> AskName(const QString& prompt, const std::string& current);
  void Report(const EditResult& result);
  // Before an import writes over takes that hold audio: true to go on.
  bool ConfirmReplacing(const std::vector<ImportTarget>& occupied);
  void ImportFrom(const std::filesystem::path& source);
  // Several files from the open dialog, on consecutive tracks from the
  // first chosen import track, on its chosen take.
  void ImportFiles(const std::vector<std::filesystem::path>& sources);
  // The import once its files are prepared and the questions answered.
  void RunImport(std::vector<ImportPreparation>& files, RateHandling rate, ExistingTakes existing);
  // A file of more channels than chosen import tracks: every channel to the
  // tracks from the first chosen one (true), the first channels only
  // (false), or nothing (Cancel). mainwin_channelquestion.cpp.
  std::optional<bool> AskAllChannels(ImportPreparation& prepared);
  // Dropping files on the take matrices (mainwin_dragdrop.cpp).
  bool DragDropFilter(QObject* watched, QEvent* event);
  void DropOnTake(int track, int take, const std::filesystem::path& source);
  void DropOnMasterTake(int take, const std::filesystem::path& source);
  void DragTakeOut(int track, int take);
  // Before an import of a file that is not at the takes' 44,100 Hz: convert
  // it, keep its samples, or nothing (Cancel). mainwin_ratequestion.cpp.
  std::optional<RateHandling> AskRateHandling(const SourceFormat& format);

  // Runs one export or import (`kind` is its Conversion value) from its
  // button's click: the busy cursor, the window's events once per block, a
  // second click on `button` as abort, the slider as progress, the result
  // box; then the button back up and Conversion 0.
  using ConversionRun = std::function<ConversionResult(const ConversionHooks& hooks)>;
  ConversionResult RunConversion(ConversionKind kind, TBPBtn& button, const ConversionRun& convert);

  // TransportEvents: called on the stream's service thread; they only queue.
  void PostPlayEnd(int rewind) override;
  void PostPlayPos(uint32_t position) override;
  void PlayEnd(int rewind);
  void PlayPos(uint32_t position, uint32_t seekCount);

  ProjectModel model_;
  std::unique_ptr<SavedMixes> savedMixes_;
  bool folderReported_ = false;
  QString settingsFile_;
  std::unique_ptr<QTemporaryDir> dragFolder_;  // the files of drags out of the window
  std::unique_ptr<Dialogs> dialogs_;
  std::unique_ptr<Transport> transport_;
  std::unique_ptr<OutlineWorker> thumbnails_;
  uint64_t thumbnailGeneration_ = 0;  // of the song the grid shows
  TNfWin* nfWin_ = nullptr;
  QPointer<TGetWin> getWin_;
  // Counts the seeks of the running audition. A position notice carries
  // the count of its fill; one mixed before the latest seek is stale and
  // would put the slider back where the user moved it away from.
  std::atomic<uint32_t> seekCount_{0};
  // When the meters last moved: the time their levels fall by.
  std::chrono::steady_clock::time_point metersMoved_;
  // The archive or restore running, if any (mainwin_archive.cpp); its
  // thread is joined when the runner goes with the window.
  ArchiveRunner* archiveRunner_ = nullptr;
  QPointer<QProgressDialog> archiveProgress_;
  std::function<void()> archiveFileWritten_;
  // Where each of the folder menu's file dialogs starts: the folder that
  // holds the last archive written, the one last restored from, and that of
  // the last DAW project file; empty (the home folder) until first used.
  QString lastArchiveFolder_;
  QString lastRestoreFolder_;
  QString lastDawFolder_;
  int lastArchiveFormat_ = 0;  // WAV, AIFF or FLAC, as last chosen
  QString restoredInto_;       // the folder a running restore rebuilds songs below
  QStringList restoreSkipped_;  // the songs it left out, for its summary
  // `remembered`, or the home folder before it was first used.
  static QString StartFolder(const QString& remembered);
  bool PlanArchiveOf(const QString& path, const QString& into, ArchiveRequest& request,
                     std::vector<ArchiveSongPlan>& plans);
  bool PlanRestoreInto(const QString& path, const std::filesystem::path& archive, std::vector<SongToRestore>& songs,
                       std::vector<bool>& force, QStringList& skipped);
  // `title` captions the progress dialog.
  void ShowArchiveProgress(const QString& title);
  void FinishArchiveRun(const QString& summary, const QStringList& problems);
};

}  // namespace tp
