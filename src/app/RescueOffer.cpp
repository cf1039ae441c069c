#include "app/RescueOffer.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include "model/AtomicFileWriter.h"
#include "model/RescueStore.h"
#include "ui/Ui.h"

int RescueOffer::Offer(const QString& dataDir, const QString& rescueFolder) {
    RescueStore store(rescueFolder);
    QStringList offered;
    int taken = 0;
    for (const RescueStore::Rescue& r : store.NewerThanOriginals(dataDir)) {
        if (offered.contains(r.original)) continue;  // only the newest copy of each file
        offered << r.original;
        const QString question =
            QStringLiteral(
                "上次运行时 %1 没有保存成功，当时的内容已另存到 %2（%3）。\n"
                "要用这份另存的内容恢复吗？")
                .arg(QDir::toNativeSeparators(r.original), QDir::toNativeSeparators(r.path),
                     r.written.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        if (Ui::Tell(nullptr, question, Ui::Icon::Question, Ui::Buttons::YesNo) != Ui::Answer::Yes)
            continue;
        QFile rescue(r.path);
        QString reason;
        if (rescue.open(QIODevice::ReadOnly) &&
            AtomicFileWriter::Write(r.original, rescue.readAll(), &reason)) {
            ++taken;
        } else {
            Ui::Tell(nullptr, QStringLiteral("无法恢复 %1：%2").arg(r.original, reason),
                     Ui::Icon::Warning);
        }
    }
    return taken;
}
