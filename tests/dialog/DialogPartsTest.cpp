// The dialog's own pieces on their own: the error box's text, the byte
// keeping at the text edge, the day spinner and the list's clicks.
#include <QLineEdit>
#include <QListView>
#include <QLoggingCategory>
#include <QPainter>
#include <QProxyStyle>
#include <QSignalSpy>
#include <QTest>
#include <limits>

#include "Application.h"
#include "AsUser.h"
#include "DialogHarness.h"
#include "DialogTestMain.h"
#include "Error.h"
#include "ErrorBox.h"
#include "LabelLayout.h"
#include "LineEditRules.h"
#include "MemoListModel.h"
#include "MemoListView.h"
#include "ProgramFolder.h"
#include "PulseSoundPlayer.h"
#include "RecorderLaunch.h"
#include "StateFolder.h"
#include "TestSoundServer.h"
#include "TextCodec.h"
#include "UpDown.h"

using namespace voicememo;

Q_DECLARE_METATYPE(std::function<void()>)

class DialogPartsTest : public QObject {
    Q_OBJECT
private slots:
    void errorBoxAppendsAFullStop_data();
    void errorBoxAppendsAFullStop();
    void failedHandlerIsReportedInJapanese_data();
    void failedHandlerIsReportedInJapanese();
    void unusableFolderIsNamedAsTheUserSeesIt_data();
    void unusableFolderIsNamedAsTheUserSeesIt();
    void unchangedTextKeepsItsBytes();
    void spinnerAndEditAreOneField();
    void listReportsClicksAsTheUserMakesThem();
    void iconLabelsWrapToTwoLines_data();
    void iconLabelsWrapToTwoLines();
    void iconCellsHaveOneSizeWhateverTheLastRow();
    void userStyleIsKeptAndFusionIsTheDefault_data();
    void userStyleIsKeptAndFusionIsTheDefault();
    void failuresLeaveATraceOnlyWhenSwitchedOn_data();
    void failuresLeaveATraceOnlyWhenSwitchedOn();
};

namespace {

// The list on its own, at the size it has in the window.
bool ShowList(MemoListView& list, MemoListModel& model)
{
    list.resize(321, 145);
    list.setModel(&model);
    list.show();
    return QTest::qWaitForWindowExposed(&list);
}

}  // namespace

void DialogPartsTest::errorBoxAppendsAFullStop_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QByteArray>("shown");
    QTest::newRow("empty") << QByteArray("") << QByteArray("");
    QTest::newRow("Japanese last") << QByteArray("\x95\x73\x90\xb3\x82\xc8") << QByteArray("\x95\x73\x90\xb3\x82\xc8.");
    QTest::newRow("half-width kana last") << QByteArray("\xb4\xd7\xb0") << QByteArray("\xb4\xd7\xb0.");
    QTest::newRow("parenthesis last") << QByteArray("I/O (5)") << QByteArray("I/O (5)");
    QTest::newRow("full stop last") << QByteArray("done.") << QByteArray("done.");
    QTest::newRow("slash last") << QByteArray("/x/") << QByteArray("/x/.");
    QTest::newRow("letter last") << QByteArray("a") << QByteArray("a.");
    // The trail byte of the last character is "." itself: the character's
    // first byte decides.
    QTest::newRow("trail byte below") << QByteArray("\x81\x2e") << QByteArray("\x81\x2e.");
}

void DialogPartsTest::errorBoxAppendsAFullStop()
{
    QFETCH(QByteArray, message);
    QFETCH(QByteArray, shown);
    QCOMPARE(QByteArray::fromStdString(ErrorBoxText(message.toStdString())), shown);
}

