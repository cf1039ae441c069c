#pragma once

#include <QDialog>
#include <QStringList>

class QPlainTextEdit;

// Shows what a check of the draw record found, one finding a line.
class VerifyReportDialog : public QDialog {
    Q_OBJECT
  public:
    VerifyReportDialog(const QStringList& lines, bool passed, QWidget* parent = nullptr);
    QString Text() const;

  private:
    QPlainTextEdit* text_;
};
