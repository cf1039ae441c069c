#include "ui/Ui.h"

#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>

#include "ui/DesktopUiBackend.h"

namespace {
std::unique_ptr<Ui::Backend>& BackendSlot() {
    static std::unique_ptr<Ui::Backend> backend;
    return backend;
}
bool g_shuttingDown = false;
}  // namespace

void Ui::BeginShutdown() {
    g_shuttingDown = true;
}

bool Ui::ShuttingDown() {
    return g_shuttingDown;
}

Ui::Backend& Ui::CurrentBackend() {
    auto& slot = BackendSlot();
    if (!slot) slot = std::make_unique<DesktopUiBackend>();
    return *slot;
}

std::unique_ptr<Ui::Backend> Ui::SetBackend(std::unique_ptr<Backend> backend) {
    auto& slot = BackendSlot();
    std::unique_ptr<Backend> old = std::move(slot);
    slot = std::move(backend);
    return old;
}

Ui::Answer Ui::ShowMessage(const Message& message) {
    // Once the program is ending every question is declined.
    if (g_shuttingDown) {
        switch (message.buttons) {
            case Buttons::Ok:
                return Answer::Ok;
            case Buttons::OkCancel:
                return Answer::Cancel;
            case Buttons::YesNo:
                return Answer::No;
        }
    }
    return CurrentBackend().ShowMessage(message);
}

Ui::Answer Ui::Tell(QWidget* parent, const QString& text, Icon icon, Buttons buttons) {
    Message m;
    m.parent = parent;
    m.caption = QStringLiteral("Vantoria");
    m.text = text;
    m.icon = icon;
    m.buttons = buttons;
    return ShowMessage(m);
}

namespace {
// The folder of the last file chosen in this run; empty until one was.
QString& LastFolder() {
    static QString folder;
    return folder;
}

void RememberFolderOf(const QString& path) {
    if (!path.isEmpty()) LastFolder() = QFileInfo(path).absolutePath();
}
}  // namespace

QString Ui::StartFolder() {
    if (!LastFolder().isEmpty() && QFileInfo(LastFolder()).isDir()) return LastFolder();
    // The operator's lists live among their documents, not beside the program.
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

void Ui::ForgetFolder() {
    LastFolder().clear();
}

QString Ui::OpenFileName(QWidget* parent, const QString& filter) {
    FileRequest r;
    r.parent = parent;
    r.filter = filter;
    r.folder = StartFolder();
    if (g_shuttingDown) return QString();
    const QString chosen = CurrentBackend().AskFileName(r);
    RememberFolderOf(chosen);
    return chosen;
}

QString Ui::SaveFileName(QWidget* parent, const QString& filter, const QString& initialName,
                         const QString& defaultSuffix) {
    FileRequest r;
    r.parent = parent;
    r.save = true;
    r.filter = filter;
    r.initialName = initialName;
    r.defaultSuffix = defaultSuffix;
    r.folder = StartFolder();
    if (g_shuttingDown) return QString();
    const QString chosen = CurrentBackend().AskFileName(r);
    if (chosen.isEmpty()) return chosen;
    RememberFolderOf(chosen);
    return WithDefaultSuffix(chosen, defaultSuffix);
}

std::optional<QColor> Ui::ChooseColor(QWidget* parent, QColor initial) {
    if (g_shuttingDown) return std::nullopt;
    return CurrentBackend().ChooseColor(parent, initial);
}

int Ui::Exec(QDialog& dialog) {
    if (g_shuttingDown) return QDialog::Rejected;
    return CurrentBackend().Exec(dialog);
}

bool Ui::OpenWithDefaultProgram(const QString& path) {
    return CurrentBackend().OpenWithDefaultProgram(path);
}

QString Ui::QtFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty() && parts[i + 1].isEmpty()) break;
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // Qt shows the filter as given and reads the patterns from its last parentheses, so a
        // description that lists them already ("Excel 文件(*.xls, *.xlsx)") loses that list
        // and gets the one Qt can read: each pattern is shown once.
        QString description = parts[i];
        static const QRegularExpression listed(QStringLiteral("\\s*\\([^()]*\\*[^()]*\\)\\s*$"));
        description.remove(listed);
        out << QStringLiteral("%1 (%2)").arg(description, patterns);
    }
    return out.join(QStringLiteral(";;"));
}

QString Ui::WithDefaultSuffix(const QString& path, const QString& suffix) {
    if (suffix.isEmpty()) return path;
    const QString name = QFileInfo(path).fileName();
    if (name.contains(QLatin1Char('.'))) return path;
    return path + QLatin1Char('.') + suffix;
}
