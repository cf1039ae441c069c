#pragma once

#include <QString>

#include <cstdint>
#include <ctime>

// Folder of the running program, ending with "/".
QString ExeDirectory();
// The folder with a "/" at its end; an empty folder stays empty.
QString WithSlash(QString folder);
// File name and extension of a path (no folder).
QString FileNameOf(const QString& path);
QString IntToText(int value);
// Local time as "yyyy-MM-dd hh:mm:ss".
QString LocalTimeText();
QString LocalTimeText(std::time_t when);
// True when path exists and is a folder (wantFolder) or exists and is not one.
bool FileExists(const QString& path, bool wantFolder);
// Message text for a bridge error code.
QString ImportErrorText(int code);
// Leading blanks, optional sign, digits up to the first other character; else 0.
// Values beyond the int32 range are clamped.
int32_t ParseInt(const char* text);
int32_t ParseInt(const QString& text);
