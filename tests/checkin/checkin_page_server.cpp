// The check-in service alone, for the browser test and the load bench: a handler and a server
// with a list of guests, no windows. Prints what a driver needs on stdout, one "key value" a
// line, then reads commands on stdin:
//   show FINGERPRINT   a show runs, with everyone checked in so far in its room
//   quit               (or the end of stdin) stops
// Each step asked by the host's page prints "step N".
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QMetaObject>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>

#include "checkin/CheckInHandler.h"
#include "checkin/CheckInRoster.h"
#include "checkin/CheckInServer.h"
#include "checkin/CheckInTokens.h"
#include "model/CheckInLog.h"

namespace {

void Say(const QString& key, const QString& value) {
    std::printf("%s %s\n", qPrintable(key), value.toUtf8().constData());
    std::fflush(stdout);
}

std::shared_ptr<const CheckInRoster> Roster(int generated) {
    auto roster = std::make_shared<CheckInRoster>();
    roster->Add({1, QStringLiteral("张三"), QStringLiteral("销售部")}, QStringLiteral("A001"));
    roster->Add({2, QStringLiteral("李四"), QStringLiteral("技术部")}, QStringLiteral("A002"));
    // Someone whose name is markup: the pages must show it as text.
    roster->Add({3, QStringLiteral("<img src=x onerror=\"window.pwned=1\">"),
                 QStringLiteral("<i>研发</i>")},
                QStringLiteral("A003"));
    for (int i = 1; i <= generated; ++i)
        roster->Add({1000 + i, QStringLiteral("客人%1").arg(i, 4, 10, QLatin1Char('0')),
                     QStringLiteral("第%1组").arg(i % 10)},
                    QStringLiteral("E%1").arg(i, 4, 10, QLatin1Char('0')));
    return roster;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption guests(QStringLiteral("guests"),
                                    QStringLiteral("Generated guests 客人0001… (工号 E0001…)."),
                                    QStringLiteral("count"), QStringLiteral("0"));
    const QCommandLineOption folder(QStringLiteral("folder"),
                                    QStringLiteral("Folder of checkin.jsonl (default: a new one)."),
                                    QStringLiteral("path"));
    const QCommandLineOption address(QStringLiteral("address"), QStringLiteral("Listen address."),
                                     QStringLiteral("ip"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Port (0: any free)."),
                                  QStringLiteral("port"), QStringLiteral("0"));
    const QCommandLineOption threads(QStringLiteral("threads"), QStringLiteral("Server threads."),
                                     QStringLiteral("count"), QStringLiteral("4"));
    parser.addOptions({guests, folder, address, port, threads});
    parser.process(app);

    QTemporaryDir temporary;
    const QString dir = parser.isSet(folder) ? parser.value(folder) : temporary.path();
    CheckInLog log(QDir(dir).filePath(CheckInLog::FileName()));
    CheckInHandler handler(log);
    const QString event = CheckInTokens::New();
    const QString remote = CheckInTokens::New();
    handler.SetTokens(event, remote);
    handler.SetRoster(Roster(parser.value(guests).toInt()));
    std::atomic<int> steps{0};
    handler.SetCallbacks({}, [&steps] { Say(QStringLiteral("step"), QString::number(++steps)); });

    CheckInServer::Limits limits;
    limits.threads = std::max(1u, parser.value(threads).toUInt());
    CheckInServer server([&handler](const HttpRequest& r) { return handler.Handle(r); }, limits);
    QString error;
    if (!server.Start(parser.value(address), parser.value(port).toInt(), &error)) {
        std::fprintf(stderr, "%s\n", error.toUtf8().constData());
        return 1;
    }
    const QString base =
        QStringLiteral("http://%1:%2").arg(parser.value(address)).arg(server.Port());
    Say(QStringLiteral("log"), log.Path());
    Say(QStringLiteral("remote"), base + QStringLiteral("/r/") + remote);
    Say(QStringLiteral("url"), base + QStringLiteral("/c/") + event);

    // stdin is read on a thread of its own; each command runs on the main thread.
    std::thread reader([&] {
        std::string line;
        while (std::getline(std::cin, line)) {
            const QString command = QString::fromStdString(line).trimmed();
            if (command == QLatin1String("quit")) break;
            QMetaObject::invokeMethod(&app, [&, command] {
                if (!command.startsWith(QLatin1String("show "))) {
                    Say(QStringLiteral("unknown"), command);
                    return;
                }
                auto show = std::make_shared<ShowBoard>();
                show->running = true;
                show->fingerprint = command.mid(5).trimmed();
                show->room = log.Ids();
                std::sort(show->room.begin(), show->room.end());
                show->screen = QStringLiteral("抽奖中");
                handler.SetShow(show);
                Say(QStringLiteral("shown"), QString::number(show->room.size()));
            });
        }
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    const int code = app.exec();
    server.Stop();
    reader.join();
    return code;
}
