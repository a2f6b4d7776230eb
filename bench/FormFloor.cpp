// The floors the program's start is held against, shown by Qt with none of
// the program's code, each ended as soon as it has painted for the first time:
//   form_floor bare   a bare window that draws nothing
//   form_floor text   a window of the dialog's size that draws a Japanese
//                     label and a button
//   form_floor form   the dialog's own Designer form, its custom widgets stood
//                     in for by the Qt widgets they are made of (a list, with a
//                     hidden table beside it, and frames)
// All in the dialog's face and in Fusion, with the dialog's window flags.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStyleFactory>
#include <QTableView>
#include <cstdio>
#include <string>

#include "DialogFont.h"
#include "FirstPaint.h"
#include "ui_FormFloor.h"

int main(int argc, char* argv[])
{
    const std::string mode = argc == 2 ? argv[1] : "";
    if (mode != "bare" && mode != "text" && mode != "form") {
        std::fprintf(stderr, "usage: form_floor bare|text|form\n");
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    voicememo::UseDialogFont();

    QWidget window(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    Ui::FormFloor form;
    if (mode == "form") {
        form.setupUi(&window);
        (new QTableView(form.ListView1->parentWidget()))->hide();
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
