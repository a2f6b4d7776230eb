// The floors the program's start is held against, shown by Qt with none of
// the program's code, each ended as soon as it has painted for the first time:
//   form_floor bare   a bare window that draws nothing
//   form_floor text   a window of the dialog's size that draws a Japanese
//                     label and a button
//   form_floor form   the dialog's own Designer form, its custom widgets stood
//                     in for by the Qt widgets they are made of (a list, with a
//                     hidden table beside it, and frames)
//   form_floor filled N
//                     that form filled as the window shows it at its start, by
//                     Qt alone: the same pictures on the buttons and as the
//                     window's icon, today's date in the disabled date boxes,
//                     and N memos in Qt's own list (titles and an icon, made
//                     when asked), or with none the hint in the empty list
// All in the dialog's face and in Fusion, with the dialog's window flags.
#include <QAbstractListModel>
#include <QApplication>
#include <QDate>
#include <QLabel>
#include <QPushButton>
#include <QStyleFactory>
#include <QTableView>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "DialogFont.h"
#include "FirstPaint.h"
#include "MemoDelegate.h"  // the icon cell's measures alone
#include "SampleTitles.h"
#include "glyph-close.xpm"
#include "glyph-delete.xpm"
#include "glyph-play.xpm"
#include "glyph-record.xpm"
#include "program-icon.xpm"
#include "ui_FormFloor.h"
#include "window-icon.xpm"
#include "window-icon@2x.xpm"

namespace {

// N memos as Qt's list shows them: a title and the program's icon each,
// made only when the view asks for them.
class SampleMemoList : public QAbstractListModel {
public:
    SampleMemoList(int count, QObject* parent) : QAbstractListModel(parent), count_(count) {}
    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : count_; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        const int number = index.row() + 1;
        if (role == Qt::DisplayRole)
            return QStringLiteral("%1 %2")
                .arg(QString::fromUtf8(voicememo::bench::kSampleTitles[number % voicememo::bench::kSampleTitleCount]))
                .arg(number);
        if (role == Qt::DecorationRole)
            return icon_;
        return {};
    }

private:
    int count_;
    QIcon icon_{QPixmap(program_icon)};
};

// The left half of a two-state glyph: the picture of its enabled button.
QIcon Glyph(const char* const* xpm)
{
    const QPixmap both(xpm);
    return QIcon(both.copy(0, 0, both.width() / 2, both.height()));
}

void FillAsTheWindowStarts(QWidget& window, Ui::FormFloor& form, int memos)
{
    QIcon windowIcon{QPixmap(window_icon)};
    windowIcon.addPixmap(QPixmap(window_icon_2x));
    window.setWindowIcon(windowIcon);
    form.BitBtn1->setIcon(Glyph(glyph_record));
    form.BitBtn2->setIcon(Glyph(glyph_play));
    form.BitBtn3->setIcon(Glyph(glyph_delete));
    form.BitBtn4->setIcon(Glyph(glyph_close));

    const QDate today = QDate::currentDate();
    for (int offset = 0; offset < 10; ++offset)
        form.ComboBox1->addItem(QString::number(today.year() + offset));
    form.ComboBox1->setEditText(QString::number(today.year()));
    form.ComboBox2->setEditText(QString::number(today.month()));
    form.Edit2->setText(QString::number(today.day()));
    for (QWidget* control :
         {static_cast<QWidget*>(form.BitBtn2), static_cast<QWidget*>(form.BitBtn3), static_cast<QWidget*>(form.Edit1),
          static_cast<QWidget*>(form.RadioButton1), static_cast<QWidget*>(form.RadioButton2),
          static_cast<QWidget*>(form.ComboBox1), static_cast<QWidget*>(form.ComboBox2),
          static_cast<QWidget*>(form.Edit2), static_cast<QWidget*>(form.UpDown3)})
        control->setEnabled(false);

    QListView* list = form.ListView1;
    list->setViewMode(QListView::IconMode);
    list->setMovement(QListView::Static);
    list->setResizeMode(QListView::Adjust);
    list->setWordWrap(true);
    using namespace voicememo::icon_cell;
    list->setIconSize(QSize(kIconSide, kIconSide));
    list->setGridSize(QSize(kWidth, kIconTop + kIconSide + kIconLabelGap +
                                        kLabelLines * QFontMetrics(list->font()).lineSpacing() + kBottom));
    list->setUniformItemSizes(true);
    list->setLayoutMode(QListView::Batched);
    list->setBatchSize(200);
    list->setModel(new SampleMemoList(memos, list));
    if (memos == 0) {
        auto* hint = new QLabel(QStringLiteral("録音(R) で最初のボイスメモを録音します"), list->viewport());
        hint->setEnabled(false);
        hint->setWordWrap(true);
        hint->setAlignment(Qt::AlignCenter);
        hint->setGeometry(QRect(QPoint(), list->contentsRect().size()).adjusted(8, 8, -8, -8));
    }
}

}  // namespace

int main(int argc, char* argv[])
{
    const std::string mode = argc >= 2 ? argv[1] : "";
    if (mode != "bare" && mode != "text" && mode != "form" && !(mode == "filled" && argc == 3)) {
        std::fprintf(stderr, "usage: form_floor bare|text|form|filled MEMOS\n");
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    voicememo::UseDialogFont();

    QWidget window(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    Ui::FormFloor form;
    if (mode == "form" || mode == "filled") {
        form.setupUi(&window);
        (new QTableView(form.ListView1->parentWidget()))->hide();
        if (mode == "filled")
            FillAsTheWindowStarts(window, form, std::atoi(argv[2]));
    } else {
        window.resize(340, 330);
        if (mode == "text") {
            (new QLabel(QStringLiteral("ボイスメモの一覧(&L)"), &window))->move(8, 8);
            (new QPushButton(QStringLiteral("閉じる(&C)"), &window))->setGeometry(256, 296, 75, 25);
        }
    }
    voicememo::bench::FirstPaint painted(&window, [] {
        voicememo::bench::SayPainted();
        QApplication::exit(0);
    });
    window.show();
    return app.exec();
}
