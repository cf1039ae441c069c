#pragma once

#include "draw/ShowHost.h"

#include <QString>

class AppData;
class DrawEngine;
class QWidget;

// The windows the draw engine needs: the shortage question and the modal show window, both
// over the setup window.
class AppShowHost : public ShowHost {
  public:
    AppShowHost(AppData& data, DrawEngine& engine, QWidget* parent)
        : data_(data), engine_(engine), parent_(parent) {}
    bool AskToContinue(const Shortage& shortage) override;
    void RunShow() override;

    // The question as the operator reads it.
    static QString ShortageQuestion(const Shortage& shortage);

  private:
    AppData& data_;
    DrawEngine& engine_;
    QWidget* parent_;
};
