#pragma once

#include <QDialog>
#include <QStringList>

#include <cstdint>

#include "model/AppData.h"

class QLabel;
class QLineEdit;
class QPushButton;

// Turns a start number, a total, a prefix and a suffix into a run of zero-padded number
// texts, with a live preview of the first five. The caller seeds it, runs it and, after OK,
// reads back the final settings and the texts.
class GenerateNumbersDialog : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kPreviewCount = 5;
    static constexpr int kMaxAffixLength = 259;
    // The largest total OK accepts; a larger one is refused with a message, the dialog open.
    static constexpr int32_t kMaxTotal = 1000000;

    explicit GenerateNumbersDialog(const GenNumberSettings& seed, QWidget* parent = nullptr);

    // The texts for these settings; prefix and suffix are trimmed first. The pad width is the
    // digit count of start + total (always the full total), so start 1 and total 99 pad to 3.
    // preview stops after kPreviewCount texts.
    static QStringList Generate(int32_t start, int32_t total, const QString& prefix,
                                const QString& suffix, bool preview);
    // Decimal digits of |value|; 0 for 0.
    static int PadWidth(int64_t value);

    // The values as they stand in the boxes (prefix and suffix trimmed).
    GenNumberSettings Settings() const;
    // The texts of the last full generation (filled by OK).
    const QStringList& Texts() const { return texts_; }

    QLineEdit* StartEdit() const { return start_; }
    QLineEdit* TotalEdit() const { return total_; }
    QLineEdit* PrefixEdit() const { return prefix_; }
    QLineEdit* SuffixEdit() const { return suffix_; }
    QLabel* Preview() const { return preview_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

  public slots:
    void accept() override;

  private:
    void UpdatePreview();

    QLineEdit* start_ = nullptr;
    QLineEdit* total_ = nullptr;
    QLineEdit* prefix_ = nullptr;
    QLineEdit* suffix_ = nullptr;
    QLabel* preview_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QStringList texts_;
    bool initialised_ = false;
};
