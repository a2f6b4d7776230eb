#include "Application.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFont>
#include <QLibraryInfo>
#include <QProxyStyle>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QStyleFactory>
#include <QTranslator>
#include <QWidget>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

#include "ErrorBox.h"
#include "TForm1.h"

namespace voicememo {

namespace {

constexpr int kTooltipWakeUpMs = 500;
constexpr int kTooltipFallAsleepMs = 2500;

class DialogStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        switch (hint) {
        case SH_ToolTip_WakeUpDelay:
            return kTooltipWakeUpMs;
        case SH_ToolTip_FallAsleepDelay:
            return kTooltipFallAsleepMs;
        case SH_DialogButtonLayout:
            return QDialogButtonBox::WinLayout;  // Yes before No, OK before Cancel
        default:
            return QProxyStyle::styleHint(hint, option, widget, returnData);
        }
    }
};

int signalPipe[2] = {-1, -1};

void OnEndSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] ssize_t ignored = ::write(signalPipe[1], &byte, 1);
}

}  // namespace

void PreferX11Platform()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");
}

void SetUpApplication(QApplication& app)
{
    QApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));
    QApplication::setApplicationDisplayName(QString::fromUtf8(kApplicationTitle));
    app.setStyle(new DialogStyle(QStyleFactory::create(QStringLiteral("Fusion"))));

    // The dialog's font, with Japanese Gothic faces where it is missing.
    const QString dialogFace = QStringLiteral("ＭＳ Ｐゴシック");
    QFont::insertSubstitutions(dialogFace, {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                                            QStringLiteral("Noto Sans CJK JP")});
    QFont font(dialogFace);
    font.setPixelSize(12);
    QApplication::setFont(font);

    auto* translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
}

SessionEnd::SessionEnd(TForm1* window) : QObject(window), window_(window)
{
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
        if (!window_->isVisible())
            return;
        manager.allowsInteraction();
        if (!window_->close() && !window_->ClosePending())
            manager.cancel();
    });

    if (signalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    signalNotifier_ = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(signalNotifier_, &QSocketNotifier::activated, this, [this] {
        char byte;
        [[maybe_unused]] ssize_t ignored = ::read(signalPipe[0], &byte, 1);
        closeWindow();
    });
    struct sigaction action {};
    action.sa_handler = OnEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
}

SessionEnd::~SessionEnd()
{
    ::signal(SIGTERM, SIG_DFL);
    ::signal(SIGHUP, SIG_DFL);
}

void SessionEnd::closeWindow()
{
    if (window_->isVisible())
        window_->close();
}

}  // namespace voicememo