void DialogPartsTest::failedHandlerIsReportedInJapanese_data()
{
    QTest::addColumn<std::function<void()>>("handler");
    QTest::addColumn<QString>("shown");
    QTest::newRow("out of memory") << std::function<void()>([] { throw std::bad_alloc(); })
                                   << QStringLiteral("メモリが不足しています.");
    QTest::newRow("library failure") << std::function<void()>([] { (void)std::string("ab").at(5); })
                                     << QStringLiteral("内部エラーが発生しました.");
    QTest::newRow("not a std::exception")
        << std::function<void()>([] { throw 42; }) << QStringLiteral("内部エラーが発生しました.");
    QTest::newRow("the program's own error") << std::function<void()>([] {
        throw Error("\x95\x73\x90\xb3\x82\xc8\xcc\xa7\xb2\xd9\x96\xbc\x82\xc5\x82\xb7");
    }) << QStringLiteral("不正なﾌｧｲﾙ名です.");
}

void DialogPartsTest::failedHandlerIsReportedInJapanese()
{
    QFETCH(std::function<void()>, handler);
    QFETCH(QString, shown);
    voicememo::testing::BoxAnswerer box;
    QVERIFY(!Guarded(nullptr, handler));
    QVERIFY(box.seen);
    QCOMPARE(box.text, shown);
    QCOMPARE(box.icon, QMessageBox::Critical);
}

void DialogPartsTest::unusableFolderIsNamedAsTheUserSeesIt_data()
{
    using Reason = UnusableFolder::Reason;
    QTest::addColumn<QByteArray>("folder");
    QTest::addColumn<int>("reason");
    QTest::addColumn<QString>("shown");
    const QString notInCodePage =
        QStringLiteral("フォルダー %1 のパスには Shift_JIS で表せない文字が含まれているため、Voice.dat "
                       "にボイスファイルの場所を保存できません。\n"
                       "Shift_JIS で表せる文字だけのパスのフォルダーに移動してください。");
    const QString breaksLine = QStringLiteral(
        "フォルダー %1 のパスにはタブまたは改行が含まれているため、Voice.dat にボイスファイルの場所を保存できません。\n"
        "タブも改行もないパスのフォルダーに移動してください。");
    QTest::newRow("accented letter") << QByteArray("/home/u/caf\xc3\xa9") << int(Reason::NotInCodePage)
                                     << notInCodePage.arg(QStringLiteral("/home/u/café"));
    QTest::newRow("Japanese and an emoji")
        << QByteArray("/home/u/\xe3\x83\xa1\xe3\x83\xa2\xf0\x9f\x8e\xa4") << int(Reason::NotInCodePage)
        << notInCodePage.arg(QStringLiteral("/home/u/メモ\U0001F3A4"));
    QTest::newRow("TAB, CR and LF") << QByteArray("/home/u/a\tb\rc\nd") << int(Reason::BreaksCatalogueLine)
                                    << breaksLine.arg(QStringLiteral("/home/u/a\\tb\\rc\\nd"));
}

void DialogPartsTest::unusableFolderIsNamedAsTheUserSeesIt()
{
    QFETCH(QByteArray, folder);
    QFETCH(int, reason);
    QFETCH(QString, shown);
    QCOMPARE(UnusableFolderMessage(UnusableFolder(folder.toStdString(), UnusableFolder::Reason(reason))), shown);
}

void DialogPartsTest::unchangedTextKeepsItsBytes()
{
    const std::string broken = "a\x81";  // does not decode
    QCOMPARE(Decode(broken), QStringLiteral("a\uFFFD"));
    QCOMPARE(EncodeKeeping(Decode(broken), broken), broken);
    QCOMPARE(EncodeKeeping(QStringLiteral("ab"), broken), std::string("ab"));
    QCOMPARE(Encode(QStringLiteral("買い物😀")), std::string("\x94\x83\x82\xa2\x95\xa8?"));

    QLineEdit title;
    KeepTitleOnOneLine(&title);
    title.insert(QStringLiteral("a\tb\r\nc"));
    QCOMPARE(title.text(), QStringLiteral("a b  c"));
}

