#include "TForm1.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QShowEvent>
#include <QTimer>
#include <system_error>

#include "Application.h"
#include "ByteText.h"
#include "CalendarFeed.h"
#include "Error.h"
#include "ErrorBox.h"
#include "FocusKeeper.h"
#include "KilledTakes.h"
#include "LineEditRules.h"
#include "LinkNotice.h"
#include "MnemonicKeys.h"
#include "Pictures.h"
#include "ProfileFile.h"
#include "RecorderLaunch.h"
#include "Settings.h"
#include "SettingsCopies.h"
#include "StepFromShownEntry.h"
#include "SyncNotices.h"
#include "TextCodec.h"
#include "TooltipTimer.h"
#include "VoiceFileNotice.h"
#include "VoiceStore.h"
#include "ui_TForm1.h"

namespace voicememo {

namespace {
constexpr int kYearChoices = 10;
}

// ---- start-up and close -------------------------------------------------

void TForm1::FormCreate()
{
    work_ = WorkDate::FromLocal(services_.clock.Now());
    QStringList years;
    for (int offset = 0; offset < kYearChoices; ++offset)
        years << QString::number(work_.WorkYear + offset);
    ui->ComboBox1->addItems(years);
    SetFieldBytes(ui->ComboBox1->lineEdit(), DecimalText(work_.WorkYear));
    SetFieldBytes(ui->ComboBox2->lineEdit(), DecimalText(work_.WorkMonth));
    ui->UpDown3->setPosition(work_.WorkDay);
    editIndex_ = -1;
    SetFieldBytes(ui->Edit1, "");
    SetEditControlsEnabled(false);
}

void TForm1::FormShow()
{
    ProfileReadOnce profile(services_.files, SettingsPath());
    DialogSettings settings = ReadDialogSettings(profile, x(), y());
    tooltips_->setEnabled(settings.showHint);
    placedAt_ = QPoint(settings.left, settings.top);
    PlaceFrameAt(*this, placedAt_);
    catalogue_->Load();
    if (const QString links = OutwardLinksNotice(services_.files, services_.exeDir, catalogue_->LinkLeadingOut());
        !links.isEmpty())
        ShowNotice(this, links);
    ShowFileSystemNotices(this, services_.files);
    DiscardPlaceOnlySettingsCopies(services_.files, services_.exeDir);
    MendKilledTakes(services_.files, services_.exeDir);  // before a take beside its file is adopted
    if (!catalogue_->LinkLeadingOut() && takes_.AdoptStrayTakes(this, model_))
        SaveCatalogue();
}

bool TForm1::FormCloseQuery()
{
    if (!shown_)
        return true;  // nothing was loaded, so nothing is saved over the files
    if (!Guarded(this, [this] {
            ListView1Click();
            const CatalogueKeeper::Closing closing(*catalogue_);
            SaveCatalogue();
        }))
        return false;
    if (services_.files.LinkLeadingOut(SettingsPath()))
        return true;  // read, never written through: said at start
    const auto writePlace = [this] {
        // Written only where it changed: a sync tool would keep two machines'
        // writes of one place as a conflict.
        ProfileReadOnce profile(services_.files, SettingsPath());
        const QPoint at = KeptPosition(*this, placedAt_);
        WriteDialogSettings(profile, {tooltips_->enabled(), at.x(), at.y()});
    };
    if (!settingsUnwritable_) {
        // The first failure keeps the window open, so the user can mend the file.
        settingsUnwritable_ = !Guarded(this, writePlace);
        return !settingsUnwritable_;
    }
    // Asked again: the memos are saved; only the window's place is lost.
    try {
        writePlace();
    } catch (const std::exception&) {
        ShowNotice(this, QStringLiteral("ボイスメモは保存しましたが、ウィンドウの位置は保存できませんでした。"));
    }
    return true;
}

// Edits are written into their memo first. Memos another program wrote
// meanwhile, or that a failed load missed, are merged in: the list shows
// the catalogue as saved, the memo being edited still the one edited.
void TForm1::SaveCatalogue()
{
    CommitEditingControls();
    const int selected = ui->ListView1->selectedRow();
    const CatalogueKeeper::RowMoves moves = catalogue_->Save();
    FollowRowMoves(selected, moves);
    if (moves)
        takes_.BringBackTrashedTakes(this, model_);
    ShowFileSystemNotices(this, services_.files);
    ShowSyncNotices(this, catalogue_->TakeSyncNotices());
}

// Saved as the window goes (edits at rest, the window left): a failure is
// said once, and the save tried again at the next occasion.
void TForm1::SaveAsYouGo()
{
    if (!shown_ || closed_ || handlerRunning_ || QApplication::activeModalWidget())
        return;
    try {
        SaveCatalogue();
        unsavedBecause_.clear();
    } catch (const Error& error) {
        if (error.message() != unsavedBecause_)
            ShowErrorBox(this, unsavedBecause_ = error.message());
    }
}

// What others wrote, taken in while nothing is under way here: no edit, no
// command, no box or menu, no title being renamed in place.
void TForm1::TakeInCatalogue()
{
    QWidget* focus = QApplication::focusWidget();
    const bool renaming = qobject_cast<QLineEdit*>(focus) && ui->ListView1->isAncestorOf(focus);
    if (!shown_ || closed_ || handlerRunning_ || renaming || catalogue_->EditPending() || walk_.running() ||
        playback_.playing() || QApplication::activeModalWidget() || QApplication::activePopupWidget())
        return;
    const int selected = ui->ListView1->selectedRow();
    try {
        const CatalogueKeeper::RowMoves moves = catalogue_->TakeIn();
        FollowRowMoves(selected, moves);
        if (moves)
            takes_.BringBackTrashedTakes(this, model_);
        // A catalogue that could not be read may name the takes found.
        if (!catalogue_->LoadFailed() && !catalogue_->LinkLeadingOut() && takes_.AdoptStrayTakes(this, model_))
            SaveCatalogue();
    } catch (const Error&) {
        // Tried again once the file changes; a save says what is wrong.
    }
    ShowSyncNotices(this, catalogue_->TakeSyncNotices());
}

void TForm1::FollowRowMoves(int selected, const CatalogueKeeper::RowMoves& moves)
{
    if (!moves)
        return;
    const auto moved = [&moves](int row) {
        return row >= 0 && static_cast<std::size_t>(row) < moves->size() ? static_cast<int>((*moves)[row]) : -1;
    };
    editIndex_ = moved(editIndex_);
    if (moved(selected) >= 0)
        ui->ListView1->selectRow(moved(selected));
    if (editIndex_ < 0) {
        SetFieldBytes(ui->Edit1, "");
        SetEditControlsEnabled(false);
    } else {
        ReloadUntouchedFields();
    }
}

void TForm1::showEvent(QShowEvent* event)
{
    if (!event->spontaneous() && !shown_) {
        shown_ = true;
        Guarded(this, [this] { FormShow(); });
        // Closed while a start-up message was up: the window must not come
        // back once the showing that was under way ends.
        if (closed_)
            QTimer::singleShot(0, this, &QWidget::hide);
    }
    QWidget::showEvent(event);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (walk_.running() || playback_.playing()) {
        closeAfterCommand_ = true;
        playback_.Stop();
        event->ignore();
        return;
    }
    if (FormCloseQuery()) {
        closed_ = true;
        event->accept();
        // A close from outside may come while a message is up (at start-up,
        // say): nothing is left to answer, and a question is answered No.
        DismissMessageBoxes();
    } else {
        event->ignore();
    }
}

// Back in the window, the user may have recorded or removed voice files.
void TForm1::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        model_.refreshMarks();
        TakeInCatalogue();
    } else if (event->type() == QEvent::ActivationChange) {
        SaveAsYouGo();  // the window left: what was edited is kept
    }
    QWidget::changeEvent(event);
}

