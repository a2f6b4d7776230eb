#pragma once
// The main of a dialog test: the application set up as the program sets it
// up, on the offscreen platform unless another is asked for.
#include <QApplication>
#include <QTest>

#include "Application.h"

#define VOICEMEMO_DIALOG_TEST_MAIN(TestClass)                                                                          \
    int main(int argc, char** argv)                                                                                    \
    {                                                                                                                  \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                                            \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                                                   \
        QApplication app(argc, argv);                                                                                  \
        voicememo::SetUpApplication(app);                                                                              \
        TestClass test;                                                                                                \
        return QTest::qExec(&test, argc, argv);                                                                        \
    }
