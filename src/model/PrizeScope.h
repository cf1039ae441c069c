#pragma once

#include <QString>
#include <QStringList>

struct Candidate;

// Who may win a prize: everyone, only people whose department or group is one of a set, or
// everyone but them. Field and mode are kept as the file spells them, so values this program
// does not know read as "everyone" and are written back unchanged.
struct PrizeScope {
    QString field;  // "department" or "group"
    QString mode;   // "only" or "except"
    QStringList values;

    bool IsGroupField() const { return field == QLatin1String("group"); }
    bool IsExcept() const { return mode == QLatin1String("except"); }
    // Whether the scope limits anybody: a known field and mode, and at least one value.
    bool Limits() const;
    // Whether the candidate's department or group passes the scope.
    bool Admits(const Candidate& c) const;
    // The candidate's value of the scope's field.
    const QString& ValueOf(const Candidate& c) const;
};
