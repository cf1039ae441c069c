#pragma once

#include <QStringList>

class QCoreApplication;

// Makes the program look native in Chinese on this platform: Qt's own translations, so stock
// buttons and dialogs speak Chinese like the rest of the program, and a CJK face with true
// regular and bold weights wherever the design asks for 微软雅黑 and the system lacks it.
class NativeLook {
  public:
    // Families that stand in for 微软雅黑, best first.
    static QStringList StandInFamilies();

    // Loads the translations into app and sets up the face. Returns what is missing (one
    // sentence each); the program goes on without it.
    static QStringList Apply(QCoreApplication& app);
    // The face part alone: true when 微软雅黑 exists or has a stand-in.
    static bool SubstituteDesignFace();
    // Before the application exists: dates, times and sizes in Chinese, also where the system
    // locale is another (the file dialogs read it).
    static void PrepareLocale();
};
