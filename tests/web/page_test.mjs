// The page in a real browser, used as a student uses it: both files chosen, the text it shows
// compared with the golden case's standard output, for every case whose two arguments are files
// of the case; then a large failing pair, capped with its count and drawn. Screenshots of a
// passing and a failing pair are left in OUT for people to look at.
//   node page_test.mjs PAGE CASES_DIR OUT CHROMIUM
import { existsSync, mkdirSync, readdirSync, readFileSync, rmSync, statSync, writeFileSync } from "node:fs";
import { createServer } from "node:http";
import { join, resolve } from "node:path";
import { pathToFileURL } from "node:url";
import puppeteer from "puppeteer-core";

const [pagePath, casesDir, out, chromium] = process.argv.slice(2);
mkdirSync(out, { recursive: true });

const browser = await puppeteer.launch({
  executablePath: chromium,
  headless: true,
  // As root in a container, without a GPU, and with nothing reached over the network.
  args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--allow-file-access-from-files"],
  userDataDir: join(out, "profile"),
});

const failures = [];
function expect(what, got, wanted) {
  if (got !== wanted) {
    failures.push(what);
    console.log(`FAIL ${what}\n--- shown\n${got}\n--- wanted\n${wanted}`);
  }
}

// A fresh page, whose errors fail the test.
async function openPage() {
  const page = await browser.newPage();
  await page.setViewport({ width: 1100, height: 1300 });
  page.on("pageerror", (error) => failures.push(`page error: ${error.message}`));
  page.on("console", (message) => {
    if (message.type() === "error") failures.push(`console error: ${message.text()}`);
  });
  await page.goto(pathToFileURL(resolve(pagePath)).href);
  return page;
}

// Chooses the two files, as the file choosers do, and waits for what the page shows.
async function check(page, input, output) {
  await (await page.$("#input-file")).uploadFile(input);
  await (await page.$("#output-file")).uploadFile(output);
  await page.waitForFunction(() => document.getElementById("progress-text").textContent
                                      .startsWith("Checked in"), { timeout: 60000 });
  return page.evaluate(() => ({
    heading: document.getElementById("result-heading").textContent,
    verdict: document.getElementById("verdict").textContent,
    capped: document.getElementById("capped").hidden ? "" : document.getElementById("capped").textContent,
    diagnosis: document.getElementById("diagnosis-section").hidden ? ""
                   : document.getElementById("diagnosis").textContent,
    picture: !document.getElementById("picture-section").hidden,
    caption: document.getElementById("picture-caption").textContent,
    focused: document.activeElement.id,
  }));
}

// The checker's cases whose arguments are two files of the case's own.
const cases = readdirSync(casesDir).filter((name) => !name.startsWith("judge_")).sort();
let checked = 0;
for (const name of cases) {
  const dir = join(casesDir, name);
  const argsFile = join(dir, "args.txt");
  const args = existsSync(argsFile) ? readFileSync(argsFile, "utf8").split("\n").filter((line) => line !== "")
                                    : ["input.txt", "output.txt"];
  if (args.length !== 2 || !args.every((arg) => existsSync(join(dir, arg)) && statSync(join(dir, arg)).isFile())) {
    continue;
  }
  const page = await openPage();
  const shown = await check(page, join(dir, args[0]), join(dir, args[1]));
  expect(`case ${name}`, shown.verdict, readFileSync(join(dir, "expected.txt"), "utf8"));
  if (shown.focused !== "result-heading") failures.push(`case ${name}: the result heading is not focused`);
  await page.close();
  ++checked;
}
console.log(`${checked} golden cases shown as the checker prints them`);
if (checked < 20) failures.push(`only ${checked} golden cases were found in ${casesDir}`);

// The README's example, passing and failing.
const examples = join(casesDir, "..", "..", "examples");
{
  const page = await openPage();
  const shown = await check(page, join(examples, "input.txt"), join(examples, "passing_output.txt"));
  expect("the passing example's heading", shown.heading, "Your output is right.");
  expect("the passing example draws no picture", shown.picture, false);
  await page.screenshot({ path: join(out, "passing.png"), fullPage: true });
  await page.close();
}
{
  const page = await openPage();
  const shown = await check(page, join(examples, "input.txt"), join(examples, "failing_output.txt"));
  expect("the failing example's heading", shown.heading, "Your output is not right.");
  expect("the failing example draws its picture", shown.picture, true);
  const readme = readFileSync(join(casesDir, "..", "..", "README.md"), "utf8");
  expect("the failing example shows the README's sample run",
         readme.includes("examples/failing_output.txt\n" + shown.verdict), true);
  await page.screenshot({ path: join(out, "failing.png"), fullPage: true });
  await page.close();
}

