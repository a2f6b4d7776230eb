#include "ErrorBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <new>

#include "ByteText.h"
#include "Error.h"
#include "ProgramFolder.h"
#include "TextCodec.h"

namespace voicememo {

const char* const kApplicationTitle = "ボイスメモ";

namespace {

// What the box says for a failure that is no Error of the program's: never
// the exception's own text, which is English and meant for programmers.
const char16_t* const kOutOfMemory = u"メモリが不足しています";
const char16_t* const kInternalError = u"内部エラーが発生しました";

bool boxesRefused = false;

void ShowErrorText(QWidget* owner, const QString& shown)
{
    QMessageBox box(QMessageBox::Critical, QString::fromUtf8(kApplicationTitle), shown, QMessageBox::NoButton, owner);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setWindowModality(Qt::ApplicationModal);
    if (!boxesRefused)
        box.exec();
}

}  // namespace

std::string ErrorBoxText(const std::string& message)
{
    if (!message.empty() && static_cast<unsigned char>(message[LastCharacterStart(message)]) > '.')
        return message + ".";
    return message;
}

void ShowErrorBox(QWidget* owner, const std::string& message) { ShowErrorText(owner, Decode(ErrorBoxText(message))); }

void ShowErrorBox(QWidget* owner, const QString& message)
{
    // The full stop follows the code page 932 form of the last character.
    const qsizetype last = message.size() - (!message.isEmpty() && message.back().isLowSurrogate() ? 2 : 1);
    const std::string lastBytes = last < 0 ? std::string() : Encode(message.mid(last));
    ShowErrorText(owner, ErrorBoxText(lastBytes) == lastBytes ? message : message + u'.');
}

namespace {

bool Ask(QWidget* owner, const QString& text, QMessageBox::StandardButton byDefault)
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kApplicationTitle), text, QMessageBox::Yes | QMessageBox::No,
                    owner);
    box.setDefaultButton(byDefault);
    box.setWindowModality(Qt::ApplicationModal);
    // Anything but Yes (Esc, the box closed or taken down) is No.
    return !boxesRefused && box.exec() == QMessageBox::Yes;
}

}  // namespace

bool AskYesNo(QWidget* owner, const QString& text) { return Ask(owner, text, QMessageBox::Yes); }

bool AskYesNoDefaultNo(QWidget* owner, const QString& text) { return Ask(owner, text, QMessageBox::No); }

void ShowNotice(QWidget* owner, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kApplicationTitle), text, QMessageBox::Ok, owner);
    box.setWindowModality(Qt::ApplicationModal);
    if (!boxesRefused)
        box.exec();
}

QString UnusableFolderMessage(const UnusableFolder& error)
{
    QString folder = QString::fromUtf8(error.folder());
    folder.replace(u'\t', QStringLiteral("\\t"))
        .replace(u'\r', QStringLiteral("\\r"))
        .replace(u'\n', QStringLiteral("\\n"));
    if (error.reason() == UnusableFolder::Reason::NotInCodePage)
        return QStringLiteral("フォルダー %1 のパスには Shift_JIS で表せない文字が含まれているため、"
                              "Voice.dat にボイスファイルの場所を保存できません。\n"
                              "Shift_JIS で表せる文字だけのパスのフォルダーに移動してください。")
            .arg(folder);
    return QStringLiteral("フォルダー %1 のパスにはタブまたは改行が含まれているため、"
                          "Voice.dat にボイスファイルの場所を保存できません。\n"
                          "タブも改行もないパスのフォルダーに移動してください。")
        .arg(folder);
}

void DismissMessageBoxes()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible())
            box->done(QMessageBox::No);
}

void RefuseMessageBoxes() { boxesRefused = true; }

bool Guarded(QWidget* owner, const std::function<void()>& handler)
{
    try {
        handler();
        return true;
    } catch (const Error& error) {
        ShowErrorBox(owner, error.message());
    } catch (const std::bad_alloc&) {
        ShowErrorBox(owner, QString::fromUtf16(kOutOfMemory));
    } catch (...) {
        ShowErrorBox(owner, QString::fromUtf16(kInternalError));
    }
    return false;
}

}  // namespace voicememo
