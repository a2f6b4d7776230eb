// What the recorder's window shows and tells: the take's length and the
// place played, what a screen reader meets, its error box, and every text
// whole at the scale the test runs at (1, and 1.5 and 2 through
// QT_SCALE_FACTOR; see CMakeLists.txt).
#include <QAccessible>
#include <QApplication>
#include <QMessageBox>
#include <QProxyStyle>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>
#include <sys/stat.h>

#include "LevelMeter.h"
#include "PulseSoundPlayer.h"
#include "RecorderApplication.h"
#include "RecorderWindowFixture.h"
#include "StatusArea.h"

using namespace voicememo;
using namespace voicememo::testing;
using namespace std::chrono_literals;

namespace {

class RecorderScreen : public RecorderWindowTest {
protected:
    QString Time() { return Find<QLabel>("timeCaption")->text() + u' ' + Find<QLabel>("elapsedLabel")->text(); }
    void MakeTake(const std::string& file, const char* seconds)
    {
        ASSERT_EQ(RunProgram({"sox", "-n", "-r", "22050", "-c", "1", "-b", "16", folder.path(file).string(), "synth",
                              seconds, "sine", "440"}),
                  0);
    }
};

class RecorderScreenWithServer : public RecorderScreen {
protected:
    TestSoundServer server;
};

}  // namespace

// Before any take, the window shows the length of the one the file holds:
// what 再生 plays. A file that holds none, or none that can be read, shows
// none, and a FIFO of the file's name is not waited on.
TEST_F(RecorderScreen, OpenedOnAFileItShowsTheLengthOfItsTake)
{
    MakeTake("take.wav", "22.3");
    folder.Write("noise.wav", "RIFF, and no sound");
    ASSERT_EQ(::mkfifo(folder.path("fifo.wav").c_str(), 0644), 0);
    const struct {
        const char* file;
        QString shown;
    } cases[] = {
        {"take.wav", QStringLiteral("録音時間: 0:22.3")},    {"Voice1.wav", QStringLiteral("録音時間: 0:00.0")},
        {"noise.wav", QStringLiteral("録音時間: 0:00.0")},   {"fifo.wav", QStringLiteral("録音時間: 0:00.0")},
        {"missing.wav", QStringLiteral("録音時間: 0:00.0")},
    };
    for (const auto& row : cases) {
        Open(row.file);
        EXPECT_EQ(Time(), row.shown) << row.file;
    }
}

// While a take plays, the place in it and its length; 停止 ends the sound at
// once and the window goes on, 閉じる ends it at once and closes: of a
// thirty-second take, little more than the second before the press reaches
// the speaker.
TEST_F(RecorderScreenWithServer, PlaybackShowsThePlaceAndEndsAtOnceOnStopOrClose)
{
    const struct {
        const char* button;
        bool windowStays;
    } cases[] = {{"stopButton", true}, {"closeButton", false}};
    MakeTake("Voice1.wav", "30");
    PulseSoundPlayer speaker;
    for (const auto& row : cases) {
        SCOPED_TRACE(row.button);
        window = std::make_unique<RecorderWindow>(target, speaker);
        window->show();
        SpeakerCapture capture(folder.path("heard.wav").string());
        QString shownWhilePlaying;
        std::chrono::duration<double> sincePlayPressed{};
        const auto before = std::chrono::steady_clock::now();
        QTimer::singleShot(1000, window.get(), [&] {
            shownWhilePlaying = Time();
            sincePlayPressed = std::chrono::steady_clock::now() - before;
            QTest::mouseClick(Button(row.button), Qt::LeftButton);
        });
        QTest::mouseClick(Button("playButton"), Qt::LeftButton);
        const auto played = std::chrono::steady_clock::now() - before;
        const double heard = VoicedSeconds(capture.Stop());

        EXPECT_LT(played, 4s);
        EXPECT_GT(heard, 0.5);
        EXPECT_LT(heard, 3.5);
        const QRegularExpressionMatch place =
            QRegularExpression(QStringLiteral("^再生位置: (\\d+):(\\d\\d\\.\\d) / 0:30\\.0$")).match(shownWhilePlaying);
        ASSERT_TRUE(place.hasMatch()) << shownWhilePlaying.toStdString();
        EXPECT_NEAR(place.captured(1).toInt() * 60 + place.captured(2).toDouble(), sincePlayPressed.count(), 0.3);
        EXPECT_EQ(window->isVisible(), row.windowStays);
        if (row.windowStays) {
            EXPECT_TRUE(Button("playButton")->isEnabled());
            EXPECT_FALSE(Button("stopButton")->isEnabled());
            EXPECT_EQ(Time(), QStringLiteral("録音時間: 0:30.0"));
        }
    }
}

