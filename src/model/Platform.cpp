#include "model/Platform.h"

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace Platform {

bool FlushToDisk(int fd) {
    if (fd < 0) return false;
#if defined(_WIN32)
    return _commit(fd) == 0;
#else
    return ::fsync(fd) == 0;
#endif
}

}  // namespace Platform
