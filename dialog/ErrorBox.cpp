#include "ErrorBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <exception>

#include "ByteText.h"
#include "Error.h"
#include "TextCodec.h"

namespace voicememo {

const char* const kApplicationTitle = "ボイスメモ";

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

bool AskYesNo(QWidget* owner, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kApplicationTitle), text,
                    QMessageBox::Yes | QMessageBox::No, owner);
    box.setDefaultButton(QMessageBox::Yes);
    box.setWindowModality(Qt::ApplicationModal);
    // Anything but Yes (Esc, the box closed or taken down) is No.
    return box.exec() == QMessageBox::Yes;
}

void ShowNotice(QWidget* owner, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kApplicationTitle), text, QMessageBox::Ok, owner);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void DismissMessageBoxes()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible())
            box->done(QMessageBox::No);
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
