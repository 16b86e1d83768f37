// TCustomDlgsUnit: what one customizable dialog object keeps between its
// executions: the sub-form and where it goes, the dialog's caption and icon,
// and where the user left the dialog. One unit per dialog object, created
// and destroyed with it; nothing is written anywhere.
//
// User-interface thread only.
#pragma once

#include <QIcon>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QWidget>

#include "dialogs/subformlayout.h"

namespace tp {

class TDialogCustomizer;

class TCustomDlgsUnit {
 public:
  TCustomDlgsUnit() = default;
  ~TCustomDlgsUnit();
  TCustomDlgsUnit(const TCustomDlgsUnit&) = delete;
  TCustomDlgsUnit& operator=(const TCustomDlgsUnit&) = delete;

  // The form shown inside the dialog, or null. The unit forgets a form that
  // is destroyed. While a dialog is open, a new form, position, anchors or
  // edge space is taken only when the customizer accepts changes (then the
  // dialog is laid out again); otherwise it is dropped. Setting the values
  // already held does nothing.
  QWidget* SubForm() const { return subForm_; }
  void SetSubForm(QWidget* form);
  TSubFormPos SubFormPos() const { return subFormPos_; }
  void SetSubFormPos(TSubFormPos position);
  TSubFormAnchors SubFormAnchors() const { return subFormAnchors_; }
  void SetSubFormAnchors(TSubFormAnchors anchors);
  TDialogMinEdgeSpace MinEdgeSpace() const { return minEdgeSpace_; }
  void SetMinEdgeSpace(const TDialogMinEdgeSpace& space);
  // Stored only while no dialog is open.
  bool DialogSizing() const { return dialogSizing_; }
  void SetDialogSizing(bool value);

  // The open dialog's title while one is open; otherwise the stored text.
  // When not empty it replaces the dialog's own title.
  QString Caption() const;
  void SetCaption(const QString& caption);
  // The dialog window shows this icon, or none when it is null.
  QIcon Icon() const { return icon_; }
  void SetIcon(const QIcon& icon);

  // The open dialog's screen position while one is open (writing moves it);
  // otherwise the remembered position. Positions are those of the client
  // area's corner: a dialog window is new each time, and Qt puts the client
  // area of a window whose frame it does not know yet where it is told, so
  // the client's corner is what brings the dialog back where it was.
  int Left() const;
  int Top() const;
  void SetLeft(int left);
  void SetTop(int top);

  // The margins of the latest layout; all 0 while no dialog is open.
  TDialogEdgeSpace EdgeSpace() const { return edgeSpace_; }
  void SetEdgeSpace(const TDialogEdgeSpace& space) { edgeSpace_ = space; }
  // (-1, -1) until a dialog has been closed once.
  QPoint RememberedPosition() const { return rememberedPosition_; }
  // (-1, -1) until a self-sizing dialog, or one with DialogSizing, was closed.
  QSize RememberedSize() const { return rememberedSize_; }

  // The open dialog's customizer, or null.
  TDialogCustomizer* Customizer() const { return customizer_; }

  // The dialog's side. The dialog window exists: the customizer takes it
  // over, adopts the sub-form and makes room for it. `controls` is the
  // widget holding the dialog's own controls.
  void RegisterCustomizer(TDialogCustomizer& customizer, QWidget& dialogWindow, QWidget& controls);
  // The dialog is about to appear: first layout, title and position.
  void StartCustomize();
  // The dialog window goes away: remembers its position (and size), hands
  // the sub-form back and forgets the customizer.
  void DialogDestroyed();

 private:
  bool AcceptsChange() const;
  void ApplyIcon();

  QPointer<QWidget> subForm_;
  TSubFormPos subFormPos_ = fpClient;
  TSubFormAnchors subFormAnchors_ = AllSubFormAnchors;
  TDialogMinEdgeSpace minEdgeSpace_;
  bool dialogSizing_ = false;
  QString caption_;
  QIcon icon_;
  TDialogEdgeSpace edgeSpace_;
  QPoint rememberedPosition_{-1, -1};
  QSize rememberedSize_{-1, -1};
  TDialogCustomizer* customizer_ = nullptr;
  QPointer<QWidget> dialogWindow_;
};

}  // namespace tp
