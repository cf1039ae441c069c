#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPushButton>

#include <random>

#include "checkin/CheckInHandler.h"
#include "checkin/CheckInService.h"
#include "model/AppData.h"
#include "setup/CheckInPanel.h"
#include "support/FakeUi.h"
#include "support/TestFolder.h"

namespace {

int StatusOf(CheckInService& service, const QByteArray& path) {
    HttpRequest r;
    r.method = "GET";
    r.path = path;
    r.client = QStringLiteral("127.0.0.9");
    return service.Handler().Handle(r).status;
}

}  // namespace

// 现场签到 on the rules page: on starts the service, the token is kept in data.xml at once,
// both codes show, the poster saves through the Ui service, and a new token (asked first)
// turns the old link away.
TEST(CheckInPanel, OnStartsTheServiceKeepsTheTokenShowsTheCodesAndANewTokenRetiresTheOld) {
    FakeUi fake;
    TestFolder dir;
    AppData data(dir.Path());
    data.CheckIn().address = QStringLiteral("127.0.0.1");
    data.CheckIn().port = 20000 + int(std::random_device{}() % 30000);
    CheckInService service(data);
    CheckInPanel panel(data, nullptr);
    panel.SetService(&service);
    EXPECT_FALSE(service.Running());

    panel.EnabledBox()->setChecked(true);
    ASSERT_TRUE(service.Running()) << panel.StatusLabel()->text().toStdString();
    const QString token = data.CheckIn().token;
    ASSERT_EQ(token.size(), 22);
    {
        AppData onDisk(dir.Path());
        onDisk.SetReadOnly(true);
        EXPECT_EQ(onDisk.CheckIn().token, token);
        EXPECT_TRUE(onDisk.CheckIn().enabled);
    }
    EXPECT_TRUE(panel.StatusLabel()->text().contains(service.GuestUrl()));
    EXPECT_FALSE(panel.GuestCode()->pixmap().isNull());
    EXPECT_FALSE(panel.RemoteCode()->pixmap().isNull());
    EXPECT_NE(service.GuestUrl().section('/', -1), service.RemoteUrl().section('/', -1));

    fake.fileNames.push_back(dir.Path() + "/poster.png");
    panel.PosterButton()->click();
    const QImage poster(dir.Path() + "/poster.png");
    ASSERT_FALSE(poster.isNull());
    EXPECT_EQ(poster.size(), QSize(1240, 1754));
    int dark = 0;  // the code's modules, in the middle of the page
    for (int y = 500; y < 1300; y += 4)
        for (int x = 200; x < 1040; x += 4) dark += qGray(poster.pixel(x, y)) < 64;
    EXPECT_GT(dark, 5000);

    const QByteArray oldLink = "/c/" + token.toUtf8();
    EXPECT_EQ(StatusOf(service, oldLink), 200);
    fake.answers.push_back(Ui::Answer::No);
    panel.NewTokenButton()->click();
    EXPECT_EQ(data.CheckIn().token, token);
    fake.answers.push_back(Ui::Answer::Yes);
    panel.NewTokenButton()->click();
    ASSERT_NE(data.CheckIn().token, token);
    EXPECT_EQ(StatusOf(service, oldLink), 403);
    EXPECT_EQ(StatusOf(service, "/c/" + data.CheckIn().token.toUtf8()), 200);

    panel.EnabledBox()->setChecked(false);
    EXPECT_FALSE(service.Running());
    EXPECT_TRUE(panel.GuestCode()->pixmap().isNull());
}
