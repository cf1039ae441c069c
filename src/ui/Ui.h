#pragma once

#include <QColor>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QDialog;
class QWidget;

// The one door to every message box, file dialog, colour dialog, modal run and shell "open"
// of the program. Tests install a backend that answers without a human.
class Ui {
  public:
    enum class Icon { None, Information, Warning, Question, Critical };
    enum class Buttons { Ok, YesNo, OkCancel };
    enum class Answer { Ok, Cancel, Yes, No };

    struct Message {
        QWidget* parent = nullptr;
        QString caption;
        QString text;
        Icon icon = Icon::Information;
        Buttons buttons = Buttons::Ok;
        // No (or Cancel) is the button Enter and Space press: for questions whose Yes undoes
        // something in front of an audience.
        bool defaultNo = false;
    };

    // Filters are given in the "description|patterns|description|patterns||" form.
    struct FileRequest {
        QWidget* parent = nullptr;
        bool save = false;
        QString filter;
        QString initialName;
        QString defaultSuffix;  // without the dot; added when a typed name has no extension
        // Where the dialog opens: the user's documents at first, then the folder last used.
        QString folder;
    };

    class Backend {
      public:
        virtual ~Backend() = default;
        virtual Answer ShowMessage(const Message& message) = 0;
        // Empty text means cancelled.
        virtual QString AskFileName(const FileRequest& request) = 0;
        virtual std::optional<QColor> ChooseColor(QWidget* parent, QColor initial) = 0;
        // Runs a dialog modally and returns its result code.
        virtual int Exec(QDialog& dialog) = 0;
        virtual bool OpenWithDefaultProgram(const QString& path) = 0;
    };

    static Answer ShowMessage(const Message& message);
    // Shorthand for a box captioned "Vantoria".
    static Answer Tell(QWidget* parent, const QString& text, Icon icon = Icon::Information,
                       Buttons buttons = Buttons::Ok);
    static QString OpenFileName(QWidget* parent, const QString& filter);
    static QString SaveFileName(QWidget* parent, const QString& filter, const QString& initialName,
                                const QString& defaultSuffix);
    static std::optional<QColor> ChooseColor(QWidget* parent, QColor initial);
    static int Exec(QDialog& dialog);
    static bool OpenWithDefaultProgram(const QString& path);

    // From now on nothing new is shown: boxes get their negative answer, dialogs are
    // rejected. The program is ending (a signal asked it to).
    static void BeginShutdown();
    static bool ShuttingDown();

    // Replaces the backend; returns the previous one so a test can put it back.
    static std::unique_ptr<Backend> SetBackend(std::unique_ptr<Backend> backend);
    static Backend& CurrentBackend();

    // Turns "a|*.x;*.y|b|*.z||" into the Qt form "a (*.x *.y);;b (*.z)".
    static QString QtFilter(const QString& filter);
    // Appends ".suffix" when the file name part of path has no extension.
    static QString WithDefaultSuffix(const QString& path, const QString& suffix);
    // The folder the next file dialog opens in.
    static QString StartFolder();
    static void ForgetFolder();
};
