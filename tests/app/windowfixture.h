// What the main window's tests share: dialogs answered by the test, the event
// loop run until it would wait, clicks, and a window over a scratch folder
// with a virtual sound device that the test plays half by half.
#pragma once

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidgetItem>

#include <deque>
#include <filesystem>
#include <functional>
#include <ostream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/dialogs.h"
#include "app/tmainwin.h"
#include "app/windowlanguage.h"
#include "controls/tbitpanel.h"
#include "controls/tbpbtn.h"
#include "controls/tslider.h"
#include "controls/tbtnmtx.h"
#include "dialogs/tcopendialog.h"
#include "folders/tdirtreeview.h"
#include "playback/virtualsounddevice.h"
#include "support/tempfolder.h"

// gtest shows a QString as its text rather than as an array of QChar.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
QT_END_NAMESPACE

namespace tp::test {

inline QString Q(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

// Answers the window's dialogs from queues and functions, and writes down
// what was asked.
class ScriptedDialogs : public Dialogs {
 public:
  struct Asked {
    QString caption, prompt, value;
  };

  std::deque<std::optional<QString>> entries;  // InputBox answers
  std::deque<bool> answers;                    // Confirm answers
  // When set, questions are the program's real boxes, which the test
  // answers through their buttons.
  bool realQuestions = false;
  QString menuChoice;                          // the popup item to choose
  std::function<int(QDialog&)> modal;          // ShowModal's answer
  // The save and open dialogs' answers: fill in the dialog, return whether
  // the user chose a file. Unset, the dialog is an unexpected one.
  std::function<bool(SaveDialog&)> save;
  // When set, the save dialog is the program's real one, which the test
  // drives through its widgets.
  bool realSaveDialog = false;
  std::function<bool(TCOpenDialog&)> open;
  std::deque<std::optional<QString>> folders;  // ChooseFolder answers
  std::deque<std::optional<int>> items;        // ChooseItem answers
  std::vector<QStringList> itemsOffered;
  std::vector<int> itemsCurrent;               // the item each ChooseItem offered first

  std::vector<Asked> asked;
  std::vector<std::pair<QString, QString>> questions;  // caption, text
  std::vector<QString> messages;
  std::vector<std::pair<QString, bool>> lastMenu;  // text, enabled
  std::vector<SaveDialog> saveDialogsShown;        // as they were offered

  std::optional<QString> InputBox(QWidget*, const QString& caption, const QString& prompt,
                                  const QString& value) override {
    asked.push_back({caption, prompt, value});
    if (entries.empty()) {
      ADD_FAILURE() << "unexpected input box: " << prompt.toStdString();
      return std::nullopt;
    }
    auto entry = entries.front();
    entries.pop_front();
    return entry;
  }
  bool Confirm(QWidget* owner, const QString& caption, const QString& text) override {
    questions.emplace_back(caption, text);
    if (realQuestions) return StandardDialogs().Confirm(owner, caption, text);
    if (answers.empty()) {
      ADD_FAILURE() << "unexpected question: " << text.toStdString();
      return false;
    }
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  // Called with each message as it is shown, while the window waits for it.
  std::function<void(const QString&)> onMessage;
  // When set, messages are the program's real boxes, which the test
  // closes through their buttons.
  bool realMessages = false;
  void Message(QWidget* owner, const QString& text) override {
    messages.push_back(text);
    if (onMessage) onMessage(text);
    if (realMessages) StandardDialogs().Message(owner, text);
  }
  int ShowModal(QDialog& form) override {
    if (!modal) {
      ADD_FAILURE() << "unexpected modal form";
      return 0;
    }
    return modal(form);
  }
  QAction* Popup(QMenu& menu, QPoint) override {
    lastMenu.clear();
    QAction* chosen = nullptr;
    for (QAction* action : menu.actions()) {
      lastMenu.emplace_back(action->text(), action->isEnabled());
      if (action->text() == menuChoice) chosen = action;
    }
    if (!chosen || !chosen->isEnabled()) return nullptr;
    chosen->trigger();
    return chosen;
  }
  bool SaveFile(QWidget* owner, SaveDialog& dialog) override {
    saveDialogsShown.push_back(dialog);
    if (realSaveDialog) return StandardDialogs().SaveFile(owner, dialog);
    if (!save) {
      ADD_FAILURE() << "unexpected save dialog";
      return false;
    }
    return save(dialog);
  }
  bool OpenFile(TCOpenDialog& dialog) override {
    if (!open) {
      ADD_FAILURE() << "unexpected open dialog";
      return false;
    }
    return open(dialog);
  }
  std::vector<QString> foldersStart;           // where each ChooseFolder started
  std::optional<QString> ChooseFolder(QWidget*, const QString& caption, const QString& start) override {
    foldersStart.push_back(start);
    if (folders.empty()) {
      ADD_FAILURE() << "unexpected folder chooser: " << caption.toStdString();
      return std::nullopt;
    }
    auto folder = folders.front();
    folders.pop_front();
    return folder;
  }
  std::optional<int> ChooseItem(QWidget*, const QString& caption, const QString&, const QStringList& offered,
                                int current) override {
    itemsOffered.push_back(offered);
    itemsCurrent.push_back(current);
    if (items.empty()) {
      ADD_FAILURE() << "unexpected choice: " << caption.toStdString();
      return std::nullopt;
    }
    auto item = items.front();
    items.pop_front();
    return item;
  }
};

// Lets the event loop handle what is pending and run until it would wait:
// AppEventsIdle runs there. The zero timer wakes it up again.
inline void RunUntilIdle() {
  QCoreApplication::processEvents();
  QTimer::singleShot(0, [] {});
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

inline void Click(TBtnMtx* matrix, int row, int column, Qt::MouseButton button = Qt::LeftButton) {
  const QPoint centre(column * matrix->BtnWidth() + matrix->BtnWidth() / 2,
                      row * matrix->BtnHeight() + matrix->BtnHeight() / 2);
  QTest::mouseClick(matrix, button, {}, centre);
  RunUntilIdle();
}

inline void Click(TBPBtn* button) {
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
  RunUntilIdle();
}

// Saves through Qt's own dialog, which a click on `button` opens, as a user
// picks the type: `steps` down the list of types to `type`, then `typed`
// typed into the name and Enter.
inline void SaveThroughTheRealDialog(TBPBtn* button, int steps, const QString& type, const QString& typed) {
  QTimer::singleShot(0, [=] {
    auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(files, nullptr);
    auto* types = files->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_TRUE(types && name);
    types->setFocus();
    for (int step = 0; step < steps; ++step) QTest::keyClick(types, Qt::Key_Down);
    ASSERT_EQ(types->currentText(), type);
    name->setFocus();
    name->clear();
    QTest::keyClicks(name, typed);
    QTest::keyClick(name, Qt::Key_Return);
  });
  Click(button);
}

// A click that arrives with the next events the window lets run, e.g.
// between two blocks of a conversion.
inline void PostClick(TBPBtn* button) {
  QMetaObject::invokeMethod(
      button, [button] { QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5)); }, Qt::QueuedConnection);
}

// The twelve controls of the idle rules, in the order of the rules:
// TakeSel MasTakeSel TrackSel MasterSel ImpBtn ExpBtn AudBtn Slider ProjName
// Folders Mixer New, each '1' when enabled.
inline std::string EnabledStates(const TMainWin& window) {
  const QWidget* controls[] = {window.TakeSel,  window.MasTakeSel,  window.TrackSel,   window.MasterSel,
                               window.ImpBtn,   window.ExpBtn,      window.AudBtn,     window.Slider,
                               window.ProjName, window.FolderSheet, window.MixerPanel, window.NewFldrBtn};
  std::string states;
  for (const QWidget* control : controls) states += control->isEnabled() ? '1' : '0';
  return states;
}

// A window over a scratch folder, its dialogs scripted and its sound on a
// virtual device (present or not).
// A right-click on `folder`'s node in the window's real tree, and `choice`
// taken from the menu it brings up.
inline void ChooseFromFolderMenu(TMainWin& window, ScriptedDialogs& dialogs, const std::filesystem::path& folder,
                                 const QString& choice) {
  TDirTreeView* tree = window.DirTree;
  tree->SetDirectory(Q(folder));
  RunUntilIdle();
  QTreeWidgetItem* node = tree->currentItem();
  ASSERT_NE(node, nullptr);
  ASSERT_EQ(node->data(0, TDirTreeView::PathRole).toString(), Q(folder));
  tree->scrollToItem(node);
  const QPoint centre = tree->visualItemRect(node).center();
  dialogs.menuChoice = choice;
  QContextMenuEvent event(QContextMenuEvent::Mouse, centre, tree->viewport()->mapToGlobal(centre));
  QApplication::sendEvent(tree->viewport(), &event);
}

class WindowTest : public ::testing::Test {
 protected:
  // The window's English as main sets it up: the texts as written, the
  // plural forms of a count from their English file.
  const WindowLanguage english{QLocale(QLocale::English, QLocale::UnitedStates)};

  std::unique_ptr<TMainWin> MakeWindow(bool soundPresent) {
    auto scripted = std::make_unique<ScriptedDialogs>();
    dialogs = scripted.get();
    auto device = std::make_unique<VirtualSoundDevice>(soundPresent);
    sound = device.get();
    TMainWin::Services services;
    services.dialogs = std::move(scripted);
    services.sound = std::move(device);
    const QString root = Q(scratch.path());
    services.places = [root] { return std::vector<DesktopPlace>{{QStringLiteral("Scratch"), root}}; };
    services.settingsFile = Q(settingsFile);
    services.savedMixesFile = savedMixesFile;
    services.archiveFileWritten = archiveFileWritten;
    services.outlineCacheFolder = outlineCache.path();
    services.outlineReading = outlineReading;
    return std::make_unique<TMainWin>(std::move(services));
  }

  void Open(const std::filesystem::path& folder) {
    window->DirTreeChange(Q(folder));
    RunUntilIdle();
  }

  std::string EnabledStates() const { return test::EnabledStates(*window); }

  // Lets the window run until every take in the grid shows its outline (or
  // why it has none): the outline thread reads no take after this, which a
  // test that makes a take's reads fail needs.
  void WaitForOutlines() {
    const auto done = [](const TBtnMtx& matrix) {
      for (int row = 0; row < matrix.Rows(); ++row)
        for (int column = 0; column < matrix.Cols(); ++column)
          if (matrix.GetAssigned(row, column) && !matrix.HasOutline(row, column) &&
              matrix.OutlineProblem(row, column).isEmpty())
            return false;
      return true;
    };
    while (!done(*window->TakeSel) || !done(*window->MasTakeSel))
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }

  TempFolder scratch;
  // The takes' outlines are kept here, out of the folder tree's sight.
  TempFolder outlineCache;
  // What the window remembers lives here, not in the user's configuration.
  const std::filesystem::path settingsFile = scratch.path() / "config" / "trackporter.ini";
  // Where the command line finds it with XDG_CONFIG_HOME at scratch/config.
  const std::filesystem::path savedMixesFile = scratch.path() / "config" / "TrackPorter" / "mixes.json";
  ScriptedDialogs* dialogs = nullptr;
  VirtualSoundDevice* sound = nullptr;
  // Handed to the window as its Services::archiveFileWritten.
  std::function<void()> archiveFileWritten;
  // Handed to the window as its Services::outlineReading.
  std::function<void()> outlineReading;
  std::unique_ptr<TMainWin> window;
};

}  // namespace tp::test
