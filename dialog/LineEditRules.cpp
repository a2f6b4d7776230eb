#include "LineEditRules.h"

#include <QLineEdit>
#include <limits>

namespace voicememo {

namespace {

bool BreaksALine(QChar c) { return c == u'\t' || c == u'\r' || c == u'\n' || c == QChar(0); }

// Rewrites what is typed or pasted at once, keeping the cursor in place.
void CleanAsTyped(QLineEdit* edit, bool drop)
{
    QObject::connect(edit, &QLineEdit::textChanged, edit, [edit, drop](const QString& text) {
        QString clean;
        clean.reserve(text.size());
        int cursor = edit->cursorPosition();
        for (int i = 0; i < text.size(); ++i) {
            if (!BreaksALine(text[i]))
                clean += text[i];
            else if (!drop)
                clean += u' ';
            else if (i < edit->cursorPosition())
                --cursor;
        }
        if (clean != text) {
            edit->setText(clean);
            edit->setCursorPosition(cursor);
        }
    });
}

}  // namespace

void KeepTitleOnOneLine(QLineEdit* edit) { CleanAsTyped(edit, false); }

void KeepDatePartOnOneLine(QLineEdit* edit) { CleanAsTyped(edit, true); }

void RemoveLengthLimit(QLineEdit* edit) { edit->setMaxLength(std::numeric_limits<int>::max()); }

}  // namespace voicememo
