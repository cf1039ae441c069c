#include "app/NativeLook.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

namespace {
const QStringList kDesignNames = {QStringLiteral("微软雅黑"), QStringLiteral("Microsoft YaHei")};
}  // namespace

QStringList NativeLook::StandInFamilies() {
    // Noto Sans CJK SC has real bold and Latin digits drawn to match; WenQuanYi has neither
    // and is only the last resort.
    return {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Source Han Sans SC"),
            QStringLiteral("Noto Sans SC"), QStringLiteral("WenQuanYi Micro Hei"),
            QStringLiteral("WenQuanYi Zen Hei")};
}

bool NativeLook::SubstituteDesignFace() {
    const QStringList families = QFontDatabase::families();
    for (const QString& name : kDesignNames)
        if (families.contains(name)) return true;  // the real face is used as it is
    QStringList present;
    for (const QString& f : StandInFamilies())
        if (families.contains(f)) present << f;
    if (present.isEmpty()) return false;
    for (const QString& name : kDesignNames) QFont::insertSubstitutions(name, present);
    return true;
}

void NativeLook::PrepareLocale() {
    // Only the formats: messages, collation and character type stay the system's.
    for (const char* category : {"LC_TIME", "LC_NUMERIC"})
        if (!qEnvironmentVariable(category).startsWith(QLatin1String("zh")))
            qputenv(category, "zh_CN.UTF-8");
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
}

QStringList NativeLook::Apply(QCoreApplication& app) {
    QStringList missing;
    // The program's own texts are Chinese whatever the system language, so Qt's are too.
    auto translator = std::make_unique<QTranslator>();
    if (translator->load(QStringLiteral("qtbase_zh_CN"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        app.installTranslator(translator.get());
        translator.release()->setParent(&app);
    } else {
        missing << QStringLiteral(
            "找不到 Qt 的中文翻译（qtbase_zh_CN.qm），标准按钮和对话框将显示英文。");
    }
    if (!SubstituteDesignFace())
        missing << QStringLiteral(
            "找不到中文字体（微软雅黑或 Noto Sans CJK SC），文字可能显示不全。");
    return missing;
}
