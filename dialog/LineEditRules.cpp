#include "LineEditRules.h"

#include <QAccessible>
#include <QEvent>
#include <QLineEdit>
#include <QToolTip>
#include <limits>

#include "Codepage.h"

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

constexpr char kToldProperty[] = "voicememoToldRefused";

// Whether the catalogue holds the character. U+FFFD stands for bytes of
// the catalogue that did not decode: kept, it is no character typed.
bool CatalogueHolds(QStringView character)
{
    if (character.size() == 1 && (character[0].unicode() < 0x80 || character[0] == QChar::ReplacementCharacter))
        return true;
    return Utf8ToCp932Exact(character.toUtf8().toStdString()).has_value();
}

void TellRefused(QLineEdit* edit, const QString& refused)
{
    if (edit->property(kToldProperty).toBool())
        return;
    edit->setProperty(kToldProperty, true);
    const QString hint = QStringLiteral("「%1」は Shift_JIS で表せないため、タイトルに使えません。").arg(refused);
    edit->setAccessibleDescription(hint);
    if (QAccessible::isActive()) {
        QAccessibleEvent changed(edit, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&changed);
    }
    QToolTip::showText(edit->mapToGlobal(QPoint(0, edit->height())), hint, edit);
}

// An edit begins when the box takes the focus: the refusal is told anew.
class EditStart : public QObject {
public:
    explicit EditStart(QLineEdit* edit) : QObject(edit) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn && watched->property(kToldProperty).toBool()) {
            watched->setProperty(kToldProperty, false);
            static_cast<QLineEdit*>(watched)->setAccessibleDescription({});
        }
        return false;
    }
};

// Only what the user types or pastes is refused: a title read from the
// catalogue holds nothing the catalogue cannot.
void RefuseWhatTheCatalogueCannotHold(QLineEdit* edit)
{
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
        QString kept;
        QString refused;
        kept.reserve(text.size());
        int cursor = edit->cursorPosition();
        for (qsizetype i = 0; i < text.size();) {
            const qsizetype length =
                text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
            const QStringView character = QStringView(text).mid(i, length);
            if (CatalogueHolds(character)) {
                kept += character;
            } else {
                refused += character;
                if (i < edit->cursorPosition())
                    cursor -= static_cast<int>(length);
            }
            i += length;
        }
        if (refused.isEmpty())
            return;
        edit->setText(kept);
        edit->setCursorPosition(cursor);
        TellRefused(edit, refused);
    });
    edit->installEventFilter(new EditStart(edit));
}

}  // namespace

void KeepTitleOnOneLine(QLineEdit* edit)
{
    CleanAsTyped(edit, false);
    RefuseWhatTheCatalogueCannotHold(edit);
}

void KeepDatePartOnOneLine(QLineEdit* edit) { CleanAsTyped(edit, true); }

void RemoveLengthLimit(QLineEdit* edit) { edit->setMaxLength(std::numeric_limits<int>::max()); }

}  // namespace voicememo
