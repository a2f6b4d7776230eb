#pragma once
// What a dialog test needs: the program's folder in a temporary place, a
// clock the test sets, the real file system, and a watcher that answers the
// next modal message box as a person would, remembering what it said.
#include <QAbstractItemView>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "MemoListView.h"
#include "PosixFileSystem.h"
#include "StateFolder.h"
#include "TForm1.h"
#include "TempFolder.h"

namespace voicememo::testing {

class FixedClock : public Clock {
public:
    LocalDateTime now{2026, 12, 7, 9, 5, 30};
    // Readings given before `now`, in turn: a clock that ticks on meanwhile.
    std::deque<LocalDateTime> before;
    LocalDateTime Now() override
    {
        if (before.empty())
            return now;
        const LocalDateTime reading = before.front();
        before.pop_front();
        return reading;
    }
};

class FixedRegional : public RegionalSettings {
public:
    Separators separators;
    Separators Current() override { return separators; }
};

// Remembers what it was asked to play, and what the window showed then.
class ListeningPlayer : public SoundPlayer {
public:
    struct Played {
        std::string diskPath;
        int editIndex;
        bool playButtonEnabled;
    };
    std::vector<Played> played;
    std::function<Played(const std::string&)> observe;  // what the window shows at the call
    void PlayToEnd(const std::string& diskPath, const std::function<void()>& whileWaiting) override
    {
        played.push_back(observe ? observe(diskPath) : Played{diskPath, -1, false});
        if (whileWaiting)
            whileWaiting();
    }
};

// Starts programs as the program does, and counts the starts asked for.
struct CountingLauncher : DetachedProgramLauncher {
    int starts = 0;
    bool Start(const std::string& exeDiskDir, const QString& name, const QStringList& arguments) override
    {
        ++starts;
        return DetachedProgramLauncher::Start(exeDiskDir, name, arguments);
    }
};

struct Harness {
    TempFolder folder;
    PosixFileSystem files;
    FixedClock clock;
    FixedRegional regional;
    ListeningPlayer player;
    CountingLauncher launcher;
    std::string exeDir = folder.dir();  // the program's folder; a test may move it
    std::unique_ptr<TForm1> form;

    Harness()
    {
        folder.MakeFolder("data");
        testing::UsePrivateDataFolder();  // deleted memos' files go to a trash of the test's own
    }
    TForm1& Create()
    {
        form = std::make_unique<TForm1>(DialogServices{files, clock, regional, player, launcher, exeDir});
        player.observe = [this](const std::string& diskPath) {
            return ListeningPlayer::Played{diskPath, form->EditIndex(), Find<QWidget>("BitBtn2")->isEnabled()};
        };
        return *form;
    }
    TForm1& Open()
    {
        Create().show();
        return *form;
    }
    // Makes the window the active one, as a click into it would.
    bool Activate()
    {
        QApplication::setActiveWindow(form.get());
        return QTest::qWaitForWindowActive(form.get());
    }
    // A left click on a row of the list, as it is shown now.
    void ClickRow(int row)
    {
        QAbstractItemView* view = Find<MemoListView>("ListView1")->currentView();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(view->model()->index(row, 0)).center());
    }
    template <typename T>
    T* Find(const char* name) const
    {
        return form->findChild<T*>(QString::fromLatin1(name));
    }
};

// A key as a person presses it: to the focused control, or to the window
// when no control has the focus.
inline void PressKey(Harness& h, Qt::Key key, Qt::KeyboardModifiers modifiers = {})
{
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : h.form.get(), key, modifiers);
}

// Answers the next message box by pressing the button with the given text
// (the first one when empty) and keeps its caption, text and icon.
class BoxAnswerer : public QObject {
public:
    // With answerLater, each box after the first is noted in later and
    // answered with its default button.
    explicit BoxAnswerer(QString button = {}, bool answerLater = false)
        : button_(std::move(button)),
          answerLater_(answerLater)
    {
        connect(&poll_, &QTimer::timeout, this, &BoxAnswerer::Poll);
        poll_.start(10);
    }
    bool seen = false;
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    QStringList buttonsLeftToRight;
    QString defaultButton;
    QStringList later;

private:
    void Poll()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || box == answered_)
            return;
        answered_ = box;
        if (seen) {
            later << box->text();
            box->defaultButton() ? box->defaultButton()->click() : box->done(QMessageBox::Ok);
            return;
        }
        seen = true;
        caption = box->windowTitle();
        text = box->text();
        icon = box->icon();
        QList<QAbstractButton*> shown = box->buttons();
        std::sort(shown.begin(), shown.end(), [box](QAbstractButton* a, QAbstractButton* b) {
            return a->mapTo(box, QPoint()).x() < b->mapTo(box, QPoint()).x();
        });
        for (QAbstractButton* b : shown)
            buttonsLeftToRight << b->text();
        if (box->defaultButton())
            defaultButton = box->defaultButton()->text();
        QAbstractButton* chosen = nullptr;
        for (QAbstractButton* b : box->buttons()) {
            buttons << b->text();
            if (!chosen && (button_.isEmpty() || b->text() == button_))
                chosen = b;
        }
        if (!answerLater_)
            poll_.stop();
        if (!chosen) {
            // No such button: the test fails, and the box is taken down so
            // the run goes on.
            QTest::qFail(qPrintable(QStringLiteral("the box has no button \"%1\"").arg(button_)), __FILE__, __LINE__);
            box->done(QMessageBox::Cancel);
            return;
        }
        chosen->click();
    }
    QString button_;
    bool answerLater_;
    QPointer<QMessageBox> answered_;
    QTimer poll_;
};

}  // namespace voicememo::testing
