#pragma once

#include "draw/ShowHost.h"

#include <QString>

class AppData;
class CheckInService;
class DrawEngine;
class QWidget;

// The windows the draw engine needs: the shortage question and the modal show window, both
// over the setup window.
class AppShowHost : public ShowHost {
  public:
    AppShowHost(AppData& data, DrawEngine& engine, QWidget* parent)
        : data_(data), engine_(engine), parent_(parent) {}
    bool AskToContinue(const Shortage& shortage) override;
    bool ConfirmPresent(int64_t present, int64_t everyone) override;
    // The show window shows the check-in code and follows the host's phone.
    void SetCheckIn(CheckInService* service) { checkIn_ = service; }
    void RunShow() override;

    // The question as the operator reads it.
    static QString ShortageQuestion(const Shortage& shortage);

  private:
    AppData& data_;
    DrawEngine& engine_;
    QWidget* parent_;
    CheckInService* checkIn_ = nullptr;
};
