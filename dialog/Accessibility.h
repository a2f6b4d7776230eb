#pragma once
// What a screen reader is told of the dialog beyond Qt's own accessibility:
// the window announced as a window, and frames that group controls.
#include <QFrame>

namespace voicememo {

// A frame around controls that belong together, announced as their group
// and named by the label whose buddy it is.
class ControlGroup : public QFrame {
    Q_OBJECT
public:
    using QFrame::QFrame;
};

// Gives the dialog's window the role of a window (not a plain pane) and a
// ControlGroup the role of a group. Once, with the application.
void InstallAccessibleRoles();

}  // namespace voicememo
