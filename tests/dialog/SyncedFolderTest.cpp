// Two machines on one folder kept in step by Syncthing, the program's
// folder at another path on each (other user names), a window open on
// each: edits made while the machines cannot see each other all survive
// their meeting, a title changed on one machine survives a click on the
// other, and windows opened and closed without edits leave the catalogue's
// bytes as they are.
#include <sys/stat.h>

#include <QRadioButton>
#include <QTest>
#include <filesystem>
#include <functional>
#include <map>

#include "DialogHarness.h"
#include "DialogTestMain.h"
#include "MemoSteps.h"
#include "SyncthingPair.h"
#include "TextCodec.h"

using namespace voicememo;
using namespace voicememo::testing;

namespace {

// How long the windows may take to meet once the machines do: a look every
// 2 s on each side, a second for Syncthing's watcher, and a loaded machine.
constexpr int kMeetMs = 45000;

// What one machine sees of the disk: the other machine's folder is not
// there, as another machine's home is not, though both are on this disk.
class MachineFiles : public PosixFileSystem {
public:
    std::string otherMachine;

    bool FileExists(const std::string& path) override { return !Hides(path) && PosixFileSystem::FileExists(path); }
    bool FileHoldsBytes(const std::string& path) override
    {
        return !Hides(path) && PosixFileSystem::FileHoldsBytes(path);
    }
    std::optional<std::string> ReadFile(const std::string& path) override
    {
        return Hides(path) ? std::nullopt : PosixFileSystem::ReadFile(path);
    }
    std::optional<std::string> ReadFileStart(const std::string& path, std::size_t count) override
    {
        return Hides(path) ? std::nullopt : PosixFileSystem::ReadFileStart(path, count);
    }
    std::optional<FileStamp> StampOf(const std::string& path) override
    {
        return Hides(path) ? std::nullopt : PosixFileSystem::StampOf(path);
    }
    std::optional<std::string> DiskPath(const std::string& path) override
    {
        return Hides(path) ? std::nullopt : PosixFileSystem::DiskPath(path);
    }
    std::vector<std::string> ListFiles(const std::string& folder, const std::string& prefix,
                                       const std::string& suffix) override
    {
        return Hides(folder) ? std::vector<std::string>{} : PosixFileSystem::ListFiles(folder, prefix, suffix);
    }
    bool DeleteFile(const std::string& path) override { return !Hides(path) && PosixFileSystem::DeleteFile(path); }
    std::optional<FolderIdentity> IdentityOfFolder(const std::string& folder) override
    {
        return Hides(folder) ? std::nullopt : PosixFileSystem::IdentityOfFolder(folder);
    }

private:
    bool Hides(const std::string& path) const { return !otherMachine.empty() && path.starts_with(otherMachine); }
};

// One machine: the program's folder in its user's home, and its window.
struct Machine {
    MachineFiles files;  // outlives the window
    Harness h;
    explicit Machine(const std::string& user)
    {
        h.exeDir = h.folder.dir() + "home/" + user + "/VoiceMemo/";
        std::filesystem::create_directories(h.exeDir + "data");
    }
    void Open()
    {
        h.form = std::make_unique<TForm1>(DialogServices{files, h.clock, h.regional, h.player, h.launcher, h.exeDir});
        h.form->show();
    }
    std::string Read(const std::string& name) const { return ReadWhole(h.exeDir + name); }
    void Write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(h.exeDir + name, std::ios::binary) << bytes;
    }
    TForm1& form() { return *h.form; }
};

// A memo as it should end: known by its take, whatever folder its line names.
struct Expected {
    std::string take;
    QString title;
    std::string kind = "TODO";
    std::string shown;
};
using Memos = std::vector<Expected>;

const Memos kStart{{"Voice1.wav", QStringLiteral("買い物"), "TODO", ""},
                   {"Voice2.wav", QStringLiteral("歯医者の予約"), "TODO", ""},
                   {"Voice3.wav", QStringLiteral("会議のメモ"), "TODO", ""}};

