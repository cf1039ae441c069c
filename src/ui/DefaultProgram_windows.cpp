// windows.h before shlwapi.h: MinGW's shlwapi.h needs its types.
#include <windows.h>

#include <shlwapi.h>

#include <QFileInfo>

#include "ui/DefaultProgram.h"

bool DefaultProgram::ExistsFor(const QString& path) {
    const QString suffix = QLatin1Char('.') + QFileInfo(path).suffix();
    wchar_t program[MAX_PATH];
    DWORD size = MAX_PATH;
    const HRESULT result = AssocQueryStringW(ASSOCF_INIT_IGNOREUNKNOWN, ASSOCSTR_EXECUTABLE,
                                             reinterpret_cast<const wchar_t*>(suffix.utf16()),
                                             nullptr, program, &size);
    // A program whose path does not fit is a program all the same.
    return result == S_OK || result == E_POINTER;
}
