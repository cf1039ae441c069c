#include "app/AppShowHost.h"

#include "app/Ui.h"
#include "show/ShowWindow.h"

bool AppShowHost::AskToContinue(const QString& question) {
    return Ui::Tell(parent_, question, Ui::Icon::Question, Ui::Buttons::YesNo) == Ui::Answer::Yes;
}

void AppShowHost::RunShow() {
    ShowWindow window(data_, parent_);
    Ui::Exec(window);
}