Memos With(Memos memos, const std::string& take, const std::function<void(Expected&)>& change)
{
    auto it = std::find_if(memos.begin(), memos.end(), [&](const Expected& e) { return e.take == take; });
    if (it == memos.end())
        it = memos.insert(memos.end(), Expected{take, {}, "TODO", ""});
    change(*it);
    return memos;
}

std::string TakeOf(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

std::vector<VoiceMemo> Parse(const std::string& text)
{
    std::vector<VoiceMemo> memos;
    for (std::size_t at = 0, end; at < text.size(); at = end + 2) {
        end = text.find("\r\n", at);
        if (end == std::string::npos)
            end = text.size();
        std::vector<std::string> fields;
        std::string line = text.substr(at, end - at) + "\t";
        for (std::size_t from = 0, tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1)
            fields.push_back(line.substr(from, tab - from));
        fields.resize(6);
        memos.push_back({fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]});
    }
    return memos;
}

bool Holds(const std::string& catalogue, const Expected& e)
{
    const std::vector<VoiceMemo> memos = Parse(catalogue);
    return std::any_of(memos.begin(), memos.end(), [&e](const VoiceMemo& m) {
        return TakeOf(m.FilePath) == e.take && m.Title == Encode(e.title) && m.Kind == e.kind && m.ShownDate == e.shown;
    });
}

std::vector<VoiceMemo> Shown(TForm1& form)
{
    std::vector<VoiceMemo> memos;
    for (int row = 0; row < form.Memos().count(); ++row)
        memos.push_back(form.Memos().memo(row));
    return memos;
}

// What differs between a list of memos and the memos expected: each take
// once, with its title, kind and date, and no other.
QStringList Mismatches(const QString& where, const std::vector<VoiceMemo>& memos, const Memos& expected)
{
    QStringList wrong;
    std::map<std::string, std::vector<VoiceMemo>> byTake;
    for (const VoiceMemo& memo : memos)
        byTake[TakeOf(memo.FilePath)].push_back(memo);
    for (const Expected& e : expected) {
        const std::vector<VoiceMemo>& found = byTake[e.take];
        QStringList titles;
        for (const VoiceMemo& memo : found)
            titles << QStringLiteral("%1 (%2)").arg(Decode(memo.Title), QString::fromStdString(memo.FilePath));
        if (found.size() != 1)
            wrong << QStringLiteral("%1: %2 is named %3 times: %4")
                         .arg(where, QString::fromStdString(e.take))
                         .arg(found.size())
                         .arg(titles.join(QStringLiteral(", ")));
        else if (found[0].Title != Encode(e.title) || found[0].Kind != e.kind || found[0].ShownDate != e.shown)
            wrong << QStringLiteral("%1: %2 is \"%3\" %4 %5, not \"%6\" %7 %8")
                         .arg(where, QString::fromStdString(e.take), Decode(found[0].Title),
                              QString::fromStdString(found[0].Kind), QString::fromStdString(found[0].ShownDate),
                              e.title, QString::fromStdString(e.kind), QString::fromStdString(e.shown));
        byTake.erase(e.take);
    }
    for (const auto& [take, found] : byTake)
        wrong << QStringLiteral("%1: %2 memos on %3, which no one recorded")
                     .arg(where)
                     .arg(found.size())
                     .arg(QString::fromStdString(take));
    return wrong;
}

// Two machines whose folders Syncthing keeps in step, A's catalogue and
// takes there first, its lines naming A's folder.
struct SyncedMachines {
    Machine a{"akiko"}, b{"shintaro"};
    std::string initial;
    std::unique_ptr<SyncthingPair> pair;
    QWidget elsewhere;  // another program's window: going there saves
    // A message either window shows is read and closed, as a person would;
    // what it said goes with a failure.
    BoxAnswerer boxes{QString(), true};

