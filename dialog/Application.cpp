#include "Application.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFont>
#include <QLibraryInfo>
#include <QProxyStyle>
#include <QSessionManager>
#include <QStyle>
#include <QStyleFactory>
#include <QTranslator>
#include <QWidget>
#include <QWindow>

#include "Accessibility.h"
#include "DialogFont.h"
#include "EndSignals.h"
#include "ErrorBox.h"
#include "ProgramStyle.h"
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
        case SH_DialogButtonBox_ButtonsHaveIcons:
            // Words alone: a picture for them cost the first message box a
            // search through the icon themes on disk.
            return 0;
        default:
            return QProxyStyle::styleHint(hint, option, widget, returnData);
        }
    }
};

}  // namespace

void PreferX11Platform()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");
}

void PlaceFrameAt(QWidget& window, const QPoint& corner)
{
    // A move() of a window that exists places its inner corner, with static
    // gravity, while pos() reads the frame's corner back at close: under an
    // X11 window manager the window crept up by its title bar at every
    // start. Its frame position asks the window manager for the outer
    // corner. The widget is moved first, or its showing would place the
    // window again at the widget's old corner. Elsewhere no window manager
    // frames the window later (Wayland places it itself).
    window.move(corner);
    if (QGuiApplication::platformName() == QLatin1String("xcb") && window.windowHandle())
        window.windowHandle()->setFramePosition(corner);
}

QPoint KeptPosition(const QWidget& window, const QPoint& placedAt)
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland")) ? placedAt : window.pos();
}

void SetUpApplication(QApplication& app, bool keepUserStyle)
{
    QApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));
    QApplication::setApplicationDisplayName(QString::fromUtf8(kApplicationTitle));
    // The launcher's voicememo.desktop: a Wayland compositor takes the
    // window's icon from it.
    QGuiApplication::setDesktopFileName(QStringLiteral("voicememo"));
    app.setStyle(new DialogStyle(QStyleFactory::create(StyleToUse(keepUserStyle))));

    UseDialogFont();

    auto* translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
    InstallAccessibleRoles();
}

void BringToFront(QWidget& window, const QString& activationToken)
{
    // Qt's Wayland window hands the token to the compositor as it asks to
    // be activated.
    if (!activationToken.isEmpty())
        qputenv("XDG_ACTIVATION_TOKEN", activationToken.toUtf8());
    if (window.isMinimized())
        window.showNormal();
    window.raise();
    window.activateWindow();
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

    new EndSignals([this] { endProgram(); }, this);
}

// A box left up would keep the program from its end for good (a save that
// runs out of memory says so again at every close), so none is waited for.
void SessionEnd::endProgram()
{
    ended_ = true;
    RefuseMessageBoxes();
    try {
        DismissMessageBoxes();
        if (window_->isVisible() && !window_->close() && window_->ClosePending())
            return;  // it closes, saving, as the command under way ends
    } catch (...) {
        // Out of memory, say: the program ends all the same.
    }
    QCoreApplication::exit(0);
}

}  // namespace voicememo
