#pragma once
// Behaviour of the dialog's window that Qt does not give as the program's
// users know it: tooltip timing, letters that press buttons alone and the
// focus of a disabled control.
#include <QObject>
#include <QPointer>

class QComboBox;
class QWidget;

namespace voicememo {

// Shows a control's tooltip after 500 ms at rest, after 50 ms when moving
// from one control to another while a tooltip is up, and hides it after
// 2500 ms; shows none while turned off.
class TooltipTimer : public QObject {
    Q_OBJECT
public:
    explicit TooltipTimer(QWidget* window);
    void setEnabled(bool enabled) { enabled_ = enabled; }
    bool enabled() const { return enabled_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    QPointer<QWidget> shownFor_;
    bool enabled_ = true;
};

// An underlined letter pressed alone, while the focused control takes no
// text, presses its button or focuses the control its label names, as
// Alt with the letter does.
class MnemonicKeys : public QObject {
    Q_OBJECT
public:
    explicit MnemonicKeys(QWidget* window);

    // Triggers the control whose caption underlines the letter; false when
    // none does.
    bool trigger(QChar letter);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
};

// The arrow keys and the wheel in an editable box step from the entry that
// matches the text shown, not from the entry picked last (the box's list does
// not follow typed text); when none matches, they go to the first entry.
class StepFromShownEntry : public QObject {
    Q_OBJECT
public:
    explicit StepFromShownEntry(QComboBox* box);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QComboBox* box_;
};

// A control disabled while it has the focus keeps it: no other control
// takes the keys meanwhile (the window holds them, so Return presses
// nothing), and the control has the focus again once it is enabled, unless
// the user has put the focus elsewhere in between. Every control the window
// disables goes through setEnabled here.
class FocusKeeper : public QObject {
    Q_OBJECT
public:
    explicit FocusKeeper(QWidget* window);
    void setEnabled(QWidget* control, bool enabled);

private:
    QWidget* window_;
    QPointer<QWidget> keeper_;  // disabled with the focus, not yet enabled
};

}  // namespace voicememo