    SyncedMachines()
    {
        for (const Expected& e : kStart) {
            a.Write("data/" + e.take, "RIFF " + e.take);
            initial += Encode(e.title) + "\t" + a.h.exeDir + "data/" + e.take + "\t2026/12/01\t08:30:00\tTODO\t\r\n";
        }
        a.Write("Voice.dat", initial);
        a.files.otherMachine = b.h.folder.dir();
        b.files.otherMachine = a.h.folder.dir();
        // The stand-in recorder and its log are the test's, not the user's.
        pair = std::make_unique<SyncthingPair>(a.h.exeDir, b.h.exeDir,
                                               std::vector<std::string>{"voicememo-recorder", "recorder.log"});
        elsewhere.setWindowTitle(QStringLiteral("elsewhere"));
        elsewhere.resize(200, 100);
    }
    bool Open()
    {
        a.Open();
        b.Open();
        elsewhere.show();
        return QTest::qWaitForWindowExposed(&a.form()) && QTest::qWaitForWindowExposed(&b.form()) &&
               QTest::qWaitForWindowExposed(&elsewhere);
    }
    // A click into a window, as the window system hands it on: the window
    // left saves what was edited, the one entered looks at the file.
    static bool Enter(QWidget& window)
    {
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }
    static bool Use(Machine& m) { return Enter(m.form()); }
    bool Leave() { return Enter(elsewhere); }
    bool CloseBoth() { return a.form().close() && b.form().close(); }

    std::vector<std::string> ConflictCopies() const
    {
        std::vector<std::string> copies;
        for (const Machine* m : {&a, &b})
            for (const auto& entry : std::filesystem::recursive_directory_iterator(m->h.exeDir))
                if (entry.path().filename().string().find(".sync-conflict-") != std::string::npos)
                    copies.push_back(entry.path().string());
        return copies;
    }
    QStringList WindowMismatches(const Memos& expected)
    {
        return Mismatches(QStringLiteral("A's list"), Shown(a.form()), expected) +
               Mismatches(QStringLiteral("B's list"), Shown(b.form()), expected);
    }
    // What is wrong with both folders at the end: the two catalogues must be
    // the same bytes, name every memo once as expected, leave no conflict
    // copy behind and find every take on both machines.
    QStringList FolderMismatches(const Memos& expected) const
    {
        QStringList wrong = Mismatches(QStringLiteral("A's Voice.dat"), Parse(a.Read("Voice.dat")), expected) +
                            Mismatches(QStringLiteral("B's Voice.dat"), Parse(b.Read("Voice.dat")), expected);
        if (a.Read("Voice.dat") != b.Read("Voice.dat"))
            wrong << QStringLiteral("the two Voice.dat differ");
        for (const std::string& copy : ConflictCopies())
            wrong << QStringLiteral("left: %1").arg(QString::fromStdString(copy));
        for (const Machine* m : {&a, &b})
            for (const Expected& e : expected)
                if (!std::filesystem::exists(m->h.exeDir + "data/" + e.take))
                    wrong << QStringLiteral("missing: %1").arg(QString::fromStdString(m->h.exeDir + "data/" + e.take));
        if (!wrong.isEmpty() && boxes.seen)
            wrong << QStringLiteral("the windows said: ") + (QStringList(boxes.text) + boxes.later).join(" / ");
        if (!wrong.isEmpty())
            for (const Machine* m : {&a, &b})
                wrong << QStringLiteral("%1's Voice.dat:\n%2")
                             .arg(m == &a ? 'A' : 'B')
                             .arg(Decode(m->Read("Voice.dat")).replace(QLatin1String("\r\n"), QLatin1String("\n")));
        return wrong;
    }
};

// Says everything wrong at once, beyond the length a failure message keeps.
bool Fine(const QStringList& wrong)
{
    if (!wrong.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(wrong.join(QLatin1Char('\n'))));
    return wrong.isEmpty();
}

