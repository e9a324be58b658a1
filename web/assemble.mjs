// Lays out the page: the template with its script and, as base64 that the page turns into a
// worker, the checker's units built to WebAssembly and the worker's own script. One file, which
// works opened from disk as from any static host.
//   node assemble.mjs TEMPLATE PAGE_SCRIPT MODULE WORKER_SCRIPT VERSION OUT
import { readFileSync, writeFileSync } from "node:fs";

const [template, pageScript, module, workerScript, version, out] = process.argv.slice(2);
const worker = readFileSync(module, "utf8") + "\n" + readFileSync(workerScript, "utf8");
const page = readFileSync(template, "utf8")
  .replace("@VERSION@", version)
  .replace("@WORKER_SOURCE@", Buffer.from(worker, "utf8").toString("base64"))
  .replace("@PAGE_SCRIPT@", () => readFileSync(pageScript, "utf8"));
if (/<\/script/i.test(readFileSync(pageScript, "utf8"))) {
  throw new Error("the page's script may not hold </script");
}
writeFileSync(out, page);
