// TDialogCustomizer: takes over an open dialog window for as long as it
// exists, puts the unit's sub-form into it beside the dialog's own controls,
// keeps both laid out while the dialog is resized, places the dialog on the
// screen, and hands the sub-form back unchanged when the dialog goes away.
//
// TSizingDialogCustomizer is the kind for a dialog that the user resizes
// himself: it grows the dialog by the sub-form's size when the dialog opens
// and then only follows the dialog's size.
//
// User-interface thread only.
#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include "dialogs/subformlayout.h"

namespace tp {

class TCustomDlgsUnit;

class TDialogCustomizer : public QObject {
 public:
  enum CustomizerState { StateNone = 0, StateRegistered = 1, StateStarting = 2, StateCustomized = 3 };

  ~TDialogCustomizer() override;

  // Takes over `dialogWindow`, whose own controls are in `controls`:
  // state 1, adopts the unit's sub-form, InitializeDialog.
  void Register(QWidget& dialogWindow, QWidget& controls, TCustomDlgsUnit& unit);
  // The first layout, then the position: the remembered one, or centred on
  // the main window's monitor when it is (-1, -1). State 3 afterwards.
  void StartCustomize(QPoint rememberedPosition, QSize rememberedSize);
  // The dialog window goes away: the sub-form is handed back, state 0.
  void Unregister();

  // Whether the sub-form and its placement may change while the dialog is
  // open.
  virtual bool GetCanChangeProperties() const = 0;
  // Whether the dialog's size is the user's (and worth remembering).
  virtual bool SizesItself() const = 0;
  // Lays the dialog out again after an accepted property change.
  virtual void UpdateProperty();

  int State() const { return state_; }
  // The smallest window size the user may resize the dialog to.
  LayoutSize MinimumWindowSize() const { return minimum_; }
  // The dialog as the customizer found it (W0 x H0, C0w x C0h).
  DialogTakeOver TakeOver() const { return takeOver_; }
  QWidget* DialogWindow() const { return dialogWindow_; }
  QWidget* AdoptedSubForm() const { return adopted_; }

 protected:
  enum class SizeHandler { None, InitialLayout, SizeChange };

  // Measures the dialog, sets the minimum to its size and starts following
  // its size changes.
  virtual void InitializeDialog();
  // Returns a form that is no longer the unit's sub-form, adopts the
  // current one, puts it into the dialog, recomputes the minimum size,
  // applies `windowSize` (which lays out once), shows the sub-form and
  // gives the focus to the dialog.
  virtual void ResizeDialog(QSize windowSize);
  // A new client size while the dialog is open.
  virtual void ChangedDialogSize(LayoutSize client) = 0;
  // The room-making layout when the dialog opens: every direct child but the
  // sub-form and size grips moves by the controls' left and top margins.
  void InitialLayout(LayoutSize client);

  SubFormPlacement Placement() const;
  // Resizes the dialog window to `windowSize` and runs the size handler
  // with the resulting client size, even when the size did not change.
  void ApplyWindowSize(QSize windowSize);
  void RunSizeHandler(LayoutSize client);
  QSize FrameSize() const;
  // The rule's layout for `client`, recorded as the unit's edge space.
  SubFormLayout LayOut(LayoutSize client);

  bool eventFilter(QObject* watched, QEvent* event) override;

  QPointer<QWidget> dialogWindow_;
  QPointer<QWidget> controls_;
  TCustomDlgsUnit* unit_ = nullptr;
  QPointer<QWidget> adopted_;
  DialogTakeOver takeOver_;
  LayoutSize minimum_;
  int state_ = StateNone;
  SizeHandler sizeHandler_ = SizeHandler::None;

 private:
  void AdoptSubForm();
  void ReturnSubForm();
  void RecomputeMinimumSize();
  void PlaceDialog(QPoint rememberedPosition);

  // The adopted form as it was before: restored when it is handed back.
  struct SavedSubForm {
    bool visible = false;
    QPointer<QWidget> parent;
    Qt::WindowFlags flags;  // its border: a window of its own or a child
    QRect bounds;
    QSize client;           // SW x SH
    Qt::WindowStates windowState;
  } saved_;
};

class TSizingDialogCustomizer : public TDialogCustomizer {
 public:
  bool GetCanChangeProperties() const override { return false; }
  bool SizesItself() const override { return true; }

 protected:
  // Measures the dialog, then makes room for the sub-form.
  void InitializeDialog() override;
  // Keeps the dialog's current size: the remembered one is not applied.
  void ResizeDialog(QSize windowSize) override;
  void ChangedDialogSize(LayoutSize client) override;
  // Grows the dialog window by the sub-form's size on its side.
  void KeepInitializeDialogSize();
};

}  // namespace tp
