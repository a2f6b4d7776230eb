// The voice-memo recorder: records one voice file, given as its only
// argument besides Qt's own options (-style and the like), from the sound
// server's default input. See CommandLine.h.
#include <QApplication>
#include <QTimer>
#include <filesystem>

#include "CommandLine.h"
#include "EndSignals.h"
#include "ProgramStyle.h"
#include "PulseSoundPlayer.h"
#include "RecorderApplication.h"
#include "RecorderWindow.h"
#include "TakeFile.h"

namespace {

int Refuse(const QString& message)
{
    voicememo::ShowRecorderError(message);
    return 2;
}

bool FolderExists(const std::string& target)
{
    std::filesystem::path folder = std::filesystem::path(target).parent_path();
    std::error_code error;
    return folder.empty() || std::filesystem::is_directory(folder, error);
}

}  // namespace

int main(int argc, char* argv[])
{
    // QApplication takes its own options out of argv; the rest is ours. The
    // path is taken as bytes from argv: it names a file on disk, whatever Qt
    // makes of the locale.
    const bool styleChosen = voicememo::UserChoseStyle(argc, argv);
    QApplication app(argc, argv);
    voicememo::SetUpRecorderApplication(app, styleChosen);
    const std::vector<std::string> arguments(argv + 1, argv + argc);

    const auto command = voicememo::ParseRecorderCommand(arguments);
    if (!command)
        return Refuse(QStringLiteral("録音するファイルを一つ指定してください。\n\n"
                                     "使い方: voicememo-recorder [--start] ファイル"));
    if (!FolderExists(command->target))
        return Refuse(QStringLiteral("保存先のフォルダーがありません。\n%1").arg(QString::fromUtf8(command->target)));

    // A take a killed recorder left is mended before a new one may replace it.
    voicememo::TakeFile::MendKilled(command->target);
    voicememo::PulseSoundPlayer player;
    voicememo::RecorderWindow window(command->target, player);
    // The end of the session closes the window as its close box does: a take
    // that is running is ended and kept.
    voicememo::EndSignals endSignals([&window] { window.close(); });
    window.show();
    if (voicememo::StartsAtOnce(*command))
        QTimer::singleShot(0, &window, &voicememo::RecorderWindow::StartTake);
    return app.exec();
}