// A large failing pair: the values 0..n-1 shuffled, a record a line, and an output sorted but
// for a block of them written in descending order. Its verdict is capped, its count told, its picture drawn.
{
  const n = 200000, from = 120000, to = 150000;
  const values = Array.from({ length: n }, (_, i) => (i * 7919) % n);
  const sorted = Array.from({ length: n }, (_, i) => (i >= from && i < to ? from + to - 1 - i : i));
  const records = (list) => list.map((value, i) => `r${i} ${value}\n`).join("");
  writeFileSync(join(out, "large_input.txt"), records(values));
  writeFileSync(join(out, "large_output.txt"), records(sorted));
  const differing = sorted.filter((value, i) => value !== i).length;
  const page = await openPage();
  const shown = await check(page, join(out, "large_input.txt"), join(out, "large_output.txt"));
  const lines = shown.verdict.split("\n");
  expect("the large pair's first error line", lines.find((line) => line.startsWith("Error")),
         `Error: Data index ${from} should be ${from} but get ${to - 1} !`);
  expect("the large pair's count", shown.capped,
         `The first 1,000 of ${differing.toLocaleString("en")} error lines; ` +
         `${(differing - 1000).toLocaleString("en")} more are in the whole output.`);
  expect("the large pair draws its picture", shown.picture, true);
  expect("the picture's caption counts the differing positions",
         shown.caption.includes(`${differing.toLocaleString("en")} positions that differ marked in red below, the first at index ${from.toLocaleString("en")}.`), true);
  await page.screenshot({ path: join(out, "failing_large.png"), fullPage: true });
  // The whole output, downloaded: the banner and every error line.
  const downloads = join(out, "downloads");
  rmSync(downloads, { recursive: true, force: true });
  const session = await page.createCDPSession();
  await session.send("Browser.setDownloadBehavior", { behavior: "allow", downloadPath: resolve(downloads) });
  await page.click("#download");
  const saved = join(downloads, "checker-output.txt");
  for (let waited = 0; !existsSync(saved) && waited < 60000; waited += 100) {
    await new Promise((done) => setTimeout(done, 100));
  }
  const banner = shown.verdict.slice(0, shown.verdict.indexOf("Error"));
  const errors = sorted.flatMap((value, i) => value === i ? []
      : [`Error: Data index ${i} should be ${i} but get ${value} !\n`]);
  expect("the downloaded whole output", existsSync(saved) ? readFileSync(saved, "utf8") : "(nothing saved)",
         banner + errors.join(""));
  await page.close();
}

// From a static host rather than from disk, with the files dropped on the page rather than
// chosen: the same text.
{
  const server = createServer((request, response) => {
    response.writeHead(200, { "Content-Type": "text/html; charset=utf-8" });
    response.end(readFileSync(pagePath));
  });
  await new Promise((listening) => server.listen(0, "127.0.0.1", listening));
  const page = await browser.newPage();
  page.on("pageerror", (error) => failures.push(`page error: ${error.message}`));
  await page.goto(`http://127.0.0.1:${server.address().port}/checker.html`);
  const drop = (target, name, text) => page.evaluate((target, name, text) => {
    const data = new DataTransfer();
    data.items.add(new File([text], name));
    document.getElementById(target).dispatchEvent(new DragEvent("drop", { dataTransfer: data }));
  }, target, name, text);
  await drop("input-drop", "input.txt", readFileSync(join(examples, "input.txt"), "utf8"));
  await drop("output-drop", "failing_output.txt", readFileSync(join(examples, "failing_output.txt"), "utf8"));
  await page.waitForFunction(() => document.getElementById("progress-text").textContent
                                      .startsWith("Checked in"), { timeout: 60000 });
  const verdict = await page.evaluate(() => document.getElementById("verdict").textContent);
  const native = readFileSync(join(casesDir, "verdict_worked_example", "expected.txt"), "utf8");
  expect("the dropped example, from a static host", verdict.slice(verdict.indexOf("Error")),
         "Error: Data index 2 should be 10 but get 16 !\nError: Data index 4 should be 16 but get 10 !\n");
  expect("the banner, from a static host", verdict.slice(0, verdict.indexOf("Error")),
         native.slice(0, native.indexOf("Error")));
  await page.close();
  server.close();
}

// A file that changed after it was chosen, which the browser no longer reads: the checker's line
// for a file it cannot read, and a word on what to do.
{
  const page = await openPage();
  const input = join(out, "changing_input.txt");
  writeFileSync(input, "a 2\nb 1\n");
  await check(page, input, join(examples, "passing_output.txt"));
  writeFileSync(input, "a 2\nb 1\nc 3\n");
  await page.evaluate(() => { document.getElementById("progress-text").textContent = ""; });
  await page.click("#check");
  await page.waitForFunction(() => document.getElementById("progress-text").textContent
                                      .startsWith("Checked in"), { timeout: 60000 });
  const shown = await page.evaluate(() => ({
    verdict: document.getElementById("verdict").textContent,
    unreadable: document.getElementById("unreadable").textContent,
  }));
  expect("a changed file's line", shown.verdict.split("\n").slice(-2).join("\n"),
         "Error: Cannot read the input file (Input/output error).\n");
  expect("a changed file's note", shown.unreadable,
         "Your browser could not read the input file: it may have changed since you chose it. " +
         "Choose it again, then check.");
  await page.close();
}

await browser.close();
if (failures.length > 0) {
  console.log(`${failures.length} failed:\n${failures.join("\n")}`);
  process.exit(1);
}
console.log("the page shows what the checker prints");
