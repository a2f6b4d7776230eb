// ボイスメモ: the voice-memo manager's entry. It takes no arguments; all its
// files lie beside the program.
#include <malloc.h>

#include <QApplication>
#include <QTimer>

#include "Application.h"
#include "EndSignals.h"
#include "Error.h"
#include "ErrorBox.h"
#include "FolderInstance.h"
#include "LocalTime.h"
#include "PosixFileSystem.h"
#include "ProgramFolder.h"
#include "PulseSoundPlayer.h"
#include "TForm1.h"

namespace {

// Said once at a start that cannot tell whether another copy runs on the
// folder: the user then keeps to one copy.
QString UncheckedFolderNotice(const QString& sharedRuntimeFolder)
{
    const QString why =
        sharedRuntimeFolder.isEmpty()
            ? QStringLiteral("実行時フォルダーに目印を置けないため、")
            : QStringLiteral("実行時フォルダー %1 が自分専用のフォルダーではないため、").arg(sharedRuntimeFolder);
    return why + QStringLiteral("同じフォルダーのボイスメモがほかに起動していても確かめられません。\n"
                                "ボイスメモは一つずつ起動してください。");
}

}  // namespace

int main(int argc, char* argv[])
{
    // Under an address space limit (ulimit -v) every thread's own malloc
    // arena would hold 64 MB of it, and a thread Qt paints with could then
    // not start: its painting waited for it for good.
    mallopt(M_ARENA_MAX, 1);
    voicememo::PreferX11Platform();
    const bool styleChosen = voicememo::UserChoseStyle(argc, argv);
    QApplication app(argc, argv);
    voicememo::SetUpApplication(app, styleChosen);

    std::string exeDir;
    {
        // Ended from outside while a message is up, the program ends at once.
        voicememo::EndSignals endSignals(&voicememo::DismissMessageBoxes);
        try {
            exeDir = voicememo::ExeDir();
        } catch (const voicememo::UnusableFolder& error) {
            voicememo::ShowErrorBox(nullptr, voicememo::UnusableFolderMessage(error));
            return 1;
        } catch (const voicememo::Error& error) {
            voicememo::ShowErrorBox(nullptr, error.message());
            return 1;
        }
    }
    // A second start on the folder brings the first copy's window forward
    // and ends, so only one list of the catalogue is ever kept.
    voicememo::TForm1* window = nullptr;
    voicememo::FolderInstance instance(exeDir);
    const auto claim = instance.claim([&window](const QString& token) {
        if (window)
            voicememo::BringToFront(*window, token);
    });
    if (claim == voicememo::FolderInstance::Claim::AnotherRuns)
        return 0;

    voicememo::PosixFileSystem files;
    voicememo::SystemClock clock;
    voicememo::SystemRegionalSettings regional;
    voicememo::PulseSoundPlayer player;
    voicememo::DetachedProgramLauncher launcher;
    voicememo::TForm1 form({files, clock, regional, player, launcher, exeDir});
    window = &form;
    voicememo::SessionEnd sessionEnd(&form);
    form.show();
    if (form.Closed() || sessionEnd.Ended())
        return 0;  // ended while a start-up message was up
    // Said from the event loop, which an end from outside leaves at once.
    if (claim == voicememo::FolderInstance::Claim::Unchecked)
        QTimer::singleShot(0, &form, [&form, &instance] {
            voicememo::ShowNotice(&form, UncheckedFolderNotice(instance.sharedRuntimeFolder()));
        });
    return app.exec();
}
