#pragma once
// What the user is told when a deleted memo's voice file stays where it is.
#include <QString>
#include <string>

class QWidget;

#include "FileSystem.h"

namespace voicememo {

// One line saying why the file was kept; empty when it went (to the trash,
// deleted) or was not there.
QString KeptVoiceFileNotice(Discard outcome, const std::string& path);

// Shows, each once, what the file system has to tell the user (a rollback
// journal set aside, say).
void ShowFileSystemNotices(QWidget* owner, FileSystem& files);

}  // namespace voicememo