// What a screen reader meets: a window (not a pane); a status bar without a
// name of its own, so that what it holds is read, the status announced as a
// notification; and a level meter that is no progress bar, whose level it
// reads but can neither step nor set.
TEST_F(RecorderScreen, AScreenReaderMeetsAWindowAStatusBarAndAMeterItCannotSet)
{
    Open();
    const struct {
        QObject* object;
        QAccessible::Role role;
        QString name;
    } parts[] = {
        {window.get(), QAccessible::Window, QStringLiteral("録音 - Voice1.wav")},
        {window->findChild<StatusArea*>(), QAccessible::StatusBar, QString()},
        {Find<QLabel>("statusLabel"), QAccessible::Notification, QStringLiteral("「録音」を押すと録音を始めます。")},
        {Find<LevelMeter>("levelMeter"), QAccessible::Indicator, QStringLiteral("入力レベル:")},
    };
    for (const auto& [object, role, name] : parts) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(object);
        ASSERT_TRUE(accessible) << object->objectName().toStdString();
        EXPECT_EQ(accessible->role(), role) << object->objectName().toStdString();
        EXPECT_EQ(accessible->text(QAccessible::Name), name) << object->objectName().toStdString();
    }

    auto* meter = Find<LevelMeter>("levelMeter");
    meter->SetValue(37);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(meter);
    QAccessibleValueInterface* value = accessible->valueInterface();
    ASSERT_TRUE(value);
    EXPECT_EQ(value->currentValue().toInt(), 37);
    EXPECT_EQ(value->maximumValue().toInt(), 100);
    if (QAccessibleActionInterface* actions = accessible->actionInterface()) {
        EXPECT_FALSE(actions->actionNames().contains(QAccessibleActionInterface::increaseAction()));
        EXPECT_FALSE(actions->actionNames().contains(QAccessibleActionInterface::decreaseAction()));
    }
    value->setCurrentValue(80);
    EXPECT_EQ(meter->value(), 37);
}

// The recorder's error box is the dialog's: the stop icon, and a plain "OK"
// without the picture a desktop's theme gives a standard OK button (as the
// style here does).
TEST(RecorderApplication, TheErrorBoxHasTheStopIconAndAPlainOK)
{
    class PicturedButtons : public QProxyStyle {
    public:
        using QProxyStyle::QProxyStyle;
        int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                      QStyleHintReturn* returned) const override
        {
            return hint == SH_DialogButtonBox_ButtonsHaveIcons ? 1
                                                               : QProxyStyle::styleHint(hint, option, widget, returned);
        }
    };
    QApplication::setStyle(new PicturedButtons(QStringLiteral("fusion")));
    QString title, text;
    QStringList buttons;
    int pictures = 0;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QTimer::singleShot(0, qApp, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        for (QAbstractButton* button : box->buttons()) {
            buttons << button->text();
            pictures += !button->icon().isNull();
        }
        box->accept();
    });
    ShowRecorderError(QStringLiteral("保存先のフォルダーがありません。"));
    SetUpRecorderApplication(*qApp);
    EXPECT_EQ(title, QStringLiteral("録音"));
    EXPECT_EQ(text, QStringLiteral("保存先のフォルダーがありません。"));
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_EQ(buttons, QStringList({"OK"}));
    EXPECT_EQ(pictures, 0);
}

// Each button's words fit between its margins, and each label's text in its
// place: with the status that needs the most room and the place played in a
// long take shown, so that the window has grown to them.
TEST_F(RecorderScreen, EveryTextFitsAtTheScaleItRunsAt)
{
    MakeTake("Voice1.wav", "0.5");
    Open();
    window->findChild<StatusArea*>()->Tell(
        QStringLiteral(
            "ファイルがほかのプログラムによって削除または変更されたため、録音を「Voice1 (2).wav」として保存しました。"),
        {});
    window->findChild<StatusArea*>()->ShowTime(QStringLiteral("再生位置:"), QStringLiteral("59:59.9 / 59:59.9"));
    QCoreApplication::processEvents();
    const qreal scale = window->devicePixelRatioF();
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const QRect inside = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        EXPECT_LE(button->fontMetrics().size(Qt::TextShowMnemonic, button->text()).width(), inside.width())
            << button->text().toStdString() << " at " << scale;
    }
    for (QLabel* label : window->findChildren<QLabel*>()) {
        const QRect inside = label->contentsRect();
        const QSize needed = label->wordWrap() ? QSize(inside.width(), label->heightForWidth(label->width()))
                                               : label->fontMetrics().size(Qt::TextShowMnemonic, label->text());
        EXPECT_LE(needed.width(), inside.width()) << label->text().toStdString() << " at " << scale;
        EXPECT_LE(needed.height(), label->height()) << label->text().toStdString() << " at " << scale;
    }
}
