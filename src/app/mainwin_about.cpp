// The About box: the program's name and version, its licence and the
// libraries it is built on. F1 opens it, and so does a click on the name
// plate in the face's corner (a button without a look of its own, so that
// the face stays as drawn).
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>

#include "app/dialogs.h"
#include "app/tmainwin.h"
#include "app/windowlanguage.h"
#include "controls/skin.h"
#include "controls/tbitpanel.h"
#include "controls/tversion.h"
#include "project/libraryversions.h"
#include "project/messages.h"

namespace tp {

void TMainWin::WireAbout() {
  AboutPlate = new QPushButton(BitPanel);
  AboutPlate->setFlat(true);
  AboutPlate->setStyleSheet(QStringLiteral("QPushButton { background: transparent; border: none; }"));
  AboutPlate->setGeometry(Skin::NamePlate());
  AboutPlate->setCursor(Qt::PointingHandCursor);
  AboutPlate->setFocusPolicy(Qt::NoFocus);  // F1 is the keyboard's way
  AboutPlate->setToolTip(tr("About TrackPorter (F1)"));
  AboutPlate->setAccessibleName(tr("About TrackPorter"));
  connect(AboutPlate, &QPushButton::clicked, this, &TMainWin::ShowAbout);
  connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, this, &TMainWin::ShowAbout);
}

QString TMainWin::AboutText() const {
  QStringList libraries{QStringLiteral("Qt %1").arg(QString::fromLatin1(qVersion()))};
  for (const LibraryVersion& library : LibraryVersions())
    libraries << QString::fromStdString(library.name + (library.version.empty() ? "" : " " + library.version));
  const QString licence = tr("TrackPorter is free software: you can redistribute it and/or modify it under the "
                             "terms of the GNU General Public License, version 3 or (at your option) any later "
                             "version (GPL-3.0-or-later). It comes with no warranty.");
  return tr("%1\nVersion %2\n\n%3\n\n%4\n\nBuilt on: %5.\nThe tests hold its loudness measurement to libebur128.")
      .arg(Version->Description(), Version->ProductVersion(), Version->Copyright(), licence,
           JoinedList(libraries));
}

void TMainWin::ShowAbout() {
  QMessageBox box(QMessageBox::Information, tr("About TrackPorter"), AboutText(), QMessageBox::Close, this);
  box.setIconPixmap(windowIcon().pixmap(64, 64));
  KeepTitleWhole(box);
  box.exec();
}

}  // namespace tp
