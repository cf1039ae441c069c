#pragma once

#include "ui/Ui.h"

// The real backend: QMessageBox, QFileDialog, QColorDialog, QDialog::exec, QDesktopServices.
class DesktopUiBackend : public Ui::Backend {
  public:
    Ui::Answer ShowMessage(const Ui::Message& message) override;
    QString AskFileName(const Ui::FileRequest& request) override;
    std::optional<QColor> ChooseColor(QWidget* parent, QColor initial) override;
    int Exec(QDialog& dialog) override;
    bool OpenWithDefaultProgram(const QString& path) override;
};
