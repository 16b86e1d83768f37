// What the command line and the environment ask of the window at start,
// decided before (and apart from) the window so that it can be tested.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace tp {

// True when Qt could not show the window: neither DISPLAY nor
// WAYLAND_DISPLAY is set, and no platform is named (QT_QPA_PLATFORM, or
// -platform among `arguments`, which start with the program's name). A
// platform named on purpose (offscreen for tests and screenshots) is the
// user's choice and is left to Qt.
bool DisplayMissing(const QStringList& arguments, const std::function<QString(const char*)>& environment);

// While Qt starts: a display that is named but cannot be reached (DISPLAY=:99
// with no server there) ends the program with the DisplayMissing message
// and exit status 1, instead of Qt's abort; Qt's own lines about the
// platform are held back meanwhile. WatchDisplayStart() before the
// application object is made, DisplayStarted() after.
void WatchDisplayStart();
void DisplayStarted();

// What "trackporter PATH" (a folder or a file, as a path or a file:// URL,
// the way a desktop's "Open with" passes it) asks the window to open.
struct LaunchFolder {
  QString folder;   // the folder to select; a file's own folder
  QString missing;  // a PATH given that does not exist (then folder is empty)
};
// From the arguments Qt left (after the program's name): the first one
// that is not an option.
LaunchFolder FolderToOpen(const QStringList& arguments);

// The first argument Qt left (after the program's name) that looks like an
// option and is none of ours or Qt's: empty when there is none. After "--"
// everything is a path, and "-" alone is no option.
QString UnknownOption(const QStringList& arguments);

// Names the application: its short name is the class of its windows
// (WM_CLASS on X11), which the desktop entry gives as StartupWMClass; the
// desktop file name (the Wayland app id) is the entry's id.
void NameApplication();

}  // namespace tp
