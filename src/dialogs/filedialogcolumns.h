// Qt's own file dialog, as the window's save, open and folder dialogs show it.
#pragma once

class QFileDialog;

namespace tp {

// The detail view's size, type and date columns as wide as what they show
// (Qt's default widths cut "70.5 KiB" and "WAV Audio" to dots in the
// window's font, and a Japanese date to "2026/1… 10:16"); the name column
// takes the rest. The side bar of places is as wide as its longest name
// (Qt's default cuts the Japanese "コンピュータ" to "コン…").
void SizeDetailColumnsToContents(QFileDialog& files);

}  // namespace tp
