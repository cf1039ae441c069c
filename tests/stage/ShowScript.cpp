#include "stage/ShowScript.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>

#include "stage/ShowWindow.h"
#include "support/FakeUi.h"
#include "ui/Ui.h"

bool ScriptHost::AskToContinue(const Shortage& shortage) {
    Ui::Message m;
    m.text = QStringLiteral("%1 %2").arg(shortage.slotsLeft).arg(shortage.candidates);
    m.buttons = Ui::Buttons::YesNo;
    return Ui::ShowMessage(m) == Ui::Answer::Yes;
}

void ScriptHost::RunShow() {
    ShowWindow window(data_, engine_);
    fake_.onExec = [this](QDialog& d) {
        auto* w = dynamic_cast<ShowWindow*>(&d);
        // A dialog the show opens over itself goes to the test's own answer.
        if (!w) return dialogs ? dialogs(d) : int(QDialog::Rejected);
        w->show();
        QApplication::processEvents();  // queued music start, first paint
        if (script) script(*w);
        return d.result();
    };
    result = Ui::Exec(window);
    ran = true;
}

void Press(QWidget& w, int key, bool autoRepeat) {
    const QString text = key == Qt::Key_Space ? QStringLiteral(" ") : QString();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text, autoRepeat);
    QApplication::sendEvent(&w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text, autoRepeat);
    QApplication::sendEvent(&w, &release);
}

QString NewShowFolder(std::unique_ptr<QTemporaryDir>& dir) {
    dir = std::make_unique<QTemporaryDir>();
    if (!dir->isValid()) return QString();
    const QString root = dir->path() + "/";
    QDir().mkpath(root + "music");
    QFile music(root + "music/default.mp3");
    if (!music.open(QIODevice::WriteOnly) || music.write("not an mp3") != 10) return QString();
    return root;
}
