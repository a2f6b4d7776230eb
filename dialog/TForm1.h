#pragma once
// The program's one window: the memo list, the editing controls of one memo
// and the commands. Its handlers are named after the control and event.
#include <QHash>
#include <QWidget>
#include <future>
#include <memory>
#include <string>

#include "Calendar.h"
#include "CatalogueKeeper.h"
#include "Clock.h"
#include "FileSystem.h"
#include "LoadedMemo.h"
#include "MemoListModel.h"
#include "ProgramLauncher.h"
#include "SoundPlayer.h"
#include "TakeKeeper.h"
#include "UnusedFileWalk.h"
#include "VoicePlayback.h"

class QAction;
class QLineEdit;
class QMenu;

namespace Ui {
class TForm1;
}

namespace voicememo {

class FocusKeeper;
class MnemonicKeys;
class TooltipTimer;

// What the dialog uses of the system.
struct DialogServices {
    FileSystem& files;
    Clock& clock;
    RegionalSettings& regional;
    SoundPlayer& player;
    ProgramLauncher& launcher;
    std::string exeDir;  // with a trailing "/"
};

class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(const DialogServices& services, QWidget* parent = nullptr);
    ~TForm1() override;

    // Read by the tests as a person reads the screen.
    int EditIndex() const { return editIndex_; }
    bool ShowHint() const;
    MemoListModel& Memos() { return model_; }
    QMenu* PopupMenu() const { return PopupMenu1; }
    // A close requested during the walk for unused files waits for its end.
    bool ClosePending() const { return closeAfterCommand_; }
    // The close query has run through and the window closed, perhaps before
    // the application's event loop ever started.
    bool Closed() const { return closed_; }

    void FormCreate();
    void FormShow();
    bool FormCloseQuery();
    void SetEditControlsEnabled(bool enabled);

    // Selection and editing.
    void ListView1Click();
    void Edit1Change();
    void ListView1Edited(int row, const QString& text);
    void T1Click();
    void RadioButton1Click();
    void ComboBox1Change();
    void ComboBox2Change();
    void Edit2Change();
    void UpDown3Click();
    void LargeIcon1Click();
    void Detail1Click();

    // Commands.
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void SpeedButton1Click();
    void BitBtn4Click();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void CreatePopupMenu();
    void WireHandlers();
    void UpdateKindTabStop();
    void SetEnabledStates(bool enabled);
    void SetDateControlsToToday();
    void LoadRow(int row);
    void LoadKindAndDate(const VoiceMemo& memo);
    // The memo as the editing controls show it (title, kind and date).
    VoiceMemo ShownMemo() const;
    void CommitEditingControls();
    void ReloadUntouchedFields();
    void ApplyYearRule();
    void ApplyMonthRule();
    void ApplyDayLimit();
    void ClampDayFromSpinner();
    void SaveCatalogue();
    void SaveAsYouGo();
    void TakeInCatalogue();
    // The edited and the selected row follow their memos into a merged list.
    void FollowRowMoves(int selected, const CatalogueKeeper::RowMoves& moves);
    void AddMemoRow(const std::string& name, const std::string& path);
    void AppendNewMemos(const std::vector<std::pair<std::string, std::string>>& files);
    void ShowLastMemo();
    void CloseIfAsked();
    // Sets a field's text from bytes and remembers them, so an unchanged
    // field gives back the very same bytes.
    void SetFieldBytes(QLineEdit* field, const std::string& bytes);
    std::string FieldBytes(QLineEdit* field) const;
    std::string SettingsPath() const;

    DialogServices services_;
    VoiceFileCheck voiceFiles_;
    std::unique_ptr<Ui::TForm1> ui;
    MemoListModel model_;
    CatalogueKeeper* catalogue_;
    QMenu* PopupMenu1 = nullptr;
    QAction* N1 = nullptr;
    QAction* Delete1 = nullptr;
    QAction* T1 = nullptr;
    QAction* N2 = nullptr;
    QAction* LargeIcon1 = nullptr;
    QAction* Detail1 = nullptr;
    QAction* N3 = nullptr;
    QAction* AddUnused1 = nullptr;
    TooltipTimer* tooltips_;
    MnemonicKeys* mnemonics_;
    FocusKeeper* focusKeeper_;
    QHash<QLineEdit*, std::string> fieldBytes_;

    UnusedFileWalk walk_;
    VoicePlayback playback_{services_.files, services_.player};
    TakeKeeper takes_{services_.files, services_.regional, services_.exeDir};

    int editIndex_ = -1;
    // What the editing controls took of that row's memo.
    LoadedMemo loaded_;
    QPoint placedAt_;  // where FormShow put the window
    WorkDate work_;
    bool shown_ = false;
    bool closeAfterCommand_ = false;  // a close came while a command ran
    bool closed_ = false;
    bool settingsUnwritable_ = false;  // a close failed to write the window's place
    std::string unsavedBecause_;       // why the last save as you go failed, said once
    bool handlerRunning_ = false;
};

}  // namespace voicememo
