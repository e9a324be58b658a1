// Times the page in headless Chromium on one pair, end to end as a student meets it: from
// choosing the first file to the result shown; alongside, run alternately, the native judge
// (checker-judge plain), which like the page reads, compares and diagnoses without writing a
// line for every position that differs. Also the longest the page's own thread was kept from running (a timer that
// should tick every 10 ms), which says whether the page stayed responsive. Not part of the product.
//   node page_bench.mjs PAGE CHROMIUM NATIVE_JUDGE INPUT OUTPUT RUNS
import { spawnSync } from "node:child_process";
import { mkdtempSync } from "node:fs";
import { tmpdir } from "node:os";
import { join, resolve } from "node:path";
import { pathToFileURL } from "node:url";
import puppeteer from "puppeteer-core";

const [pagePath, chromium, native, input, output, runs] = process.argv.slice(2);
const browser = await puppeteer.launch({
  executablePath: chromium,
  headless: true,
  args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync"],
  userDataDir: mkdtempSync(join(tmpdir(), "checker-bench-")),
});

const median = (list) => [...list].sort((a, b) => a - b)[Math.floor(list.length / 2)];
const page = { total: [], own: [], gap: [] };
const nativeTimes = [];
let shown = null;
for (let run = 0; run < Number(runs); ++run) {
  const tab = await browser.newPage();
  await tab.setViewport({ width: 1100, height: 1300 });
  await tab.goto(pathToFileURL(resolve(pagePath)).href);
  await tab.evaluate(() => {
    window.longestGap = 0;
    let last = performance.now();
    setInterval(() => {
      const now = performance.now();
      window.longestGap = Math.max(window.longestGap, now - last);
      last = now;
    }, 10);
  });
  const started = performance.now();
  await (await tab.$("#input-file")).uploadFile(input);
  await (await tab.$("#output-file")).uploadFile(output);
  await tab.waitForFunction(() => document.getElementById("progress-text").textContent
                                     .startsWith("Checked in"), { timeout: 120000, polling: 20 });
  page.total.push((performance.now() - started) / 1000);
  shown = await tab.evaluate(() => ({
    own: document.getElementById("progress-text").textContent,
    capped: document.getElementById("capped").textContent,
    picture: !document.getElementById("picture-section").hidden,
    gap: window.longestGap,
  }));
  page.own.push(Number(shown.own.match(/[0-9.]+/)[0]));
  page.gap.push(shown.gap);
  await tab.close();

  const before = performance.now();
  spawnSync(native, ["plain", input, output], { stdio: ["ignore", "ignore", "inherit"] });
  nativeTimes.push((performance.now() - before) / 1000);
}
await browser.close();

const total = median(page.total), nativeTime = median(nativeTimes);
console.log(`| page, choosing to shown s | page's own count s | checker-judge plain s | page / native | ` +
            `longest pause of the page ms |`);
console.log(`|---|---|---|---|---|`);
console.log(`| ${total.toFixed(2)} | ${median(page.own).toFixed(2)} | ${nativeTime.toFixed(2)} | ` +
            `${(total / nativeTime).toFixed(1)} | ${Math.max(...page.gap).toFixed(0)} |`);
console.log(`medians of ${runs} runs, alternating; last shown: "${shown.capped}"` +
            (shown.picture ? ", with its picture" : ", without a picture"));
