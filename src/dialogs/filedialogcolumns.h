// Qt's own file dialog, as the window's save and open dialogs show it.
#pragma once

class QFileDialog;

namespace tp {

// The detail view's size, type and date columns as wide as what they show
// (Qt's default widths cut "70.5 KiB" and "WAV Audio" to dots in the
// window's font); the name column takes the rest.
void SizeDetailColumnsToContents(QFileDialog& files);

}  // namespace tp
