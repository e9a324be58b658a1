// The page's worker: the checker's own units, built to WebAssembly (`createChecker`, defined
// just before this), run on the files the page hands over. The files are read where they lie,
// a block at a time, never copied whole; the page hears how far reading has come.
"use strict";

let checker = null;
let pieces = [];
// The checker's lines for a run the module itself could not finish, read from it beforehand.
let lastWords = { banner: "", input: "", output: "" };
const progress = { read: 0, told: 0, total: 0, file: "input" };

function text(at, size) {
  return checker.HEAPU8.slice(at, at + size);
}

function call(name) {
  return checker.ccall(name, "number", [], []);
}

// A fresh module, as one that failed part way cannot be trusted again.
async function freshChecker() {
  checker = await createChecker({
    onOutputPiece: (bytes) => pieces.push(bytes.slice()),
    print: () => {},
    printErr: () => {},
  });
  const line = (output) =>
    checker.UTF8ToString(checker.ccall("web_out_of_memory_line", "number", ["number"], [output]));
  lastWords = { banner: checker.UTF8ToString(call("web_banner")), input: line(0), output: line(1) };
  // Reads a file a window of 16 MiB at a time, each window one call into the browser, and counts
  // the bytes read to tell the page now and then. A call into the browser costs about a
  // millisecond whatever its size, so reading the checker's blocks of 64 KiB one call each took
  // most of the time of a large pair.
  const workerfs = checker.FS.filesystems.WORKERFS;
  const reader = new FileReaderSync();
  workerfs.stream_ops.read = function (stream, buffer, offset, length, position) {
    const blob = stream.node.contents;
    if (position >= blob.size) return 0;
    let window = windows.get(stream.node);
    if (!window || position < window.from || position >= window.from + window.bytes.length) {
      const to = Math.min(blob.size, position + kWindowBytes);
      try {
        window = { from: position, bytes: new Uint8Array(reader.readAsArrayBuffer(blob.slice(position, to))) };
      } catch (error) {
        // The browser no longer reads a file that changed after it was chosen: to the checker,
        // a read that failed (EIO), as it would be on any system.
        unreadable = stream.node.name;
        throw new checker.FS.ErrnoError(29);
      }
      windows.set(stream.node, window);
    }
    const at = position - window.from;
    const got = Math.min(length, window.bytes.length - at);
    buffer.set(window.bytes.subarray(at, at + got), offset);
    progress.file = stream.node.name;
    progress.read += got;
    if (progress.read - progress.told >= (8 << 20)) {
      progress.told = progress.read;
      postMessage({ kind: "progress", read: progress.read, total: progress.total });
    }
    return got;
  };
}

const kWindowBytes = 16 << 20;
// The file the browser refused to read, if any.
let unreadable = null;
// Each file's window, until the files are mounted again.
let windows = new Map();

// The two files at /pair/input and /pair/output, whatever their own names.
function mount(input, output) {
  const fs = checker.FS;
  windows = new Map();
  unreadable = null;
  try {
    fs.unmount("/pair");
  } catch (error) {
    fs.mkdir("/pair");
  }
  fs.mount(fs.filesystems.WORKERFS, {
    blobs: [
      { name: "input", data: input },
      { name: "output", data: output },
    ],
  }, "/pair");
}

function judge(columns) {
  checker.ccall("web_judge", null, ["string", "string", "number"],
                ["/pair/input", "/pair/output", columns]);
  const at = call("web_columns") >> 2;
  return {
    kind: "judged",
    text: text(call("web_shown_text"), call("web_shown_text_size")),
    diagnosis: text(call("web_diagnosis"), call("web_diagnosis_size")),
    outcome: call("web_outcome"),
    shownLines: call("web_shown_lines"),
    verdictLines: call("web_verdict_lines"),
    referenceSize: call("web_reference_size"),
    outputSize: call("web_output_size"),
    outputKnown: call("web_output_known") !== 0,
    firstDiffering: call("web_first_differing"),
    unreadable,
    columns: checker.HEAP32.slice(at, at + 5 * call("web_column_count")),
  };
}

function wholeOutput() {
  pieces = [];
  checker.ccall("web_full_output", null, ["string", "string"], ["/pair/input", "/pair/output"]);
  const whole = pieces;
  pieces = [];
  return { kind: "whole", pieces: whole };
}

self.onmessage = async (event) => {
  const { kind, id, input, output, columns } = event.data;
  try {
    if (checker === null) await freshChecker();
    progress.read = progress.told = 0;
    progress.total = input.size + output.size;
    progress.file = "input";
    mount(input, output);
    const result = kind === "judge" ? { id, ...judge(columns) } : wholeOutput();
    const moved = result.kind === "whole" ? result.pieces.map((piece) => piece.buffer)
                                          : [result.text.buffer, result.diagnosis.buffer,
                                             result.columns.buffer];
    postMessage(result, moved);
  } catch (error) {
    // The checker ends its own runs, out of memory too; what reaches here is the module failing
    // (the browser refusing it memory on the way), shown as the checker's line for the file it
    // was reading rather than as a blank page.
    checker = null;
    const encoded = new TextEncoder().encode(lastWords.banner + lastWords[progress.file]);
    postMessage({ kind: "failed", id, during: kind, outcome: progress.file === "input" ? 2 : 1,
                  text: encoded, detail: String(error) },
                [encoded.buffer]);
  }
};
