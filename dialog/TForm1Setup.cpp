// The window put together: its controls from the form, the list's menu,
// and the handlers wired to the controls. The handlers are in TForm1.cpp.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QToolButton>

#include "ErrorBox.h"
#include "FocusKeeper.h"
#include "LineEditRules.h"
#include "MnemonicKeys.h"
#include "OneSize.h"
#include "Pictures.h"
#include "StepFromShownEntry.h"
#include "TForm1.h"
#include "TooltipTimer.h"
#include "ui_TForm1.h"

namespace voicememo {

TForm1::TForm1(const DialogServices& services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      services_(services),
      voiceFiles_(services.files),
      ui(std::make_unique<Ui::TForm1>()),
      catalogue_(new CatalogueKeeper(services.files, services.exeDir, model_, this)),
      tooltips_(new TooltipTimer(this)),
      mnemonics_(new MnemonicKeys(this))
{
    ui->setupUi(this);
    focusKeeper_ = new FocusKeeper(this, ui->ListView1);
    new OneSize(this);
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
    // While a handler runs, the list is neither saved nor merged under it.
    auto guarded = [this](void (TForm1::*handler)()) {
        return [this, handler] {
            const QScopedValueRollback running(handlerRunning_, true);
            Guarded(this, [this, handler] { (this->*handler)(); });
        };
    };
    // A command may change the voice files: their marks are looked at anew.
    auto command = [this, guarded](void (TForm1::*handler)()) {
        return [this, run = guarded(handler)] {
            run();
            model_.refreshMarks();
        };
    };
    // One that adds or removes memos saves them at once.
    auto lasting = [this, command](void (TForm1::*handler)()) {
        return [this, run = command(handler)] {
            run();
            SaveAsYouGo();
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

    connect(ui->BitBtn1, &QPushButton::clicked, this, lasting(&TForm1::BitBtn1Click));
    connect(ui->BitBtn2, &QPushButton::clicked, this, command(&TForm1::BitBtn2Click));
    connect(ui->BitBtn3, &QPushButton::clicked, this, lasting(&TForm1::BitBtn3Click));
    connect(ui->BitBtn4, &QPushButton::clicked, this, guarded(&TForm1::BitBtn4Click));
    connect(ui->SpeedButton1, &QToolButton::clicked, this, lasting(&TForm1::SpeedButton1Click));

    connect(N1, &QAction::triggered, this, command(&TForm1::BitBtn2Click));
    connect(Delete1, &QAction::triggered, this, lasting(&TForm1::BitBtn3Click));
    connect(T1, &QAction::triggered, this, guarded(&TForm1::T1Click));
    connect(LargeIcon1, &QAction::triggered, this, guarded(&TForm1::LargeIcon1Click));
    connect(Detail1, &QAction::triggered, this, guarded(&TForm1::Detail1Click));
    connect(AddUnused1, &QAction::triggered, this, lasting(&TForm1::SpeedButton1Click));
    connect(PopupMenu1, &QMenu::aboutToShow, this, [this] { AddUnused1->setEnabled(ui->SpeedButton1->isEnabled()); });

    // The user's edits are saved once they rest a moment; what others write
    // is looked for meanwhile.
    const auto edited = [this] { catalogue_->EditMade(); };
    for (QLineEdit* field : {ui->Edit1, ui->Edit2, ui->ComboBox1->lineEdit(), ui->ComboBox2->lineEdit()})
        connect(field, &QLineEdit::textEdited, this, edited);
    for (QComboBox* box : {ui->ComboBox1, ui->ComboBox2})
        connect(box, &QComboBox::textActivated, this, edited);
    for (QRadioButton* kind : {ui->RadioButton1, ui->RadioButton2})
        connect(kind, &QRadioButton::clicked, this, edited);
    connect(ui->UpDown3, &UpDown::clicked, this, edited);
    connect(&model_, &MemoListModel::titleEdited, this, edited);
    connect(catalogue_, &CatalogueKeeper::settled, this, &TForm1::SaveAsYouGo);
    connect(catalogue_, &CatalogueKeeper::lookDue, this, &TForm1::TakeInCatalogue);
}

// Of the two kind buttons only the checked one is a tab stop; the arrow
// keys move between them.
void TForm1::UpdateKindTabStop()
{
    for (QRadioButton* kind : {ui->RadioButton1, ui->RadioButton2})
        kind->setFocusPolicy(kind->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
}

}  // namespace voicememo
