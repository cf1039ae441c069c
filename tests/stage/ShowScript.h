#pragma once

#include <QString>

#include <functional>
#include <memory>

#include "draw/ShowHost.h"

class AppData;
class DrawEngine;
class FakeUi;
class QDialog;
class QTemporaryDir;
class QWidget;
class ShowWindow;

// Runs the show window the way the program does (Ui::Exec), with a script in place of the
// operator.
class ScriptHost : public ShowHost {
  public:
    ScriptHost(AppData& data, DrawEngine& engine, FakeUi& fake)
        : data_(data), engine_(engine), fake_(fake) {}
    bool AskToContinue(const Shortage& shortage) override;
    void RunShow() override;

    std::function<void(ShowWindow&)> script;
    std::function<int(QDialog&)> dialogs;
    int result = -1;
    bool ran = false;

  private:
    AppData& data_;
    DrawEngine& engine_;
    FakeUi& fake_;
};

// A press and release of key, as the keyboard sends them.
void Press(QWidget& w, int key, bool autoRepeat = false);

// A new program folder for a show in dir, with the music file the validation wants (which is
// no music at all); its path ends in a slash, and is empty when it could not be made.
QString NewShowFolder(std::unique_ptr<QTemporaryDir>& dir);
