#include "app/AppShowHost.h"

#include "stage/ShowWindow.h"
#include "ui/Ui.h"

QString AppShowHost::ShortageQuestion(const Shortage& shortage) {
    if (!shortage.prize.isEmpty())
        return QStringLiteral(
                   "奖项“%3”的候选人数不足，本奖项不能全部抽完，要继续吗？\n详情：还剩 %1 "
                   "个中奖名额，"
                   "本奖项抽奖范围内剩余候选人数为 %2。本奖项不允许重复中奖。")
            .arg(shortage.slotsLeft)
            .arg(shortage.candidates)
            .arg(shortage.prize);
    return QStringLiteral(
               "候选人数不足，本轮抽奖不能全部完成，要继续吗？\n详情：还剩 %1 个中奖名额，"
               "剩余候选人数为 %2。规则中不允许重复中奖。")
        .arg(shortage.slotsLeft)
        .arg(shortage.candidates);
}

bool AppShowHost::AskToContinue(const Shortage& shortage) {
    return Ui::Tell(parent_, ShortageQuestion(shortage), Ui::Icon::Question, Ui::Buttons::YesNo) ==
           Ui::Answer::Yes;
}

bool AppShowHost::ConfirmPresent(int64_t present, int64_t everyone) {
    return Ui::Tell(parent_,
                    QStringLiteral(
                        "本场只有已签到的 %1 人参加抽奖（名单中共 %2 人可参加，%3 人未签到）。"
                        "\n开始后，再签到的人不进入本场抽奖。要开始吗？")
                        .arg(present)
                        .arg(everyone)
                        .arg(everyone - present),
                    Ui::Icon::Question, Ui::Buttons::YesNo) == Ui::Answer::Yes;
}

void AppShowHost::RunShow() {
    ShowWindow window(data_, engine_, parent_);
    window.SetCheckIn(checkIn_);
    Ui::Exec(window);
}
