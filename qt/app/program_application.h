// The application object, in French: a failure that escapes an event handler ends the
// program with a message naming it instead of taking it down silently.
#pragma once

#include <QApplication>
#include <QTranslator>

class ProgramApplication final : public QApplication {
    Q_OBJECT

  public:
    // Hands Qt the program's name alone, whatever argv holds.
    ProgramApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Shows what went wrong and makes the event loop end with exit code 1.
    // Works under any QApplication, so that slots can call it too.
    static void failAndQuit(const QString& description);

  private:
    // Qt's own texts (context menus, message box buttons) in French, like
    // the rest of the program, whatever the user's locale.
    QTranslator qtTexts_;
};
