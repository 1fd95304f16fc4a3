#include "digit_box.h"

#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <limits>
#include <memory>

#include "main_form.h"

namespace {

// The character a key delivers to a text box, as the user sees it: editing
// and shortcut keys arrive as control characters (Backspace 8, Enter 13,
// Ctrl+C 3, Ctrl+V 22 ...), keys without a character deliver none. X11 hands
// Delete over as DEL (127), yet Delete must keep erasing, so it counts as a
// key without a character.
QString deliveredText(const QKeyEvent& event) {
    const Qt::KeyboardModifiers mods = event.modifiers();
    const int key = event.key();
    if (key == Qt::Key_Delete) {
        return {};
    }
    if (key == Qt::Key_Backspace) {
        return QString(QChar(8));
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        return QString(QChar(13));
    }
    if (key == Qt::Key_Escape) {
        return QString(QChar(27));
    }
    const bool ctrlOnly =
        (mods & Qt::ControlModifier) != 0 && (mods & (Qt::AltModifier | Qt::MetaModifier)) == 0;
    if (ctrlOnly && key >= Qt::Key_A && key <= Qt::Key_Z) {
        return QString(QChar(key - Qt::Key_A + 1));
    }
    return event.text();
}

}  // namespace

DigitBox::DigitBox(const QString& text, QWidget* parent) : QLineEdit(text, parent) {
    setAlignment(Qt::AlignCenter);
    // No limit of the program's own; Qt's default stops at 32,767 characters.
    setMaxLength(std::numeric_limits<int>::max());
}

QString DigitBox::keepDigits(const QString& typed) {
    QString kept;
    for (const QChar c : typed) {
        if (forms::main_form::IsAcceptedCharacter(c.unicode())) {
            kept.append(c);
        }
    }
    return kept;
}

void DigitBox::contextMenuEvent(QContextMenuEvent* event) {
    // The menu's entries work, but the box refuses the shortcuts Qt writes
    // beside them (Ctrl+Z, Ctrl+X, Ctrl+C, Ctrl+V, Ctrl+A): the texts go.
    const std::unique_ptr<QMenu> menu(createStandardContextMenu());
    for (QAction* action : menu->actions()) {
        action->setText(action->text().section(QLatin1Char('\t'), 0, 0));
    }
    menu->exec(event->globalPos());
    event->accept();
}

void DigitBox::keyPressEvent(QKeyEvent* event) {
    const QString typed = deliveredText(*event);
    if (typed.isEmpty()) {
        QLineEdit::keyPressEvent(event);  // Delete, arrows, Home, End ...
        return;
    }
    const QString kept = keepDigits(typed);
    event->accept();  // a refused Enter or Escape goes no further either
    if (kept == typed) {
        QLineEdit::keyPressEvent(event);
    } else if (!kept.isEmpty()) {
        insert(kept);
    }
}

void DigitBox::inputMethodEvent(QInputMethodEvent* event) {
    const QString committed = event->commitString();
    const QString kept = keepDigits(committed);
    if (kept == committed) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    // Composed text is typed text: the refused characters go, and a commit
    // that keeps nothing must not replace anything either.
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    if (kept.isEmpty()) {
        filtered.setCommitString(QString());
    } else {
        filtered.setCommitString(kept, event->replacementStart(), event->replacementLength());
    }
    QLineEdit::inputMethodEvent(&filtered);
    event->accept();
}
