#include "ErrorBox.h"

#include <QMessageBox>
#include <QPushButton>
#include <exception>

#include "Error.h"
#include "TextCodec.h"

namespace voicememo {

const char* const kApplicationTitle = "ボイスメモ";

namespace {

bool IsLeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// The index of the first byte of the last character of a code page 932 text.
std::size_t LastCharacterStart(const std::string& text)
{
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size();) {
        start = i;
        i += IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
    }
    return start;
}

}  // namespace

std::string ErrorBoxText(const std::string& message)
{
    if (!message.empty() && static_cast<unsigned char>(message[LastCharacterStart(message)]) > '.')
        return message + ".";
    return message;
}

void ShowErrorBox(QWidget* owner, const std::string& message)
{
    QMessageBox box(QMessageBox::Critical, QString::fromUtf8(kApplicationTitle),
                    Decode(ErrorBoxText(message)), QMessageBox::NoButton, owner);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

bool Guarded(QWidget* owner, const std::function<void()>& handler)
{
    try {
        handler();
        return true;
    } catch (const Error& error) {
        ShowErrorBox(owner, error.message());
    } catch (const std::exception& error) {
        ShowErrorBox(owner, Encode(QString::fromLocal8Bit(error.what())));
    }
    return false;
}

}  // namespace voicememo
