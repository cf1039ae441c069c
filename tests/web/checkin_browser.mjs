// The guests' and the host's pages in a real browser at a phone's size: Debian's chromium,
// headless, driven by playwright-core, against checkin_page_server.
//   node checkin_browser.mjs PATH/TO/checkin_page_server [PATH/TO/chromium]
// Exits 0 when every check holds, 1 on the first that does not, 77 when it cannot run here.
import assert from "node:assert/strict";
import { spawn } from "node:child_process";
import { existsSync } from "node:fs";
import { createInterface } from "node:readline";

const [serverPath, chromiumPath = "/usr/bin/chromium"] = process.argv.slice(2);
if (!serverPath || !existsSync(serverPath)) {
  console.error("usage: node checkin_browser.mjs CHECKIN_PAGE_SERVER [CHROMIUM]");
  process.exit(2);
}
let chromium;
try {
  ({ chromium } = await import("playwright-core"));
} catch {
  console.log("skipped: playwright-core is not installed (npm ci --prefix tests/web)");
  process.exit(77);
}
if (!existsSync(chromiumPath)) {
  console.log(`skipped: no browser at ${chromiumPath}`);
  process.exit(77);
}

// The server, and its stdout as lines awaited by their first word.
const server = spawn(serverPath, [], { stdio: ["pipe", "pipe", "inherit"] });
const lines = [];
const waiters = [];
createInterface({ input: server.stdout }).on("line", (line) => {
  lines.push(line);
  for (const w of waiters.splice(0)) w();
});
async function lineStarting(prefix, timeoutMs = 10000) {
  const deadline = Date.now() + timeoutMs;
  for (;;) {
    const found = lines.find((l) => l.startsWith(prefix));
    if (found) return found.slice(prefix.length).trim();
    const left = deadline - Date.now();
    if (left <= 0) throw new Error(`the server never said "${prefix}"`);
    await new Promise((resolve) => {
      waiters.push(resolve);
      setTimeout(resolve, left);
    });
  }
}
const stepsSeen = () => lines.filter((l) => l.startsWith("step ")).length;

const checks = [];
function passed(what) {
  checks.push(what);
  console.log(`ok ${checks.length} - ${what}`);
}

let browser;
try {
  const guestUrl = await lineStarting("url ");
  const remoteUrl = await lineStarting("remote ");
  browser = await chromium.launch({
    executablePath: chromiumPath,
    headless: true,
    args: ["--no-sandbox", "--disable-gpu"],
  });
  const phone = {
    viewport: { width: 390, height: 844 },
    deviceScaleFactor: 3,
    isMobile: true,
    hasTouch: true,
    locale: "zh-CN",
  };
  // Anything a page runs by mistake shows up as an error, a dialog or window.pwned.
  const problems = [];
  async function newPhonePage() {
    const context = await browser.newContext(phone);
    const page = await context.newPage();
    page.on("pageerror", (e) => problems.push(`page error: ${e.message}`));
    page.on("response", (r) => {
      if (r.status() === 429) problems.push(`rate limited: ${r.url()}`);
    });
    page.on("dialog", (d) => {
      problems.push(`dialog: ${d.message()}`);
      d.dismiss();
    });
    return page;
  }

  // A guest checks in.
  const guest = await newPhonePage();
  const response = await guest.goto(guestUrl);
  assert.equal(response.status(), 200);
  const policy = response.headers()["content-security-policy"] ?? "";
  assert.match(policy, /default-src 'none'/);
  assert.equal(response.headers()["set-cookie"], undefined);
  await guest.fill("#id", "A001");
  await guest.fill("#name", "张三");
  await guest.getByRole("button", { name: "签到" }).tap();
  await guest.getByText("签到成功").waitFor({ timeout: 10000 });
  assert.equal(await guest.textContent("#who"), "张三（销售部）");
  assert.ok(await guest.isVisible("#wait"));
  const width = await guest.evaluate(() => document.documentElement.scrollWidth);
  assert.ok(width <= 390, `the page is ${width} px wide on a 390 px phone`);
  passed("guest checks in and sees 签到成功 with the name, the page fits the phone");

  // The show starts with the guest in its room: the page's next poll shows it.
  server.stdin.write("show 7F3A-19C2-88D0\n");
  assert.equal(await lineStarting("shown "), "1");
  await guest.getByText("你已在本场抽奖池中").waitFor({ timeout: 15000 });
  assert.equal(await guest.textContent("#fp"), "7F3A-19C2-88D0");
  assert.ok(!(await guest.isVisible("#wait")));
  passed("the page shows the show's fingerprint and 你已在本场抽奖池中");

  // A reload keeps the check-in (the ticket is kept in the browser).
  await guest.reload();
  await guest.getByText("你已在本场抽奖池中").waitFor({ timeout: 10000 });
  passed("after a reload the page still knows the guest");
  // Every page here comes from one address, as one phone: closed when done, so that their
  // polls stay within one phone's rate limit.
  await guest.context().close();

  // A guest whose name is markup sees it as text; nothing of it runs.
  const marked = await newPhonePage();
  await marked.goto(guestUrl);
  const name = '<img src=x onerror="window.pwned=1">';
  await marked.fill("#id", "A003");
  await marked.fill("#name", name);
  await marked.getByRole("button", { name: "签到" }).tap();
  await marked.getByText("签到成功").waitFor({ timeout: 10000 });
  assert.equal(await marked.textContent("#who"), `${name}（<i>研发</i>）`);
  await marked.waitForTimeout(500);  // time for an onerror to fire, were there an image
  assert.equal(await marked.evaluate(() => document.querySelectorAll("img, i").length), 0);
  assert.equal(await marked.evaluate(() => window.pwned), undefined);
  passed("a name holding <img onerror> is shown as text and never runs");
  await marked.context().close();

  // A name nobody has: the page says so and stays on the form.
  const stranger = await newPhonePage();
  await stranger.goto(guestUrl);
  await stranger.fill("#id", "A001");
  await stranger.fill("#name", "不存在");
  await stranger.getByRole("button", { name: "签到" }).tap();
  await stranger.getByText("没有找到与填写内容相符的人").waitFor({ timeout: 10000 });
  assert.ok(!(await stranger.isVisible("#done")));
  passed("a name not on the list is refused on the page");
  await stranger.context().close();

  // The host's phone: one tap, one step.
  const remote = await newPhonePage();
  await remote.goto(remoteUrl);
  await remote.getByText("抽奖中").waitFor({ timeout: 10000 });
  const before = stepsSeen();
  await remote.getByRole("button", { name: "下一步" }).tap();
  assert.equal(await lineStarting(`step ${before + 1}`), "");
  await remote.waitForTimeout(1500);
  assert.equal(stepsSeen(), before + 1);
  passed("下一步 on the host's phone is one step on the laptop");

  assert.deepEqual(problems, []);
  passed("no page error and no dialog on any page");
  console.log(`${checks.length} passed, 0 failed`);
} catch (e) {
  console.error(`not ok ${checks.length + 1} - ${e.stack ?? e}`);
  console.log(`${checks.length} passed, 1 failed`);
  process.exitCode = 1;
} finally {
  await browser?.close();
  server.stdin.end("quit\n");
  await new Promise((resolve) => {
    if (server.exitCode !== null) return resolve();
    server.on("exit", resolve);
    setTimeout(() => {
      server.kill("SIGKILL");
      resolve();
    }, 5000);
  });
  if (server.exitCode !== 0 && process.exitCode !== 1) {
    console.error(`the server ended with ${server.exitCode ?? server.signalCode}`);
    process.exitCode = 1;
  }
}
