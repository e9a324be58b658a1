// The page: two files chosen or dropped, handed to the worker that runs the checker's own units,
// and what it finds shown as text, as the checker prints it, and as a picture.
"use strict";

const $ = (id) => document.getElementById(id);
const files = { input: null, output: null };
// The worker, made from the source this page carries, so the page works opened from disk too.
const worker = new Worker(URL.createObjectURL(new Blob([atob($("worker-source").textContent.trim())],
                                                       { type: "text/javascript" })));
let judged = null;
let started = 0;
// Each check is numbered; a result for a pair since replaced is not shown.
let latest = 0;

function choose(which, file) {
  files[which] = file;
  $(which + "-name").textContent = file ? file.name + " (" + size(file.size) + ")" : "or drop it here";
  $("check").disabled = !(files.input && files.output);
  if (files.input && files.output) check();
}

function size(bytes) {
  if (bytes < 1024) return bytes + " bytes";
  if (bytes < 1 << 20) return (bytes / 1024).toFixed(1) + " KB";
  return (bytes / (1 << 20)).toFixed(1) + " MB";
}

for (const which of ["input", "output"]) {
  const input = $(which + "-file");
  const drop = $(which + "-drop");
  input.addEventListener("change", () => choose(which, input.files[0] || null));
  drop.addEventListener("dragover", (event) => {
    event.preventDefault();
    drop.classList.add("over");
  });
  drop.addEventListener("dragleave", () => drop.classList.remove("over"));
  drop.addEventListener("drop", (event) => {
    event.preventDefault();
    drop.classList.remove("over");
    if (event.dataTransfer.files.length > 0) choose(which, event.dataTransfer.files[0]);
  });
}

function check() {
  started = performance.now();
  $("check").disabled = true;
  $("progress").hidden = false;
  $("progress").value = 0;
  $("progress-text").textContent = "Reading the files…";
  // As many columns as the picture has pixels across: the page's width, less the picture's margin
  // for its labels.
  const columns = Math.max(1, Math.round(($("main").clientWidth - 80) * (devicePixelRatio || 1)));
  worker.postMessage({ kind: "judge", id: ++latest, input: files.input, output: files.output, columns });
}

$("check").addEventListener("click", check);

// The whole output: the text shown when it is all there, else the checker run again for it.
$("download").addEventListener("click", () => {
  if (judged.kind !== "judged" || judged.shownLines >= judged.verdictLines) {
    save([judged.text]);
    return;
  }
  $("download").disabled = true;
  $("progress-text").textContent = "Writing the whole output…";
  worker.postMessage({ kind: "whole", input: files.input, output: files.output });
});

function save(pieces) {
  const link = document.createElement("a");
  link.href = URL.createObjectURL(new Blob(pieces, { type: "text/plain" }));
  link.download = "checker-output.txt";
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), 60000);
}

worker.onmessage = (event) => {
  const message = event.data;
  if (message.kind === "progress") {
    const read = Math.min(message.read, message.total);
    $("progress").value = read / Math.max(1, message.total);
    $("progress-text").textContent = read < message.total
        ? "Read " + size(read) + " of " + size(message.total) : "Comparing…";
  } else if (message.kind === "whole") {
    save(message.pieces);
    $("download").disabled = false;
    $("progress-text").textContent = "";
  } else if (message.during === "whole") {
    $("download").disabled = false;
    $("progress-text").textContent = "The whole output could not be written: the page ran out of memory.";
  } else if (message.id === latest) {
    show(message);
  }
};

const headings = ["Your output is right.", "Your output is not right.",
                  "Nothing was checked: the input file could not be used."];

function show(message) {
  judged = message;
  const seconds = ((performance.now() - started) / 1000).toFixed(2);
  $("check").disabled = false;
  $("progress").hidden = true;
  $("progress-text").textContent = "Checked in " + seconds + " s.";
  $("result").hidden = false;
  const outcome = message.outcome;
  const heading = $("result-heading");
  heading.textContent = headings[outcome];
  heading.className = "status " + (outcome === 0 ? "pass" : "fail");
  $("verdict").textContent = new TextDecoder().decode(message.text);
  const more = message.kind === "judged" ? message.verdictLines - message.shownLines : 0;
  $("capped").hidden = !(more > 0);
  $("capped").textContent = more > 0 ? "The first " + message.shownLines.toLocaleString("en") +
      " of " + message.verdictLines.toLocaleString("en") + " error lines; " +
      more.toLocaleString("en") + " more are in the whole output." : "";
  $("unreadable").hidden = !message.unreadable;
  $("unreadable").textContent = message.unreadable
      ? "Your browser could not read " + (message.unreadable === "input" ? "the input file" : "your output file") +
        ": it may have changed since you chose it. Choose it again, then check." : "";
  $("download").textContent = more > 0 ? "Download the whole output" : "Download this output";
  const diagnosis = message.kind === "judged" ? new TextDecoder().decode(message.diagnosis) : "";
  $("diagnosis-section").hidden = diagnosis === "";
  $("diagnosis").textContent = diagnosis;
  $("picture-section").hidden = outcome !== 1 || message.kind !== "judged" || message.columns.length === 0;
  if (!$("picture-section").hidden) draw(message);
  heading.focus();
}