std::string TForm1::SettingsPath() const { return services_.exeDir + kSettingsFileName; }

// ---- control states ---------------------------------------------------

void TForm1::SetEditControlsEnabled(bool enabled)
{
    SetEnabledStates(enabled);
    if (enabled && !ui->RadioButton1->isChecked())
        SetDateControlsToToday();
}

void TForm1::SetEnabledStates(bool enabled)
{
    using Controls = std::initializer_list<QWidget*>;
    for (QWidget* control : Controls{ui->BitBtn2, ui->BitBtn3, ui->Edit1, ui->RadioButton1, ui->RadioButton2})
        focusKeeper_->setEnabled(control, enabled);
    for (QAction* entry : {N1, T1, Delete1})
        entry->setEnabled(enabled);
    const bool dateEnabled = enabled && !ui->RadioButton1->isChecked();
    for (QWidget* control : Controls{ui->ComboBox1, ui->ComboBox2, ui->Edit2, ui->UpDown3})
        focusKeeper_->setEnabled(control, dateEnabled);
}

void TForm1::SetDateControlsToToday()
{
    work_ = WorkDate::FromLocal(services_.clock.Now());
    SetFieldBytes(ui->ComboBox1->lineEdit(), DecimalText(work_.WorkYear));
    SetFieldBytes(ui->ComboBox2->lineEdit(), DecimalText(work_.WorkMonth));
    ui->UpDown3->setPosition(work_.WorkDay);
}