void DialogPartsTest::spinnerAndEditAreOneField()
{
    QLineEdit day;
    UpDown spinner;
    spinner.setBuddy(&day);
    spinner.setRange(1, 31);
    spinner.setPosition(7);
    QCOMPARE(day.text(), QStringLiteral("7"));

    // A text that is not a number within the range reads as the last valid day.
    day.setText(QStringLiteral("45"));
    QCOMPARE(spinner.position(), 7);
    day.setText(QStringLiteral(""));
    QCOMPARE(spinner.position(), 7);
    day.setText(QStringLiteral("12"));
    QCOMPARE(spinner.position(), 12);

    // Setting the upper bound does not move the position; the arrows stop at it.
    spinner.setRange(1, 10);
    QCOMPARE(day.text(), QStringLiteral("12"));
    day.setText(QStringLiteral("10"));
    QSignalSpy clicks(&spinner, &UpDown::clicked);
    QTest::keyClick(&day, Qt::Key_Up);
    QCOMPARE(day.text(), QStringLiteral("10"));
    QCOMPARE(clicks.count(), 0);
    QTest::keyClick(&day, Qt::Key_Down);
    QCOMPARE(day.text(), QStringLiteral("9"));
    QCOMPARE(clicks.count(), 1);
    day.setText(QStringLiteral("1"));
    QTest::keyClick(&day, Qt::Key_Down);
    QCOMPARE(day.text(), QStringLiteral("1"));

    // Setting the position it already has writes nothing.
    QSignalSpy edits(&day, &QLineEdit::textChanged);
    spinner.setPosition(1);
    QCOMPARE(edits.count(), 0);
}

void DialogPartsTest::listReportsClicksAsTheUserMakesThem()
{
    MemoListModel model;
    model.appendMemos({{"a", "", "", "", "TODO", ""}, {"b", "", "", "", "TODO", ""}});
    MemoListView list;
    QVERIFY(ShowList(list, model));
    QListView* view = list.iconView();
    QSignalSpy clicks(&list, &MemoListView::clicked);
    QSignalSpy doubles(&list, &MemoListView::doubleClicked);
    const QPoint second = view->visualRect(view->model()->index(1, 0)).center();

    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, second);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(list.selectedRow(), 1);

    // A click on empty space clears the selection first.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(300, 130));
    QCOMPARE(clicks.count(), 2);
    QCOMPARE(list.selectedRow(), -1);

    // A double-click is one click and then the double-click.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, second);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, second);
    QCOMPARE(clicks.count(), 3);
    QCOMPARE(doubles.count(), 1);

    // The right button selects without a click; a key that moves the
    // selection counts as one.
    QTest::mouseClick(view->viewport(), Qt::RightButton, {}, view->visualRect(view->model()->index(0, 0)).center());
    QCOMPARE(list.selectedRow(), 0);
    QCOMPARE(clicks.count(), 3);
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Right);
    QCOMPARE(list.selectedRow(), 1);
    QCOMPARE(clicks.count(), 4);

    // Rows stay where they are: the icons cannot be dragged about.
    QCOMPARE(view->movement(), QListView::Static);
}

void DialogPartsTest::iconLabelsWrapToTwoLines_data()
{
    // The lines expected; one ending in "…" is that text's start, cut.
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("fits") << "Voice3.wav" << QStringList{"Voice3.wav"};
    QTest::newRow("a word too long is cut, not broken") << "Voice100.wav" << QStringList{"Voice100.…"};
    QTest::newRow("a long word after a short one") << "Voice Voice1000.wav" << QStringList{"Voice", "Voice10…"};
    QTest::newRow("at the space, not in the word")
        << QStringLiteral("Voice 夕食.wav") << QStringList{"Voice", QStringLiteral("夕食.wav")};
    QTest::newRow("words") << "Shopping list for the weekend party" << QStringList{"Shopping", "list for…"};
    QTest::newRow("between Japanese characters")
        << QStringLiteral("会議のメモ、来週の月曜日までに資料を用意すること")
        << QStringList{QStringLiteral("会議のメモ、"), QStringLiteral("来週の月…")};
}

