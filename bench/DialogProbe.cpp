// A timed piece of the dialog's work, as dialog/main.cpp builds the dialog,
// for the benchmarks. It prints one line, "elapsed <ns>":
//   dialog_probe load <folder>        times showing the dialog up to its first paint
//   dialog_probe add-unused <folder>  times Add unused, from the click to its message
//   dialog_probe take-in <folder>     once painted, another writer adds a memo to the
//                                     catalogue: times it until the list shows it (the
//                                     file is put back as it was after)
#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QToolButton>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "Application.h"
#include "FirstPaint.h"
#include "LocalTime.h"
#include "PosixFileSystem.h"
#include "PulseSoundPlayer.h"
#include "TForm1.h"

namespace {

// Notes when the first message box shows, and answers it.
class MessageWatch : public QObject {
public:
    long long shownAt = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && !shownAt)
            if (auto* box = qobject_cast<QMessageBox*>(watched)) {
                shownAt = voicememo::bench::MonotonicNow();
                QTimer::singleShot(0, box, [box] { box->done(QMessageBox::Ok); });
            }
        return false;
    }
};

int Usage()
{
    std::fprintf(stderr, "usage: dialog_probe load|add-unused|take-in <folder>\n");
    return 2;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc != 3)
        return Usage();
    const std::string mode = argv[1];
    if (mode != "load" && mode != "add-unused" && mode != "take-in")
        return Usage();
    std::string exeDir = argv[2];
    if (!exeDir.ends_with('/'))
        exeDir += '/';

    voicememo::PreferX11Platform();
    QApplication app(argc, argv);
    voicememo::SetUpApplication(app);

    voicememo::PosixFileSystem files;
    voicememo::SystemClock clock;
    voicememo::SystemRegionalSettings regional;
    voicememo::PulseSoundPlayer player;
    voicememo::DetachedProgramLauncher launcher;
    voicememo::TForm1 form({files, clock, regional, player, launcher, exeDir});
    voicememo::SessionEnd sessionEnd(&form);
    MessageWatch messages;
    app.installEventFilter(&messages);

    using voicememo::bench::FirstPaint;
    std::unique_ptr<FirstPaint> painted;
    long long start = 0;
    if (mode == "load") {
        painted = std::make_unique<FirstPaint>(&form, [&start] {
            std::printf("elapsed %lld\n", voicememo::bench::MonotonicNow() - start);
            QApplication::exit(0);
        });
    } else if (mode == "take-in") {
        painted = std::make_unique<FirstPaint>(&form, [&] {
            const std::string path = exeDir + "Voice.dat";
            const auto size = std::filesystem::file_size(path);
            const int before = form.Memos().count();
            std::ofstream(path, std::ios::app | std::ios::binary)
                << "taken in\t" << exeDir << "data/Voice999999.wav\t2001/04/05\t09:12:30\tTODO\t\r\n";
            const long long written = voicememo::bench::MonotonicNow();
            // The window looks at the file every few seconds while idle.
            auto* look = new QTimer(&form);
            QObject::connect(look, &QTimer::timeout, &form, [&, path, size, before, written] {
                if (form.Memos().count() <= before)
                    return;
                std::printf("elapsed %lld\n", voicememo::bench::MonotonicNow() - written);
                std::filesystem::resize_file(path, size);
                QApplication::exit(0);
            });
            look->start(20);
        });
    } else {
        painted = std::make_unique<FirstPaint>(&form, [&] {
            auto* button = form.findChild<QToolButton*>(QStringLiteral("SpeedButton1"));
            const int before = form.Memos().count();
            const long long clicked = voicememo::bench::MonotonicNow();
            button->click();  // returns once its message has been answered
            if (!messages.shownAt || form.Memos().count() == before) {
                std::fprintf(stderr, "dialog_probe: Add unused adopted nothing\n");
                QApplication::exit(1);
                return;
            }
            std::printf("elapsed %lld\n", messages.shownAt - clicked);
            QApplication::exit(0);
        });
    }
    start = voicememo::bench::MonotonicNow();
    form.show();
    if (form.Closed())
        return 1;
    return app.exec();
}
