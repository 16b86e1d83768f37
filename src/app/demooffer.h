// The demo song offered at a user's very first start of the window (the
// desktop menu's start, where `make run` would have written it unasked).
#pragma once

#include <QString>

#include <filesystem>

namespace tp {

class TMainWin;

// What the start looks like, for deciding whether to offer the demo.
struct FirstStart {
  bool folderGiven = false;      // "trackporter PATH": the user knows what to open
  bool settingsExist = false;    // the window ran before
  bool demoExists = false;       // the demo folder (or anything of its name) is there
  QString platform;              // Qt's platform name: "xcb", "wayland", "offscreen", ...
};

// The settings, the demo folder and the platform as they are now (before
// the window is made, which writes its settings when it closes); the
// caller fills in folderGiven.
FirstStart LookAtFirstStart();

// Only a start without a folder argument, before any settings were saved,
// with no demo folder yet, on a platform a person looks at.
bool ShouldOfferDemo(const FirstStart& start);

// Asks whether to write the demo song into `folder`; on Yes writes it and
// opens the window at it, telling the user when it could not be written.
void OfferDemoSong(TMainWin& window, const std::filesystem::path& folder);

}  // namespace tp
