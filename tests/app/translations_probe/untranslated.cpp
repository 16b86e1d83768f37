// Not built: the translation check runs over this file too, in a case of its
// own, and must name the text below as unfinished.
#include <QtGlobal>

const char* const UntranslatedProbe = QT_TRANSLATE_NOOP("Probe", "A text nobody translated");
