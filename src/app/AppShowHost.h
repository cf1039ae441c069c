#pragma once

#include "show/ShowHost.h"

class AppData;
class QWidget;

// The windows the draw engine needs: the shortage question and the modal show window, both
// over the setup window.
class AppShowHost : public ShowHost {
  public:
    AppShowHost(AppData& data, QWidget* parent) : data_(data), parent_(parent) {}
    bool AskToContinue(const QString& question) override;
    void RunShow() override;

  private:
    AppData& data_;
    QWidget* parent_;
};
