// ボイスメモ: the voice-memo manager's entry. It takes no arguments; all its
// files lie beside the program.
#include <QApplication>

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

int main(int argc, char* argv[])
{
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
    if (instance.claim([&window](const QString& token) {
            if (window)
                voicememo::BringToFront(*window, token);
        }) == voicememo::FolderInstance::Claim::AnotherRuns)
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
    if (form.Closed())
        return 0;  // ended while a start-up message was up
    return app.exec();
}
