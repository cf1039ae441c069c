#include "ui/DesktopUiBackend.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

#include "ui/DefaultProgram.h"

Ui::Answer DesktopUiBackend::ShowMessage(const Ui::Message& message) {
    QMessageBox box(message.parent);
    box.setWindowTitle(message.caption);
    box.setText(message.text);
    switch (message.icon) {
        case Ui::Icon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case Ui::Icon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case Ui::Icon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case Ui::Icon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
        case Ui::Icon::None:
            break;
    }
    switch (message.buttons) {
        case Ui::Buttons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case Ui::Buttons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(message.defaultNo ? QMessageBox::No : QMessageBox::Yes);
            break;
        case Ui::Buttons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            box.setDefaultButton(QMessageBox::Ok);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Yes:
            return Ui::Answer::Yes;
        case QMessageBox::No:
            return Ui::Answer::No;
        case QMessageBox::Ok:
            return Ui::Answer::Ok;
        default:
            return message.buttons == Ui::Buttons::YesNo ? Ui::Answer::No : Ui::Answer::Cancel;
    }
}

QString DesktopUiBackend::AskFileName(const Ui::FileRequest& request) {
    const QString filter = Ui::QtFilter(request.filter);
    if (!request.save)
        return QFileDialog::getOpenFileName(request.parent, QString(), request.folder, filter);
    QFileDialog dialog(request.parent, QString(), request.folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!request.initialName.isEmpty())
        dialog.selectFile(QDir(request.folder).filePath(request.initialName));
    // The suffix is added by Ui itself so that every backend behaves the same.
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().constFirst();
}

std::optional<QColor> DesktopUiBackend::ChooseColor(QWidget* parent, QColor initial) {
    const QColor c = QColorDialog::getColor(initial, parent);
    if (!c.isValid()) return std::nullopt;
    return c;
}

int DesktopUiBackend::Exec(QDialog& dialog) {
    return dialog.exec();
}

bool DesktopUiBackend::OpenWithDefaultProgram(const QString& path) {
    // A folder always has a file manager; a file needs a program registered for its type.
    if (!QFileInfo(path).isDir() && !DefaultProgram::ExistsFor(path)) return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
