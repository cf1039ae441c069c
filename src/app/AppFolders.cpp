#include "app/AppFolders.h"

// Resolve() differs between systems: AppFolders_posix.cpp, AppFolders_windows.cpp.

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include "model/RescueStore.h"
#include "model/Utilities.h"

QString AppFolders::GuidePath(const QString& share) {
    const QDir dir(share);
    for (const QString& place :
         {QStringLiteral("guide/index.html"), QStringLiteral("../doc/vantoria/guide/index.html")}) {
        const QString path = QDir::cleanPath(dir.filePath(place));
        if (QFileInfo(path).isFile()) return path;
    }
    return QString();
}

bool AppFolders::CanWriteIn(const QString& folder) {
    QTemporaryFile probe(WithSlash(folder) + QStringLiteral(".vantoria-probe-XXXXXX"));
    return probe.open();
}

AppFolders AppFolders::Portable(const QString& programDir, const QString& userFolder) {
    AppFolders f;
    f.share = WithSlash(programDir);
    f.library = f.share;
    f.data = f.share;
    if (!CanWriteIn(programDir)) {
        f.data = WithSlash(userFolder);
        const bool firstTime = !QFileInfo::exists(f.data + QStringLiteral("data.xml"));
        if (!QDir().mkpath(userFolder)) {
            f.notices << QStringLiteral("无法创建数据文件夹：%1，数据将无法保存。").arg(userFolder);
        } else if (firstTime) {
            f.notices << QStringLiteral(
                             "程序所在的文件夹不可写入，抽奖名单、奖项和中奖名单将保存在：%1")
                             .arg(QDir::toNativeSeparators(userFolder));
        }
    }
    return f;
}

AppFolders AppFolders::Installed(const QString& shareDir, const QString& libraryDir,
                                 const QString& userFolder) {
    AppFolders f;
    f.share = WithSlash(shareDir);
    f.library = WithSlash(libraryDir);
    f.data = WithSlash(userFolder);
    if (!QFileInfo(shareDir).isDir())
        f.notices << QStringLiteral("找不到程序的安装文件：%1，内置的背景、音乐和默认设置不可用。")
                         .arg(QDir::toNativeSeparators(shareDir));
    if (!QDir().mkpath(userFolder) || !CanWriteIn(userFolder))
        f.notices << QStringLiteral("无法写入数据文件夹：%1，数据将无法保存。")
                         .arg(QDir::toNativeSeparators(userFolder));
    return f;
}