void TForm1::SetFieldBytes(QLineEdit* field, const std::string& bytes)
{
    fieldBytes_[field] = bytes;
    field->setText(Decode(bytes));
}

std::string TForm1::FieldBytes(QLineEdit* field) const
{
    return EncodeKeeping(field->text(), fieldBytes_.value(field));
}

// ---- selection and editing ----------------------------------------------

void TForm1::ListView1Click()
{
    CommitEditingControls();
    const int selected = ui->ListView1->selectedRow();
    if (selected < 0) {
        SetFieldBytes(ui->Edit1, "");
        editIndex_ = -1;
        SetEditControlsEnabled(false);
    } else if (selected == editIndex_) {
        SetEnabledStates(true);
    } else {
        SetEditControlsEnabled(true);
        LoadRow(selected);
    }
}

VoiceMemo TForm1::ShownMemo() const
{
    VoiceMemo shown;
    shown.Title = FieldBytes(ui->Edit1);
    if (ui->RadioButton1->isChecked()) {
        shown.Kind = kKindTodo;
    } else {
        shown.Kind = kKindDaily;
        shown.ShownDate = JoinShownDate(FieldBytes(ui->ComboBox1->lineEdit()), FieldBytes(ui->ComboBox2->lineEdit()),
                                        FieldBytes(ui->Edit2));
    }
    return shown;
}

// Only what the user changed is written: a value another writer gave a
// field meanwhile stays unless the user changed that field too, and then
// the user is told what was written over.
void TForm1::CommitEditingControls()
{
    if (editIndex_ < 0 || editIndex_ >= model_.count())
        return;
    const VoiceMemo memo = model_.memo(editIndex_);
    const LoadedMemo::Commit commit = loaded_.Apply(memo, ShownMemo());
    if (commit.memo != memo)
        model_.setMemo(editIndex_, commit.memo);
    loaded_.Load(model_.memo(editIndex_), ShownMemo());
    if (!commit.replaced.empty()) {
        // Nothing is saved or taken in under the notice.
        const QScopedValueRollback running(handlerRunning_, true);
        ShowNotice(this, ReplacedValuesNotice(memo, model_.memo(editIndex_), commit.replaced));
    }
}

// What another writer changed in the memo under the controls shows in them,
// but in a field the user has changed since it was loaded. The focused
// field keeps its cursor where its text stays.
void TForm1::ReloadUntouchedFields()
{
    using Field = LoadedMemo::Field;
    const VoiceMemo memo = model_.memo(editIndex_);
    const VoiceMemo shown = ShownMemo();
    auto* focused = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    const QString focusedText = focused ? focused->text() : QString();
    const int cursor = focused ? focused->cursorPosition() : 0;
    if (loaded_.Arrived(Field::Title, memo) && !loaded_.Touched(Field::Title, shown)) {
        if (memo.Title != shown.Title)
            SetFieldBytes(ui->Edit1, memo.Title);
        loaded_.Reload(Field::Title, memo, ShownMemo());
    }
    if (loaded_.Arrived(Field::KindAndDate, memo) && !loaded_.Touched(Field::KindAndDate, shown)) {
        if (memo.Kind != shown.Kind || memo.ShownDate != shown.ShownDate)
            LoadKindAndDate(memo);
        loaded_.Reload(Field::KindAndDate, memo, ShownMemo());
    }
    if (focused && focused->text() == focusedText)
        focused->setCursorPosition(cursor);
}