// Writes a file as Syncthing and the program do, by a rename.
void Replace(const Machine& m, const std::string& name, const std::string& bytes)
{
    m.Write(name + ".new", bytes);
    std::filesystem::rename(m.h.exeDir + name + ".new", m.h.exeDir + name);
}

struct Stamp {
    ino_t inode;
    std::int64_t mtimeNs;
    bool operator==(const Stamp&) const = default;
};
Stamp StatOf(const std::string& path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return {st.st_ino, st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec};
}

}  // namespace

class SyncedFolderTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void syncthingCarriesFilesAndKeepsBothSidesOfAConflict();
    void editsMadeApartAllSurviveTheMeeting();
    void twoSavesOnOneSideAndOneOnTheOtherAllSurvive();
    void titleChangedOnOneMachineSurvivesAClickOnTheOther();
    void windowsWithoutEditsLeaveTheCatalogueAsItIs();
    void takesRecordedAtOnceUnderOneNameAreBothKept();

private:
    void MeetAfterEditsApart(const std::function<void(SyncedMachines&)>& onA,
                             const std::function<void(SyncedMachines&)>& onB, const Memos& expected);
};

void SyncedFolderTest::init()
{
    if (SyncthingPair::Binary().isEmpty())
        QSKIP("syncthing is not installed (make test installs the Debian package syncthing)");
}

// The harness itself: what one machine writes reaches the other, and two
// versions written while apart meet as one file and a conflict copy beside
// it, on both machines, named as the program looks for it.
void SyncedFolderTest::syncthingCarriesFilesAndKeepsBothSidesOfAConflict()
{
    SyncedMachines m;
    m.a.Write("recorder.log", "1|data/Voice9.wav\n");
    QVERIFY(m.pair->WaitConnected());
    QVERIFY(m.pair->WaitInSync());
    QCOMPARE(m.b.Read("Voice.dat"), m.initial);
    QCOMPARE(m.b.Read("data/Voice2.wav"), "RIFF Voice2.wav");
    QVERIFY(!std::filesystem::exists(m.b.h.exeDir + "recorder.log"));  // ignored, there from the start

    QVERIFY(m.pair->Pause());
    Replace(m.a, "Voice.dat", "from A\r\n");
    Replace(m.b, "Voice.dat", "from B\r\n");
    QVERIFY(m.pair->Resume());
    QVERIFY(SyncthingPair::WaitFor([&] { return m.ConflictCopies().size() == 2; }));
    QVERIFY(m.pair->WaitInSync());
    const QRegularExpression named(QStringLiteral("^Voice\\.sync-conflict-\\d{8}-\\d{6}-[A-Z0-9]{7}\\.dat$"));
    const std::vector<std::string> copies = m.ConflictCopies();
    for (const Machine* side : {&m.a, &m.b}) {
        const auto copy = std::find_if(copies.begin(), copies.end(),
                                       [&](const std::string& p) { return p.starts_with(side->h.exeDir); });
        QVERIFY(copy != copies.end());
        const std::string name = copy->substr(side->h.exeDir.size());
        QVERIFY2(named.match(QString::fromStdString(name)).hasMatch(), name.c_str());
        const std::string both = side->Read("Voice.dat") + side->Read(name);
        QVERIFY(both == "from A\r\nfrom B\r\n" || both == "from B\r\nfrom A\r\n");
    }
}

