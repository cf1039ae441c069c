#pragma once

#include <QDialog>
#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

#include "ui/Ui.h"

// Answers every box and dialog of the program without a human. Install it for the life of a
// test; it puts the previous backend back when destroyed.
class FakeUi : public Ui::Backend {
  public:
    FakeUi();
    ~FakeUi() override;

    // Answers given in order; when none is queued a message is answered with its first choice
    // (Ok / Yes) only if answerYesByDefault is set, otherwise with No / Cancel.
    std::deque<Ui::Answer> answers;
    bool answerYesByDefault = false;
    std::vector<Ui::Message> messages;

    std::deque<QString> fileNames;  // empty text = cancelled
    std::vector<Ui::FileRequest> fileRequests;

    std::deque<std::optional<QColor>> colors;

    // Called instead of exec(); the handler may drive the dialog and returns its result.
    // Without a handler a dialog is rejected.
    std::function<int(QDialog&)> onExec;
    std::vector<QString> execTitles;

    QStringList opened;
    bool openWorks = true;  // false: no program is registered for files

    Ui::Answer ShowMessage(const Ui::Message& message) override;
    QString AskFileName(const Ui::FileRequest& request) override;
    std::optional<QColor> ChooseColor(QWidget* parent, QColor initial) override;
    int Exec(QDialog& dialog) override;
    bool OpenWithDefaultProgram(const QString& path) override;

    QStringList MessageTexts() const;

  private:
    std::unique_ptr<Ui::Backend> previous_;
};
