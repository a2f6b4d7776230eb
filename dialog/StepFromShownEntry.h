#pragma once
#include <QObject>

class QComboBox;

namespace voicememo {

// The arrow keys and the wheel in an editable box step from the entry that
// matches the text shown, not from the entry picked last (the box's list does
// not follow typed text); when none matches, they go to the first entry.
// The list, opened, opens on that entry too.
class StepFromShownEntry : public QObject {
    Q_OBJECT
public:
    explicit StepFromShownEntry(QComboBox* box);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QComboBox* box_;
};

}  // namespace voicememo