// The machines lose each other, each saves its own edits, and they meet
// again: Syncthing keeps one catalogue and writes the other beside it. The
// windows, looking at the folder, must end with every edit, every memo once
// and no conflict copy, on both machines.
void SyncedFolderTest::MeetAfterEditsApart(const std::function<void(SyncedMachines&)>& onA,
                                           const std::function<void(SyncedMachines&)>& onB, const Memos& expected)
{
    SyncedMachines m;
    InstallStandInRecorder(m.a.h.exeDir);
    QVERIFY(m.pair->WaitConnected());
    QVERIFY(m.pair->WaitInSync());
    QVERIFY(m.Open());
    QVERIFY(m.pair->Pause());
    for (auto [machine, edits] : {std::pair{&m.a, onA}, std::pair{&m.b, onB}}) {
        QVERIFY(SyncedMachines::Use(*machine));
        edits(m);
        if (QTest::currentTestFailed())
            return;
        QVERIFY(m.Leave());
    }
    // Each edit was saved on one machine or the other before they meet
    // (a take that only the meeting makes aside).
    for (const Expected& e : expected)
        if (std::filesystem::exists(m.a.h.exeDir + "data/" + e.take))
            QVERIFY2(Holds(m.a.Read("Voice.dat"), e) || Holds(m.b.Read("Voice.dat"), e), e.take.c_str());
    QVERIFY(m.pair->Resume());
    QStringList wrong;
    if (!SyncthingPair::WaitFor([&] { return m.ConflictCopies().empty() && m.WindowMismatches(expected).isEmpty(); },
                                kMeetMs))
        wrong << QStringLiteral("after %1 s:").arg(kMeetMs / 1000) << m.WindowMismatches(expected);
    QVERIFY(m.CloseBoth());
    QVERIFY2(m.pair->WaitInSync(), "the two folders never came to rest");
    wrong << m.FolderMismatches(expected);
    QVERIFY2(Fine(wrong), qPrintable(wrong.value(0)));
}

// A retitles memo 1; B retitles memo 2 and makes memo 3 a dated one.
void SyncedFolderTest::editsMadeApartAllSurviveTheMeeting()
{
    const QString first = QStringLiteral("買い物リスト"), second = QStringLiteral("歯医者は木曜");
    MeetAfterEditsApart([&](SyncedMachines& m) { RetitleRow(m.a.h, 0, first); },
                        [&](SyncedMachines& m) {
                            RetitleRow(m.b.h, 1, second);
                            m.b.h.ClickRow(2);
                            QTest::mouseClick(m.b.h.Find<QRadioButton>("RadioButton2"), Qt::LeftButton);
                        },
                        With(With(With(kStart, "Voice1.wav", [&](Expected& e) { e.title = first; }), "Voice2.wav",
                                  [&](Expected& e) { e.title = second; }),
                             "Voice3.wav", [](Expected& e) {
                                 e.kind = "DAILY";
                                 e.shown = "2026/12/7";
                             }));
}

// A records a memo (saved at once) and names it (saved on leaving): two
// versions on A against one on B, where memo 2 is retitled.
void SyncedFolderTest::twoSavesOnOneSideAndOneOnTheOtherAllSurvive()
{
    const QString named = QStringLiteral("新しいアイデア"), second = QStringLiteral("歯医者は金曜");
    MeetAfterEditsApart(
        [&](SyncedMachines& m) {
            Click(m.a.h, "BitBtn1");
            QTRY_COMPARE_WITH_TIMEOUT(RecorderStarts(m.a.h.exeDir).size(), std::size_t(1), 20000);
            QVERIFY(m.a.Read("Voice.dat") != m.initial);  // the new memo is saved at once
            RetitleRow(m.a.h, 3, named);
        },
        [&](SyncedMachines& m) { RetitleRow(m.b.h, 1, second); },
        With(With(kStart, "Voice4.wav", [&](Expected& e) { e.title = named; }), "Voice2.wav",
             [&](Expected& e) { e.title = second; }));
}

