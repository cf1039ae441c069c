#include "app/AppFolders.h"
#include "model/RescueStore.h"
#include "model/Utilities.h"

AppFolders AppFolders::Resolve() {
#if defined(VANTORIA_INSTALLED_LAYOUT)
    return Installed(QStringLiteral(VANTORIA_SHARE_DIR), QStringLiteral(VANTORIA_LIB_DIR),
                     RescueStore::UserFolder());
#else
    return Portable(ExeDirectory(), RescueStore::UserFolder());
#endif
}
