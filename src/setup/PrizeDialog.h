#pragma once

#include <QDialog>
#include <QImage>
#include <QRect>
#include <QString>

#include <cstdint>

#include "model/Prize.h"

class AppData;
class ScopeEditor;
class QLineEdit;
class QPushButton;

// Edits one prize: name, description, number of winners, rounds and picture, with a preview.
class PrizeDialog : public QDialog {
    Q_OBJECT
  public:
    struct Values {
        QString name;
        QString content;
        int32_t count = 1;
        int32_t batch = 1;
        QString image;  // full path; empty means the default picture
        PrizeScope scope;
        int32_t repeat = Prize::kRepeatGlobal;
    };
    static constexpr int kMaxNameLength = 259;

    // editMode false adds a prize, true modifies one.
    PrizeDialog(AppData& data, bool editMode, const Values& initial, QWidget* parent = nullptr);
    ~PrizeDialog() override;

    // The accepted values once the dialog ended with OK.
    const Values& Result() const { return values_; }
    bool EditMode() const { return editMode_; }

    QLineEdit* NameBox() const { return name_; }
    QLineEdit* ContentBox() const { return content_; }
    QLineEdit* CountBox() const { return count_; }
    QLineEdit* BatchBox() const { return batch_; }
    QLineEdit* PathBox() const { return path_; }
    QPushButton* BrowseButton() const { return browse_; }
    QPushButton* DefaultButton() const { return default_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }
    ScopeEditor* Scope() const { return scope_; }
    QRect PreviewRect() const { return previewRect_; }
    const QImage& Preview() const { return preview_; }
    QString DefaultPicturePath() const { return defaultPicture_; }

    // Where a picture of the given size is drawn inside frame: centred, shrunk to fit with its
    // proportions kept, never enlarged.
    static QRect FitPicture(const QRect& frame, QSize picture);

    // Validates the boxes; stays open on the first failure with the focus on its box.
    void accept() override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void Browse();
    void UseDefaultPicture();
    void ReloadPreview();

    AppData& data_;
    bool editMode_;
    Values values_;
    QString defaultPicture_;
    QImage preview_;
    QRect previewRect_;

    QLineEdit* name_;
    QLineEdit* content_;
    QLineEdit* count_;
    QLineEdit* batch_;
    QLineEdit* path_;
    QPushButton* browse_;
    QPushButton* default_;
    QPushButton* ok_;
    QPushButton* cancel_;
    ScopeEditor* scope_;
};