void DialogPartsTest::iconLabelsWrapToTwoLines()
{
    QFETCH(QString, title);
    QFETCH(QStringList, expected);
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(12);
    const QFontMetrics metrics(font);
    const int width = 71;
    const QStringList lines = LabelLayout(title, font, width, 2).lines();
    QCOMPARE(lines.size(), expected.size());
    for (int i = 0; i < lines.size(); ++i) {
        QVERIFY2(metrics.horizontalAdvance(lines[i]) <= width, qPrintable(lines[i]));
        if (expected[i].endsWith(u'\u2026'))
            QVERIFY2(lines[i].endsWith(u'\u2026') && lines[i].startsWith(expected[i].chopped(1)), qPrintable(lines[i]));
        else
            QCOMPARE(lines[i], expected[i]);
    }
    const int lineCount = static_cast<int>(lines.size());
    // Shown in full, nothing is lost.
    QCOMPARE(LabelLayout(title, font, width, std::numeric_limits<int>::max()).lines().join(QString()).remove(u' '),
             QString(title).remove(u' '));

    // Drawn, the ink keeps within the label's box, centred, and reaches its
    // last line.
    const LabelLayout label(title, font, width, 2);
    QImage image(width + 40, 4 * metrics.lineSpacing(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const int centre = image.width() / 2;
    label.draw(&painter, centre, metrics.lineSpacing());
    painter.end();
    QRect ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                ink |= QRect(x, y, 1, 1);
    QVERIFY(label.widest() <= width);
    QVERIFY2(ink.left() >= centre - label.widest() / 2 - 1 && ink.right() <= centre + label.widest() / 2 + 1,
             qPrintable(QStringLiteral("ink %1..%2, widest %3").arg(ink.left()).arg(ink.right()).arg(label.widest())));
    QVERIFY(ink.top() >= metrics.lineSpacing());
    QVERIFY(ink.bottom() >= lineCount * metrics.lineSpacing());
    QVERIFY(ink.bottom() < (lineCount + 1) * metrics.lineSpacing());
}

void DialogPartsTest::iconCellsHaveOneSizeWhateverTheLastRow()
{
    MemoListModel model;
    model.appendMemos({{"Voice3.wav", "", "", "", "TODO", ""}, {"A", "", "", "", "TODO", ""}});
    MemoListView list;
    QVERIFY(ShowList(list, model));
    QListView* view = list.iconView();
    const QRect first = view->visualRect(view->model()->index(0, 0));
    QCOMPARE(view->visualRect(view->model()->index(1, 0)).size(), first.size());
    QCOMPARE(first.width(), 75);
    QCOMPARE(view->gridSize(), first.size());
    const QFontMetrics metrics(view->font());
    QVERIFY(first.height() >= 32 + 2 * metrics.lineSpacing());
    QCOMPARE(LabelLayout(QStringLiteral("Voice3.wav"), view->font(), first.width() - 4, 2).lines(),
             QStringList{"Voice3.wav"});
}

void DialogPartsTest::userStyleIsKeptAndFusionIsTheDefault_data()
{
    QTest::addColumn<QByteArrayList>("arguments");
    QTest::addColumn<QByteArray>("override");
    QTest::addColumn<QString>("style");
    QTest::newRow("none") << QByteArrayList{} << QByteArray() << QStringLiteral("fusion");
    QTest::newRow("-style windows") << QByteArrayList{"-style", "windows"} << QByteArray() << QStringLiteral("windows");
    QTest::newRow("--style=windows") << QByteArrayList{"--style=windows"} << QByteArray() << QStringLiteral("windows");
    QTest::newRow("QT_STYLE_OVERRIDE") << QByteArrayList{} << QByteArray("windows") << QStringLiteral("windows");
    QTest::newRow("a style sheet is no style")
        << QByteArrayList{"-stylesheet", "a.qss"} << QByteArray() << QStringLiteral("fusion");
    QTest::newRow("-styles is no style") << QByteArrayList{"-styles"} << QByteArray() << QStringLiteral("fusion");
}

// Qt has put the user's style in place when the application was made (here:
// Windows, as it would for these arguments); the set-up keeps it or puts
// Fusion, under the dialog's own hints.
void DialogPartsTest::userStyleIsKeptAndFusionIsTheDefault()
{
    QFETCH(QByteArrayList, arguments);
    QFETCH(QByteArray, override);
    QFETCH(QString, style);
    QByteArrayList all{"voicememo"};
    all += arguments;
    std::vector<char*> argv;
    for (QByteArray& argument : all)
        argv.push_back(argument.data());
    const QByteArray saved = qgetenv("QT_STYLE_OVERRIDE");
    qputenv("QT_STYLE_OVERRIDE", override);
    const bool chosen = UserChoseStyle(static_cast<int>(argv.size()), argv.data());
    qputenv("QT_STYLE_OVERRIDE", saved);

    QApplication::setStyle(QStringLiteral("windows"));
    SetUpApplication(*qApp, chosen);
    auto* dialogStyle = qobject_cast<QProxyStyle*>(QApplication::style());
    QVERIFY(dialogStyle);
    QCOMPARE(dialogStyle->baseStyle()->name(), style);
    QCOMPARE(dialogStyle->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 500);
    SetUpApplication(*qApp);
}

namespace {

std::vector<std::string>* loggedCategories = nullptr;

// The program's categories of the lines logged while `run` runs, with the
// rules a user would set, or none.
std::string LoggedBy(const std::function<void()>& run, const QString& rules)
{
    std::vector<std::string> seen;
    loggedCategories = &seen;
    QLoggingCategory::setFilterRules(rules);
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext& context, const QString&) {
            if (context.category && QByteArray(context.category).startsWith("voicememo."))
                loggedCategories->emplace_back(context.category);
        });
    run();
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules({});
    loggedCategories = nullptr;
    std::sort(seen.begin(), seen.end());
    seen.erase(std::unique(seen.begin(), seen.end()), seen.end());
    std::string joined;
    for (const std::string& category : seen)
        joined += (joined.empty() ? "" : " ") + category;
    return joined;
}

}  // namespace