// A has memo 1 in its controls when B retitles it; A takes the new title
// in, then its user clicks memo 1 and memo 2 without typing: the click must
// not write A's old title back.
void SyncedFolderTest::titleChangedOnOneMachineSurvivesAClickOnTheOther()
{
    const QString retitled = QStringLiteral("牛乳と卵を買う");
    const Memos expected = With(kStart, "Voice1.wav", [&](Expected& e) { e.title = retitled; });
    SyncedMachines m;
    QVERIFY(m.pair->WaitConnected());
    QVERIFY(m.pair->WaitInSync());
    QVERIFY(m.Open());
    QVERIFY(SyncedMachines::Use(m.a));
    m.a.h.ClickRow(0);
    QVERIFY(m.Leave());
    QVERIFY(SyncedMachines::Use(m.b));
    RetitleRow(m.b.h, 0, retitled);
    QVERIFY(m.Leave());
    QVERIFY(m.pair->WaitInSync());
    QTRY_VERIFY2_WITH_TIMEOUT(Mismatches(QStringLiteral("A's list"), Shown(m.a.form()), expected).isEmpty(),
                              qPrintable(Mismatches(QStringLiteral("A's list"), Shown(m.a.form()), expected)
                                             .join(QLatin1Char('\n'))),
                              kMeetMs);
    QVERIFY(SyncedMachines::Use(m.a));
    m.a.h.ClickRow(0);
    m.a.h.ClickRow(1);
    QVERIFY(m.Leave());
    QVERIFY(m.CloseBoth());
    QVERIFY(m.pair->WaitInSync());
    const QStringList wrong = m.FolderMismatches(expected);
    QVERIFY2(Fine(wrong), qPrintable(wrong.value(0)));
}

// Both windows opened, used and closed without an edit: B's copy of the
// catalogue, whose lines name A's folder, is not written (nothing for
// Syncthing to carry back), and both catalogues keep their first bytes.
void SyncedFolderTest::windowsWithoutEditsLeaveTheCatalogueAsItIs()
{
    SyncedMachines m;
    QVERIFY(m.pair->WaitConnected());
    QVERIFY(m.pair->WaitInSync());
    const Stamp arrived = StatOf(m.b.h.exeDir + "Voice.dat");
    QVERIFY(m.Open());
    for (Machine* machine : {&m.a, &m.b, &m.a}) {
        QVERIFY(SyncedMachines::Use(*machine));
        machine->h.ClickRow(1);
        QVERIFY(m.Leave());
    }
    QStringList wrong = m.WindowMismatches(kStart);
    QVERIFY(m.b.form().close());
    if (!(StatOf(m.b.h.exeDir + "Voice.dat") == arrived))
        wrong << QStringLiteral("B wrote Voice.dat without an edit");
    QVERIFY(m.a.form().close());
    QVERIFY(m.pair->WaitInSync());
    wrong << m.FolderMismatches(kStart);
    if (m.a.Read("Voice.dat") != m.initial)
        wrong << QStringLiteral("A's Voice.dat is no longer the catalogue A wrote");
    QVERIFY2(Fine(wrong), qPrintable(wrong.value(0)));
}

// Both machines record while apart and pick the same Voice4.wav: Syncthing
// keeps one take and puts the other beside it. Both windows give that take
// the next name and the same memo, so the machines meet on one of each.
void SyncedFolderTest::takesRecordedAtOnceUnderOneNameAreBothKept()
{
    const auto record = [](Machine& machine, const std::string& take) {
        InstallStandInRecorder(machine.h.exeDir);
        Click(machine.h, "BitBtn1");
        QTRY_COMPARE_WITH_TIMEOUT(RecorderStarts(machine.h.exeDir).size(), std::size_t(1), 20000);
        machine.Write("data/Voice4.wav", take);  // what the recorder puts there
    };
    MeetAfterEditsApart([&](SyncedMachines& m) { record(m.a, "RIFF A's take"); },
                        [&](SyncedMachines& m) { record(m.b, "RIFF B's take"); },
                        With(With(kStart, "Voice4.wav", [](Expected& e) { e.title = QStringLiteral("Voice4.wav"); }),
                             "Voice5.wav",
                             [](Expected& e) { e.title = QStringLiteral("Voice4.wav（別のコンピューター）"); }));
}

VOICEMEMO_DIALOG_TEST_MAIN(SyncedFolderTest)

#include "SyncedFolderTest.moc"