// The picture: for each column of positions, the range of the sorted input's values and of the
// output's, and below them how many of its positions differ. Columns fall on whole pixels, so
// that neighbours meet without seams; wide columns (few values) draw the output narrower, so the
// input's value shows beside it where the two agree.
function draw(message) {
  const canvas = $("picture");
  const ratio = devicePixelRatio || 1;
  canvas.width = Math.round(canvas.clientWidth * ratio);
  canvas.height = Math.round(canvas.clientHeight * ratio);
  const context = canvas.getContext("2d");
  const columns = message.columns;
  const count = columns.length / 5;
  let least = Infinity, greatest = -Infinity;
  for (let i = 0; i < count; ++i) {
    for (const [low, high] of [[columns[5 * i], columns[5 * i + 1]], [columns[5 * i + 2], columns[5 * i + 3]]]) {
      if (low <= high) {
        least = Math.min(least, low);
        greatest = Math.max(greatest, high);
      }
    }
  }
  if (least > greatest) least = greatest = 0;
  const marks = Math.round(24 * ratio);  // the strip of differing positions
  const top = Math.round(10 * ratio), plot = canvas.height - marks - top - Math.round(10 * ratio);
  const y = (value) => top + plot - (value - least) / Math.max(1, greatest - least) * plot;
  const thick = Math.round(2 * ratio);
  context.clearRect(0, 0, canvas.width, canvas.height);
  // The greatest value and the least, in a margin at the left.
  context.fillStyle = "#57606a";
  context.font = Math.round(11 * ratio) + "px system-ui, sans-serif";
  context.textAlign = "right";
  context.textBaseline = "middle";
  const labels = [greatest, least].map((value) => value.toLocaleString("en"));
  const gutter = Math.ceil(Math.max(...labels.map((label) => context.measureText(label).width)) + 10 * ratio);
  context.fillText(labels[0], gutter - 5 * ratio, y(greatest));
  if (least !== greatest) context.fillText(labels[1], gutter - 5 * ratio, y(least));
  const across = canvas.width - gutter;
  const positions = Math.max(message.referenceSize, message.outputSize);
  const perColumn = positions / count;
  for (let i = 0; i < count; ++i) {
    const left = gutter + Math.floor(i * across / count);
    const width = Math.max(1, gutter + Math.floor((i + 1) * across / count) - left);
    const inset = width >= 8 * ratio ? Math.floor(width / 4) : 0;
    const bar = (low, high, color, from, across) => {
      if (low > high) return;
      context.fillStyle = color;
      context.fillRect(from, y(high) - thick, across, y(low) - y(high) + 2 * thick);
    };
    bar(columns[5 * i], columns[5 * i + 1], "#9aa7b8", left, width);
    context.globalAlpha = 0.85;
    bar(columns[5 * i + 2], columns[5 * i + 3], "#e8710a", left + inset, width - 2 * inset);
    context.globalAlpha = 1;
    const differing = columns[5 * i + 4];
    if (differing > 0) {
      context.fillStyle = "#c62828";
      const share = Math.max(0.15, Math.min(1, differing / perColumn));
      context.fillRect(left, canvas.height - marks * share, width, marks * share);
    }
  }
  let differing = 0;
  for (let i = 0; i < count; ++i) differing += columns[5 * i + 4];
  $("picture-caption").textContent = "Picture of " + positions.toLocaleString("en") +
      " positions, from index 0 at the left, values from " + least.toLocaleString("en") +
      " at the bottom to " + greatest.toLocaleString("en") + " at the top: the sorted input in grey, " +
      (message.outputKnown ? "your output in orange, " : "your output not drawn (the page's memory ran short), ") +
      differing.toLocaleString("en") + " positions that differ marked in red below" +
      (message.firstDiffering >= 0 ? ", the first at index " + message.firstDiffering.toLocaleString("en") : "") + ".";
  $("picture").setAttribute("aria-label", $("picture-caption").textContent);
}