void TForm1::LoadRow(int row)
{
    const VoiceMemo memo = model_.memo(row);
    editIndex_ = row;
    SetFieldBytes(ui->Edit1, memo.Title);
    LoadKindAndDate(memo);
    loaded_.Load(memo, ShownMemo());
}

void TForm1::LoadKindAndDate(const VoiceMemo& memo)
{
    if (memo.Kind == kKindTodo) {
        ui->RadioButton1->setChecked(true);
    } else if (memo.Kind == kKindDaily) {
        ui->RadioButton2->setChecked(true);
        ShownDateParts parts = SplitShownDate(memo.ShownDate);
        SetFieldBytes(ui->ComboBox1->lineEdit(), parts.year);
        SetFieldBytes(ui->ComboBox2->lineEdit(), parts.month);
        ApplyYearRule();
        ApplyMonthRule();
        SetFieldBytes(ui->Edit2, parts.day);
    }
}

void TForm1::Edit1Change()
{
    // The typed title shows at once in the row being edited; a row selected
    // by other means than a click is never renamed from here.
    const int selected = ui->ListView1->selectedRow();
    if (selected >= 0 && selected == editIndex_)
        model_.setTitle(selected, FieldBytes(ui->Edit1));
}

void TForm1::ListView1Edited(int row, const QString& text)
{
    model_.setTitle(row, EncodeKeeping(text, model_.memo(row).Title));
    if (row == editIndex_)
        SetFieldBytes(ui->Edit1, model_.memo(row).Title);
}

void TForm1::T1Click()
{
    const int selected = ui->ListView1->selectedRow();
    if (selected >= 0)
        ui->ListView1->editTitle(selected);
}

void TForm1::RadioButton1Click() { SetEditControlsEnabled(true); }

void TForm1::ComboBox1Change() { ApplyYearRule(); }

void TForm1::ComboBox2Change() { ApplyMonthRule(); }

void TForm1::ApplyYearRule()
{
    work_.WorkYear = WorkValueOf(FieldBytes(ui->ComboBox1->lineEdit()));
    ApplyDayLimit();
}

void TForm1::ApplyMonthRule()
{
    work_.WorkMonth = WorkValueOf(FieldBytes(ui->ComboBox2->lineEdit()));
    ApplyDayLimit();
}

void TForm1::ApplyDayLimit()
{
    ui->UpDown3->setRange(1, work_.Limit());
    work_.Clamp();
    ui->UpDown3->setPosition(work_.WorkDay);
}

void TForm1::ClampDayFromSpinner()
{
    work_.WorkDay = static_cast<std::uint16_t>(ui->UpDown3->position());
    work_.Clamp();
    ui->UpDown3->setPosition(work_.WorkDay);
}

void TForm1::Edit2Change()
{
    ClampDayFromSpinner();
    SetFieldBytes(ui->Edit2, DecimalText(work_.WorkDay));
}

void TForm1::UpDown3Click() { ClampDayFromSpinner(); }

void TForm1::LargeIcon1Click() { ui->ListView1->showLargeIcons(); }

void TForm1::Detail1Click() { ui->ListView1->showDetails(); }

// ---- commands -----------------------------------------------------------

void TForm1::AddMemoRow(const std::string& name, const std::string& path)
{
    AppendNewMemos({{name, path}});
    ShowLastMemo();
}

// Memos for voice files, as a recording or adopted files start: each titled
// with its file's name, shown every day, and all recorded at one reading of
// the clock, so that a date and its time are of one moment.
void TForm1::AppendNewMemos(const std::vector<std::pair<std::string, std::string>>& files)
{
    const Separators separators = services_.regional.Current();
    const LocalDateTime now = services_.clock.Now();
    const std::string date = FormatRecordedDate(now, separators.date);
    const std::string time = FormatRecordedTime(now, separators.time);
    for (const auto& [name, path] : files)
        model_.appendMemo({name, path, date, time, kKindTodo, ""});
}

