#include "TForm1.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QTimer>
#include <system_error>

#include "Application.h"
#include "ByteText.h"
#include "CalendarFeed.h"
#include "ErrorBox.h"
#include "FocusKeeper.h"
#include "LineEditRules.h"
#include "MnemonicKeys.h"
#include "Pictures.h"
#include "ProfileFile.h"
#include "RecorderLaunch.h"
#include "Settings.h"
#include "StepFromShownEntry.h"
#include "TextCodec.h"
#include "TooltipTimer.h"
#include "VoiceFileNotice.h"
#include "VoiceStore.h"
#include "ui_TForm1.h"

namespace voicememo {

namespace {
constexpr int kYearChoices = 10;
}

TForm1::TForm1(const DialogServices& services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      services_(services),
      voiceFiles_(services.files),
      ui(std::make_unique<Ui::TForm1>()),
      catalogue_(services.files, services.exeDir),
      catalogueReadAhead_(ReadCatalogueAhead()),
      tooltips_(new TooltipTimer(this)),
      mnemonics_(new MnemonicKeys(this))
{
    ui->setupUi(this);
    focusKeeper_ = new FocusKeeper(this, ui->ListView1);
    setWindowIcon(WindowIcon());
    for (QLabel* label : {ui->Label1, ui->Label2, ui->Label3, ui->Label4})
        label->adjustSize();  // labels size themselves to their caption

    // Made when a row first draws them, at its screen's scale.
    const QIcon itemImage = ItemImage();
    model_.setItemImages(itemImage, EmptyItemImage(itemImage));
    model_.setVoiceFileCheck(&voiceFiles_);
    ui->ListView1->setModel(&model_);
    ui->UpDown3->setBuddy(ui->Edit2);
    ui->BitBtn1->setIcon(Glyph(QStringLiteral("record")));
    ui->BitBtn2->setIcon(Glyph(QStringLiteral("play")));
    ui->BitBtn3->setIcon(Glyph(QStringLiteral("delete")));
    ui->BitBtn4->setIcon(Glyph(QStringLiteral("close")));
    KeepTitleOnOneLine(ui->Edit1);
    RemoveLengthLimit(ui->Edit1);
    for (QComboBox* box : {ui->ComboBox1, ui->ComboBox2}) {
        box->setCompleter(nullptr);  // the year rule sees exactly what is typed
        new StepFromShownEntry(box);
        KeepDatePartOnOneLine(box->lineEdit());
        RemoveLengthLimit(box->lineEdit());
    }
    KeepDatePartOnOneLine(ui->Edit2);
    RemoveLengthLimit(ui->Edit2);

    CreatePopupMenu();
    WireHandlers();
    // Created at the screen's top-left corner; FormShow moves it to the
    // stored place before it becomes visible.
    move(0, 0);
    FormCreate();
}

TForm1::~TForm1() = default;

bool TForm1::ShowHint() const { return tooltips_->enabled(); }

void TForm1::CreatePopupMenu()
{
    PopupMenu1 = new QMenu(this);
    N1 = PopupMenu1->addAction(QStringLiteral("再生(&P)"));
    Delete1 = PopupMenu1->addAction(QStringLiteral("削除(&D)"));
    T1 = PopupMenu1->addAction(QStringLiteral("タイトルを変える(&T)"));
    N2 = PopupMenu1->addSeparator();
    LargeIcon1 = PopupMenu1->addAction(QStringLiteral("大きいアイコン(&G)"));
    Detail1 = PopupMenu1->addAction(QStringLiteral("詳細(&S)"));
    // The keyboard's way to the button, which is no tab stop.
    N3 = PopupMenu1->addSeparator();
    AddUnused1 = PopupMenu1->addAction(QStringLiteral("未使用追加(&A)"));
    N1->setObjectName(QStringLiteral("N1"));
    Delete1->setObjectName(QStringLiteral("Delete1"));
    T1->setObjectName(QStringLiteral("T1"));
    N2->setObjectName(QStringLiteral("N2"));
    LargeIcon1->setObjectName(QStringLiteral("LargeIcon1"));
    Detail1->setObjectName(QStringLiteral("Detail1"));
    N3->setObjectName(QStringLiteral("N3"));
    AddUnused1->setObjectName(QStringLiteral("AddUnused1"));
    // The default entry, the one the list's double-click runs, is bold.
    QFont bold = N1->font();
    bold.setBold(true);
    N1->setFont(bold);
    PopupMenu1->setDefaultAction(N1);
}

void TForm1::WireHandlers()
{
    auto guarded = [this](void (TForm1::*handler)()) {
        return [this, handler] { Guarded(this, [this, handler] { (this->*handler)(); }); };
    };
    // A command may change the voice files: their marks are looked at anew.
    auto command = [this, guarded](void (TForm1::*handler)()) {
        return [this, run = guarded(handler)] {
            run();
            model_.refreshMarks();
        };
    };
    connect(ui->ListView1, &MemoListView::clicked, this, guarded(&TForm1::ListView1Click));
    connect(ui->ListView1, &MemoListView::doubleClicked, this, command(&TForm1::BitBtn2Click));
    connect(ui->ListView1, &MemoListView::contextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(at); });
    connect(&model_, &MemoListModel::titleEdited, this,
            [this](int row, const QString& text) { Guarded(this, [&] { ListView1Edited(row, text); }); });
    connect(ui->Edit1, &QLineEdit::textChanged, this, guarded(&TForm1::Edit1Change));
    for (QRadioButton* kind : {ui->RadioButton1, ui->RadioButton2})
        connect(kind, &QRadioButton::toggled, this, [this](bool checked) {
            UpdateKindTabStop();
            if (checked)
                Guarded(this, [this] { RadioButton1Click(); });
        });
    UpdateKindTabStop();
    // The boxes' change handlers run for the user's typing and picking only.
    connect(ui->ComboBox1->lineEdit(), &QLineEdit::textEdited, this, guarded(&TForm1::ComboBox1Change));
    connect(ui->ComboBox1, &QComboBox::textActivated, this, guarded(&TForm1::ComboBox1Change));
    connect(ui->ComboBox2->lineEdit(), &QLineEdit::textEdited, this, guarded(&TForm1::ComboBox2Change));
    connect(ui->ComboBox2, &QComboBox::textActivated, this, guarded(&TForm1::ComboBox2Change));
    connect(ui->Edit2, &QLineEdit::textChanged, this, guarded(&TForm1::Edit2Change));
    connect(ui->UpDown3, &UpDown::clicked, this, guarded(&TForm1::UpDown3Click));

    connect(ui->BitBtn1, &QPushButton::clicked, this, command(&TForm1::BitBtn1Click));
    connect(ui->BitBtn2, &QPushButton::clicked, this, command(&TForm1::BitBtn2Click));
    connect(ui->BitBtn3, &QPushButton::clicked, this, command(&TForm1::BitBtn3Click));
    connect(ui->BitBtn4, &QPushButton::clicked, this, guarded(&TForm1::BitBtn4Click));
    connect(ui->SpeedButton1, &QToolButton::clicked, this, command(&TForm1::SpeedButton1Click));

    connect(N1, &QAction::triggered, this, command(&TForm1::BitBtn2Click));
    connect(Delete1, &QAction::triggered, this, command(&TForm1::BitBtn3Click));
    connect(T1, &QAction::triggered, this, guarded(&TForm1::T1Click));
    connect(LargeIcon1, &QAction::triggered, this, guarded(&TForm1::LargeIcon1Click));
    connect(Detail1, &QAction::triggered, this, guarded(&TForm1::Detail1Click));
    connect(AddUnused1, &QAction::triggered, this, guarded(&TForm1::SpeedButton1Click));
    connect(PopupMenu1, &QMenu::aboutToShow, this, [this] { AddUnused1->setEnabled(ui->SpeedButton1->isEnabled()); });
}

// Of the two kind buttons only the checked one is a tab stop; the arrow
// keys move between them.
void TForm1::UpdateKindTabStop()
{
    for (QRadioButton* kind : {ui->RadioButton1, ui->RadioButton2})
        kind->setFocusPolicy(kind->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
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
    LoadCatalogue();
    ShowFileSystemNotices(this, services_.files);
}

// Without a thread to spare, the catalogue is read when the window shows.
std::future<MemoTable> TForm1::ReadCatalogueAhead()
{
    try {
        return std::async(std::launch::async, [this] { return catalogue_.LoadTable(); });
    } catch (const std::system_error&) {
        return {};
    }
}

void TForm1::LoadCatalogue()
{
    MemoTable memos = catalogueReadAhead_.valid() ? catalogueReadAhead_.get() : catalogue_.LoadTable();
    VoiceStore(services_.files, services_.exeDir).FollowMovedFolder(memos);
    model_.appendMemos(std::move(memos));
}

bool TForm1::FormCloseQuery()
{
    if (!shown_)
        return true;  // nothing was loaded, so nothing is saved over the files
    if (!Guarded(this, [this] {
            ListView1Click();
            SaveCatalogue();
        }))
        return false;
    const auto writePlace = [this] {
        ProfileFile profile(services_.files, SettingsPath());
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

void TForm1::SaveCatalogue()
{
    // Memos another program wrote meanwhile, or that a failed load missed,
    // are merged in: show the list as saved, so it stays the catalogue.
    CatalogueSync saved = catalogue_.SaveTable(model_.memos());
    if (saved.memos) {
        if (editIndex_ >= 0)
            editIndex_ = static_cast<int>(saved.rowOf[static_cast<std::size_t>(editIndex_)]);
        model_.replaceMemos(std::move(*saved.memos));
    }
    WriteCalendarFeedAfterSave(services_.files, services_.exeDir, catalogue_, model_.memos());
    ShowFileSystemNotices(this, services_.files);
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
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        model_.refreshMarks();
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

void TForm1::CommitEditingControls()
{
    if (editIndex_ < 0 || editIndex_ >= model_.count())
        return;
    VoiceMemo memo = model_.memo(editIndex_);
    memo.Title = SanitizeTitle(FieldBytes(ui->Edit1));
    if (ui->RadioButton1->isChecked()) {
        memo.Kind = kKindTodo;
        memo.ShownDate.clear();
    } else {
        memo.Kind = kKindDaily;
        memo.ShownDate = JoinShownDate(FieldBytes(ui->ComboBox1->lineEdit()), FieldBytes(ui->ComboBox2->lineEdit()),
                                       FieldBytes(ui->Edit2));
    }
    model_.setMemo(editIndex_, memo);
}

void TForm1::LoadRow(int row)
{
    const VoiceMemo memo = model_.memo(row);
    editIndex_ = row;
    SetFieldBytes(ui->Edit1, memo.Title);
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
    const std::string title = SanitizeTitle(EncodeKeeping(text, model_.memo(row).Title));
    if (row == editIndex_)
        SetFieldBytes(ui->Edit1, title);
    model_.setTitle(row, title);
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
}

void TForm1::BitBtn1Click()
{
    if (walk_.running())
        return;
    ListView1Click();
    editIndex_ = -1;
    ui->ListView1->clearSelection();
    VoiceStore store(services_.files, services_.exeDir);
    const std::string path = store.NextVoiceFileName(model_.filePaths());
    store.Reserve(path);
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
    const Discard outcome = VoiceStore(services_.files, services_.exeDir).Remove(path, model_.filePaths(selected));
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
