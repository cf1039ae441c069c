#pragma once

#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <memory>

#include "checkin/CheckInRoster.h"

// The guests the check-in tests use. Two share name and 工号 and so can never be told apart;
// one is really named like markup.
inline std::shared_ptr<const CheckInRoster> TestRoster() {
    auto roster = std::make_shared<CheckInRoster>();
    roster->Add({1, QStringLiteral("张三"), QStringLiteral("销售部")}, QStringLiteral("A001"));
    roster->Add({2, QStringLiteral("李四"), QStringLiteral("技术部")}, QStringLiteral("A002"));
    roster->Add({3, QStringLiteral("王五"), QStringLiteral("市场部")}, QStringLiteral("A003"));
    roster->Add({4, QStringLiteral("王五"), QStringLiteral("财务部")}, QStringLiteral("A003"));
    roster->Add({5, QStringLiteral("<b>x</b>"), QStringLiteral("研发部")}, QStringLiteral("A005"));
    roster->Add({6, QStringLiteral("王五"), QStringLiteral("人事部")}, QStringLiteral("A006"));
    return roster;
}

inline QByteArray CheckInBody(const QString& token, const QString& id, const QString& name) {
    return QJsonDocument(QJsonObject{{QStringLiteral("token"), token},
                                     {QStringLiteral("id"), id},
                                     {QStringLiteral("name"), name}})
        .toJson(QJsonDocument::Compact);
}

inline QJsonObject JsonOf(const QByteArray& body) {
    return QJsonDocument::fromJson(body).object();
}