Q_DECLARE_METATYPE(std::function<void(const std::string&)>)

void DialogPartsTest::failuresLeaveATraceOnlyWhenSwitchedOn_data()
{
    using Failure = std::function<void(const std::string&)>;
    QTest::addColumn<Failure>("failure");
    QTest::addColumn<bool>("unprivileged");
    QTest::addColumn<QString>("category");
    // A file that is no sound, with no sound server to play the alert on.
    QTest::newRow("sound") << Failure([](const std::string& dir) {
        testing::TestSoundServer::UseNoServer(dir);
        PulseSoundPlayer(std::chrono::seconds(1), dir + "no-alert.oga").PlayToEnd(dir + "Voice.dat", {});
    }) << false << QStringLiteral("voicememo.sound");
    QTest::newRow("recorder") << Failure([](const std::string& dir) {
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QByteArray::fromStdString(dir));
        PosixFileSystem files;
        DetachedProgramLauncher launcher;
        StartRecorder(files, launcher, dir, dir + "data/Voice1.wav");
        qputenv("PATH", path);
    }) << false << QStringLiteral("voicememo.recorder");
    // A catalogue the user may write in a folder the user may not.
    QTest::newRow("files") << Failure([](const std::string& dir) {
        PosixFileSystem().ReplaceFile(dir + "Voice.dat", "new");
    }) << true << QStringLiteral("voicememo.files");
}

void DialogPartsTest::failuresLeaveATraceOnlyWhenSwitchedOn()
{
    QFETCH(std::function<void(const std::string&)>, failure);
    QFETCH(bool, unprivileged);
    QFETCH(QString, category);
    testing::UsePrivateStateFolder();
    testing::TempFolder folder;
    folder.Write("Voice.dat", "old\tp\td\tt\tTODO\t\r\n");
    folder.GiveTo(testing::UnprivilegedUid(), testing::UnprivilegedGid());
    folder.SetMode("", 0555);
    for (const QString& rules : {QStringLiteral("voicememo.*=true"), QString()}) {
        auto logged = [&] { return LoggedBy([&] { failure(folder.dir()); }, rules); };
        const std::optional<std::string> seen = unprivileged ? testing::RunUnprivileged(logged) : logged();
        QVERIFY(seen);
        QCOMPARE(QString::fromStdString(*seen), rules.isEmpty() ? QString() : category);
    }
}

VOICEMEMO_DIALOG_TEST_MAIN(DialogPartsTest)

#include "DialogPartsTest.moc"
