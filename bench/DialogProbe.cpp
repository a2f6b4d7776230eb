// The program's start as dialog/main.cpp makes it, ended as soon as the
// window has painted for the first time (leaving the event loop without
// closing the window, so nothing is saved), for the start-up benchmark; or a
// timed piece of the dialog's work. It prints one line:
//   painted <ns>   the monotonic clock when the first paint was done
//   elapsed <ns>   how long the timed work took
//
//   dialog_probe bare <folder>        a bare window that draws nothing, built the same way
//   dialog_probe text <folder>        a bare window of the dialog's size that draws a
//                                     Japanese label and a button in the dialog's face
//   dialog_probe dialog <folder>      the dialog with the files of folder
//   dialog_probe load <folder>        times showing the dialog up to its first paint
//   dialog_probe add-unused <folder>  times Add unused, from the click to its message
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>

#include "Application.h"
#include "LocalTime.h"
#include "PosixFileSystem.h"
#include "PulseSoundPlayer.h"
#include "TForm1.h"
#include "ui_FormFloor.h"

namespace {

long long Now()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1'000'000'000LL + now.tv_nsec;
}

// Runs done once, when the watched window's first paint has ended: the zero
// timer fires after the whole window, children included, has painted.
class FirstPaint : public QObject {
public:
    FirstPaint(QWidget* window, std::function<void()> done) : done_(std::move(done))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, done_);
        }
        return false;
    }

private:
    std::function<void()> done_;
    bool seen_ = false;
};

// Notes when the first message box shows, and answers it.
class MessageWatch : public QObject {
public:
    long long shownAt = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && !shownAt)
            if (auto* box = qobject_cast<QMessageBox*>(watched)) {
                shownAt = Now();
                QTimer::singleShot(0, box, [box] { box->done(QMessageBox::Ok); });
            }
        return false;
    }
};

int Usage()
{
    std::fprintf(stderr, "usage: dialog_probe bare|text|form|dialog|load|add-unused <folder>\n");
    return 2;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc != 3)
        return Usage();
    const std::string mode = argv[1];
    std::string exeDir = argv[2];
    if (!exeDir.ends_with('/'))
        exeDir += '/';

    voicememo::PreferX11Platform();
    QApplication app(argc, argv);
    voicememo::SetUpApplication(app);

    if (mode == "bare" || mode == "text") {
        // The dialog's size; the face is the application's, as for the dialog.
        QWidget window;
        window.resize(340, 330);
        if (mode == "text") {
            auto* label = new QLabel(QStringLiteral("ボイスメモの一覧(&L)"), &window);
            label->move(8, 8);
            auto* button = new QPushButton(QStringLiteral("閉じる(&C)"), &window);
            button->setGeometry(256, 296, 75, 25);
        }
        FirstPaint painted(&window, [] {
            std::printf("painted %lld\n", Now());
            QApplication::exit(0);
        });
        window.show();
        return app.exec();
    }
    if (mode == "form") {
        // The dialog's own form with none of the program's code: its list a
        // plain list with a hidden table beside it, in the dialog's face and
        // style and with the dialog's window flags.
        QWidget window(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                    Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
        Ui::FormFloor form;
        form.setupUi(&window);
        auto* table = new QTableView(form.ListView1->parentWidget());
        table->hide();
        FirstPaint painted(&window, [] {
            std::printf("painted %lld\n", Now());
            QApplication::exit(0);
        });
        window.show();
        return app.exec();
    }

    voicememo::PosixFileSystem files;
    voicememo::SystemClock clock;
    voicememo::SystemRegionalSettings regional;
    voicememo::PulseSoundPlayer player;
    voicememo::DetachedProgramLauncher launcher;
    voicememo::TForm1 form({files, clock, regional, player, launcher, exeDir});
    voicememo::SessionEnd sessionEnd(&form);
    MessageWatch messages;
    app.installEventFilter(&messages);

    std::unique_ptr<FirstPaint> painted;
    long long start = Now();
    if (mode == "dialog") {
        painted = std::make_unique<FirstPaint>(&form, [] {
            std::printf("painted %lld\n", Now());
            QApplication::exit(0);
        });
    } else if (mode == "load") {
        painted = std::make_unique<FirstPaint>(&form, [&start] {
            std::printf("elapsed %lld\n", Now() - start);
            QApplication::exit(0);
        });
    } else if (mode == "add-unused") {
        painted = std::make_unique<FirstPaint>(&form, [&] {
            auto* button = form.findChild<QToolButton*>(QStringLiteral("SpeedButton1"));
            const int before = form.Memos().count();
            const long long clicked = Now();
            button->click();  // returns once its message has been answered
            if (!messages.shownAt || form.Memos().count() == before) {
                std::fprintf(stderr, "dialog_probe: Add unused adopted nothing\n");
                QApplication::exit(1);
                return;
            }
            std::printf("elapsed %lld\n", messages.shownAt - clicked);
            QApplication::exit(0);
        });
    } else {
        return Usage();
    }
    start = Now();
    form.show();
    if (form.Closed())
        return 1;
    return app.exec();
}
