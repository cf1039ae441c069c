#include "checkin/GuestPages.h"

#include "model/CheckInSettings.h"

namespace {

// Shared by both pages: large type and targets for a phone held in one hand.
constexpr char kHead[] = R"(<!DOCTYPE html>
<html lang="zh-CN"><head><meta charset="utf-8">
<meta name="viewport" content="width=device-width,initial-scale=1">
<title>%TITLE%</title>
<style>
body{margin:0;font-family:system-ui,"PingFang SC","Microsoft YaHei",sans-serif;background:#8b0000;color:#222}
main{max-width:30rem;margin:0 auto;padding:1.2rem}
.card{background:#fff;border-radius:14px;padding:1.4rem;box-shadow:0 4px 16px rgba(0,0,0,.25)}
h1{font-size:1.6rem;margin:.2rem 0 1rem;color:#b00000;text-align:center}
label{display:block;font-size:1.05rem;margin:.9rem 0 .3rem}
input{box-sizing:border-box;width:100%;font-size:1.2rem;padding:.7rem;border:1px solid #bbb;border-radius:8px}
button{width:100%;margin-top:1.3rem;font-size:1.4rem;padding:.9rem;border:0;border-radius:10px;background:#d4002a;color:#fff}
button:disabled{background:#999}
.msg{margin-top:1rem;font-size:1.05rem;min-height:1.5rem;text-align:center}
.ok{color:#067d3a;font-size:1.5rem;font-weight:bold;text-align:center}
.fp{font-family:ui-monospace,monospace;font-size:1.3rem;letter-spacing:.05em;text-align:center;background:#f4f4f4;border-radius:8px;padding:.6rem;margin:.6rem 0}
.won{color:#b00000;font-size:1.5rem;font-weight:bold;text-align:center}
.big{height:45vh;font-size:2.6rem}
.hidden{display:none}
</style></head><body><main><div class="card">
)";

constexpr char kCheckInBody[] = R"(<h1>现场签到</h1>
<form id="form" autocomplete="off">
<label for="id">%IDLABEL%</label>
<input id="id" name="id" maxlength="64" %IDINPUT% required>
<label for="name">姓名</label>
<input id="name" name="name" maxlength="64" required>
<button id="go" type="submit">签到</button>
<div id="msg" class="msg" role="status"></div>
</form>
<div id="done" class="hidden">
<div class="ok">签到成功</div>
<p id="who" style="text-align:center;font-size:1.3rem"></p>
<div id="show" class="hidden"><div class="msg">本场抽奖的指纹</div><div id="fp" class="fp"></div>
<div id="pool" class="msg"></div></div>
<div id="won" class="won"></div>
<div id="wait" class="msg">抽奖开始后，这里会显示本场抽奖的指纹</div>
</div>
</div></main>
<script>
"use strict";
const token = location.pathname.split("/").pop();
const $ = (id) => document.getElementById(id);
const key = "vantoria-ticket-" + token;
let ticket = null;
try { ticket = localStorage.getItem(key); } catch (e) {}
function showDone(name, department) {
  $("form").classList.add("hidden");
  $("done").classList.remove("hidden");
  $("who").textContent = department ? name + "（" + department + "）" : name;
}
async function poll() {
  if (!ticket) return;
  try {
    const r = await fetch("/api/status?token=" + encodeURIComponent(token) +
                          "&ticket=" + encodeURIComponent(ticket), {cache: "no-store"});
    if (r.status === 404) { ticket = null; try { localStorage.removeItem(key); } catch (e) {} return; }
    if (!r.ok) return;
    const s = await r.json();
    showDone(s.name, s.department);
    if (s.fingerprint) {
      $("show").classList.remove("hidden");
      $("wait").classList.add("hidden");
      $("fp").textContent = s.fingerprint;
      $("pool").textContent = s.inPool ? "你已在本场抽奖池中" : "你不在本场抽奖池中（签到晚于抽奖开始）";
    }
    $("won").textContent = s.won ? "恭喜你获得：" + s.won : "";
  } catch (e) {}
}
$("form").addEventListener("submit", async (ev) => {
  ev.preventDefault();
  $("go").disabled = true;
  $("msg").textContent = "";
  try {
    const r = await fetch("/api/checkin", {method: "POST", headers: {"Content-Type": "application/json"},
      body: JSON.stringify({token: token, id: $("id").value.trim(), name: $("name").value.trim()})});
    const s = await r.json().catch(() => ({}));
    if (r.ok && s.ok) {
      ticket = s.ticket;
      try { localStorage.setItem(key, ticket); } catch (e) {}
      showDone(s.name, s.department);
      poll();
    } else if (r.status === 404) {
      $("msg").textContent = "没有找到与填写内容相符的人，请检查后再试";
    } else if (r.status === 429) {
      $("msg").textContent = "操作太频繁，请稍等片刻再试";
    } else if (r.status === 403) {
      $("msg").textContent = "签到链接已失效，请重新扫描现场的二维码";
    } else {
      $("msg").textContent = "签到没有成功，请稍后再试";
    }
  } catch (e) {
    $("msg").textContent = "连接不上签到服务，请确认手机连着会场的无线网络";
  }
  $("go").disabled = false;
});
poll();
setInterval(poll, 4000);
</script></body></html>
)";

constexpr char kRemoteBody[] = R"(<h1>抽奖遥控</h1>
<div id="state" class="msg">正在连接…</div>
<button id="step" class="big" type="button">下一步</button>
<div id="msg" class="msg" role="status"></div>
</div></main>
<script>
"use strict";
const token = location.pathname.split("/").pop();
const $ = (id) => document.getElementById(id);
async function send(action) {
  try {
    const r = await fetch("/api/remote", {method: "POST", headers: {"Content-Type": "application/json"},
      body: JSON.stringify({token: token, action: action})});
    const s = await r.json().catch(() => ({}));
    if (r.status === 409) { $("state").textContent = "抽奖窗口还没有打开"; return; }
    if (!r.ok) { $("msg").textContent = r.status === 429 ? "按得太快了" : "遥控没有成功"; return; }
    $("msg").textContent = "";
    $("state").textContent = s.running ? (s.screen + (s.prize ? "：" + s.prize : "")) : "抽奖窗口还没有打开";
  } catch (e) { $("state").textContent = "连接不上抽奖电脑"; }
}
// One tap, one step: the button waits for the answer before it takes the next.
$("step").addEventListener("click", async () => {
  $("step").disabled = true;
  await send("step");
  setTimeout(() => { $("step").disabled = false; }, 300);
});
send("state");
setInterval(() => send("state"), 2000);
</script></body></html>
)";

QByteArray Page(const char* title, const char* body) {
    QByteArray page(kHead);
    page.replace("%TITLE%", title);
    return page.append(body);
}

}  // namespace

namespace GuestPages {

QByteArray CheckIn(int method) {
    QByteArray page = Page("现场签到", kCheckInBody);
    if (method == CheckInSettings::kPhoneDigitsAndName) {
        page.replace("%IDLABEL%", "手机号后四位");
        page.replace("%IDINPUT%", R"(inputmode="numeric" pattern="[0-9]{4}")");
    } else {
        page.replace("%IDLABEL%", "工号");
        page.replace("%IDINPUT%", "");
    }
    return page;
}

QByteArray Remote() {
    return Page("抽奖遥控", kRemoteBody);
}

QByteArray Refused() {
    return Page(
        "签到链接无效",
        R"(<h1>签到链接无效</h1><p class="msg">请重新扫描现场的签到二维码。</p></div></main></body></html>)");
}

}  // namespace GuestPages
