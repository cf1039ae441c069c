#include "draw/DrawKeyRules.h"

#include <algorithm>
#include <vector>

QString DrawKeyRules::Text(const QString& no, const QString& name, const QString& department,
                           const QString& tel, int fieldType) {
    switch (fieldType) {
        case 0:
            return no;
        case 1:
            return name;
        case 2:
            return name + QLatin1Char(' ') + department;
        case 3:
            return tel;
        default:
            return QString();
    }
}

bool DrawKeyRules::HasKey(const QString& key) {
    for (qsizetype i = key.size(); i > 0; --i)
        if (!key.at(i - 1).isSpace()) return true;
    return false;
}

int DrawKeyRules::FirstFilledField(const QString& no, const QString& name,
                                   const QString& department, const QString& tel) {
    if (!no.isEmpty()) return 0;
    if (!name.isEmpty()) return 1;
    if (!department.isEmpty()) return 2;
    if (!tel.isEmpty()) return 3;
    return -1;
}

int DrawKeyRules::MostCommonFirstField(const std::array<int, 4>& counts) {
    int best = -1;
    for (int field : {0, 1, 3})
        if (counts[size_t(field)] > 0 && (best < 0 || counts[size_t(field)] > counts[size_t(best)]))
            best = field;
    return best;
}

QString DrawKeyRules::HidePhoneDigits(const QString& tel) {
    std::vector<qsizetype> digits;
    for (qsizetype i = 0; i < tel.size(); ++i)
        if (tel[i].isDigit()) digits.push_back(i);
    const qsizetype n = qsizetype(digits.size());
    if (n <= 4) return tel;
    QString shown = tel;
    for (qsizetype d = std::max<qsizetype>(0, n - 8); d < n - 4; ++d)
        shown[digits[size_t(d)]] = QLatin1Char('*');
    return shown;
}
