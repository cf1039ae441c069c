#include "support/FakeUi.h"

#include <QFileInfo>

namespace {
// Wraps a FakeUi owned by the test so that Ui can hold it by unique_ptr.
class Forwarder : public Ui::Backend {
  public:
    explicit Forwarder(Ui::Backend& target) : target_(target) {}
    Ui::Answer ShowMessage(const Ui::Message& m) override { return target_.ShowMessage(m); }
    QString AskFileName(const Ui::FileRequest& r) override { return target_.AskFileName(r); }
    std::optional<QColor> ChooseColor(QWidget* p, QColor c) override {
        return target_.ChooseColor(p, c);
    }
    int Exec(QDialog& d) override { return target_.Exec(d); }
    bool OpenWithDefaultProgram(const QString& p) override {
        return target_.OpenWithDefaultProgram(p);
    }

  private:
    Ui::Backend& target_;
};
}  // namespace

FakeUi::FakeUi() {
    previous_ = Ui::SetBackend(std::make_unique<Forwarder>(*this));
}

FakeUi::~FakeUi() {
    Ui::SetBackend(std::move(previous_));
}

Ui::Answer FakeUi::ShowMessage(const Ui::Message& message) {
    messages.push_back(message);
    if (!answers.empty()) {
        Ui::Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    switch (message.buttons) {
        case Ui::Buttons::Ok:
            return Ui::Answer::Ok;
        case Ui::Buttons::YesNo:
            return answerYesByDefault ? Ui::Answer::Yes : Ui::Answer::No;
        case Ui::Buttons::OkCancel:
            return answerYesByDefault ? Ui::Answer::Ok : Ui::Answer::Cancel;
    }
    return Ui::Answer::Cancel;
}

QString FakeUi::AskFileName(const Ui::FileRequest& request) {
    fileRequests.push_back(request);
    if (fileNames.empty()) return QString();
    QString name = fileNames.front();
    fileNames.pop_front();
    return name;
}

std::optional<QColor> FakeUi::ChooseColor(QWidget*, QColor) {
    if (colors.empty()) return std::nullopt;
    auto c = colors.front();
    colors.pop_front();
    return c;
}

int FakeUi::Exec(QDialog& dialog) {
    execTitles.push_back(dialog.windowTitle());
    if (!onExec) return QDialog::Rejected;
    return onExec(dialog);
}

bool FakeUi::OpenWithDefaultProgram(const QString& path) {
    if (!openWorks && !QFileInfo(path).isDir()) return false;
    opened << path;
    return true;
}

QStringList FakeUi::MessageTexts() const {
    QStringList out;
    for (const auto& m : messages) out << m.text;
    return out;
}
