#include <QFileInfo>

#include "app/AppFolders.h"
#include "model/RescueStore.h"
#include "model/Utilities.h"

// One program for both packages. The installer leaves installed.txt beside the program: that
// copy reads its media from its own folder and keeps the operator's files in %APPDATA%\Vantoria,
// even where an administrator could write to Program Files. Without it (the portable zip, the
// build tree) the files stay beside the program when that folder is writable.
AppFolders AppFolders::Resolve() {
    const QString programDir = ExeDirectory();
    if (QFileInfo::exists(programDir + QStringLiteral("installed.txt")))
        return Installed(programDir, programDir, RescueStore::UserFolder());
    return Portable(programDir, RescueStore::UserFolder());
}
