// The open dialog's Filter property: pairs of a text shown in the file type
// list and the patterns it stands for, all separated by "|", e.g.
// "Audio(*.wav;*.aif)|*.wav;*.aif|AIFF(*.aif)|*.aif". Patterns within a
// pair are separated by ";".
#pragma once

#include <QString>
#include <QStringList>

namespace tp {

struct FileTypeFilter {
  QString text;          // shown as it is, e.g. "Audio(*.wav;*.aif)"
  QStringList patterns;  // e.g. "*.wav", "*.aif"
  bool operator==(const FileTypeFilter&) const = default;
};

// Splits a Filter property into its pairs. Blanks around patterns are
// dropped, and so are empty patterns; a text without patterns (an odd
// number of fields) gets "*".
QList<FileTypeFilter> ParseFilterList(const QString& filter);

// QFileDialog's form of the pairs: "text (pattern pattern)". The dialog
// shows only the text part when told to hide the details
// (QFileDialog::HideNameFilterDetails), because it takes the last
// parenthesised group as the patterns and the rest as the text, so a text
// such as "Audio(*.wav;*.aif)" is shown exactly as written.
QStringList QtNameFilters(const QList<FileTypeFilter>& filters);

// The pair (1 for the first) that a file dialog names when it reports the
// user's choice, 0 for none. With the details hidden, QFileDialog reports
// the text as shown ("AIFF(*.aif)"), not the name it was given
// ("AIFF(*.aif) (*.aif)"); either form is found.
int FilterIndexOf(const QList<FileTypeFilter>& filters, const QString& reported);

}  // namespace tp