// The editing controls take the last row, which stays unselected.
void TForm1::ShowLastMemo()
{
    SetFieldBytes(ui->Edit1, model_.memo(model_.count() - 1).Title);
    ui->RadioButton1->setChecked(true);
    SetEditControlsEnabled(true);
    editIndex_ = model_.count() - 1;
    loaded_.Load(model_.memo(editIndex_), ShownMemo());
}

void TForm1::BitBtn1Click()
{
    if (walk_.running())
        return;
    ListView1Click();
    editIndex_ = -1;
    ui->ListView1->clearSelection();
    VoiceStore store(services_.files, services_.exeDir);
    const std::string path = store.ReserveNext(model_.filePaths());
    // Not checked: the row is added all the same.
    StartRecorder(services_.files, services_.launcher, services_.exeDir, path);
    AddMemoRow(ExtractFileName(path), path);
}

void TForm1::BitBtn2Click()
{
    const int selected = ui->ListView1->selectedRow();
    if (selected < 0)
        return;
    focusKeeper_->setEnabled(ui->BitBtn2, false);
    playback_.Play(model_.memo(selected).FilePath);
    focusKeeper_->setEnabled(ui->BitBtn2, true);
    CloseIfAsked();
}

// A close asked for while a command ran (the sound ended at once, the walk
// was let finish) is done now that it has ended.
void TForm1::CloseIfAsked()
{
    if (closeAfterCommand_) {
        closeAfterCommand_ = false;
        close();
    }
}

void TForm1::BitBtn3Click()
{
    if (walk_.running())
        return;
    const int selected = ui->ListView1->selectedRow();
    if (selected < 0)
        return;
    if (!AskYesNo(this, QStringLiteral("削除してもよろしいですか?")))
        return;
    const std::string path = model_.memo(selected).FilePath;
    // Only read (a link out of the folder): the file keeps the memo, and so its take.
    Discard outcome = catalogue_->LinkLeadingOut() ? Discard::Missing
                                                   : takes_.Remove(model_.memo(selected), model_.filePaths(selected));
    if (outcome == Discard::NoTrash) {
        // No trash could take it back: lost for good only when the user says so.
        if (!AskYesNoDefaultNo(this, QStringLiteral(
                                         "ゴミ箱に移せないため、ボイスファイル %1 を完全に削除します。よろしいですか？")
                                         .arg(Decode(path))))
            return;
        outcome = takes_.Remove(model_.memo(selected), model_.filePaths(selected), true);
    }
    model_.removeMemo(selected);
    ui->ListView1->clearSelection();
    SetFieldBytes(ui->Edit1, "");
    SetEditControlsEnabled(false);
    editIndex_ = -1;
    if (const QString notice = KeptVoiceFileNotice(outcome, path); !notice.isEmpty())
        ShowNotice(this, notice);
}

void TForm1::SpeedButton1Click()
{
    if (walk_.running())
        return;
    ListView1Click();
    ui->ListView1->clearSelection();
    const std::vector<std::string> memoPaths = model_.filePaths();
    const std::vector<std::string> settingsLines = ReadSettingsLines(services_.files, services_.exeDir);

    VoiceStore store(services_.files, services_.exeDir);
    // The files found since the window last handled its events become rows
    // together, before it handles them again.
    std::vector<std::pair<std::string, std::string>> pending;
    auto addPendingRows = [&] {
        if (pending.empty())
            return;
        // A row the user clicked meanwhile keeps its edits and is not
        // renamed by the next row's title.
        CommitEditingControls();
        ui->ListView1->clearSelection();
        model_.holdNewRows();
        AppendNewMemos(pending);
        model_.showNewRows();
        // Each row would take the controls in turn; only the last one shows.
        ShowLastMemo();
        pending.clear();
    };
    const int found = walk_.Run(
        store, memoPaths, settingsLines,
        [&pending](const std::string& name, const std::string& path) { pending.emplace_back(name, path); },
        addPendingRows);
    if (closeAfterCommand_) {
        CloseIfAsked();
        return;
    }
    ShowNotice(this, found > 0
                         ? QString::number(found) + QStringLiteral("個の未使用のファイルが見つかり、追加しました。")
                         : QStringLiteral("未使用のファイルは見つかりませんでした"));
}

void TForm1::BitBtn4Click() { close(); }

}  // namespace voicememo
