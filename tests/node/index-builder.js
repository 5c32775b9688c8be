// Builds database.js the way a user does: runs the built program, with the
// repository's template beside it, in a folder of pages, and loads the
// result as a browser would (one global scope) or through require().
"use strict";

const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");
const vm = require("node:vm");
const { execFileSync } = require("node:child_process");

const repoRoot = path.resolve(__dirname, "..", "..");
const templatePath = path.join(repoRoot, "template", "_database.js");
const exampleSite = path.join(repoRoot, "examples", "site");

// The program under test: $ZANTHOR_PROGRAM, or the dev build.
function programPath() {
  const program = path.resolve(repoRoot, process.env.ZANTHOR_PROGRAM || "build/dev/zanthor");
  if (!fs.existsSync(program)) {
    throw new Error(`no program at ${program}: build it, or set ZANTHOR_PROGRAM`);
  }
  return program;
}

// A fresh folder with the program and the template in bin/ and the run's
// current directory in work/.
function makeSandbox() {
  const root = fs.mkdtempSync(path.join(os.tmpdir(), "zanthor-node-"));
  const bin = path.join(root, "bin");
  const work = path.join(root, "work");
  fs.mkdirSync(bin);
  fs.mkdirSync(work);
  fs.copyFileSync(programPath(), path.join(bin, "zanthor"));
  fs.chmodSync(path.join(bin, "zanthor"), 0o755);
  fs.copyFileSync(templatePath, path.join(bin, "_database.js"));
  return { root, bin, work, remove: () => fs.rmSync(root, { recursive: true, force: true }) };
}

// Runs the program with `args` in `work` and gives database.js as bytes.
function runProgram(sandbox, args) {
  execFileSync(path.join(sandbox.bin, "zanthor"), args, { cwd: sandbox.work, stdio: "pipe" });
  return fs.readFileSync(path.join(sandbox.work, "database.js"));
}

// Evaluates database.js in a context of its own, as a script of a page.
function loadInContext(bytes, encoding = "utf8") {
  const context = vm.createContext({});
  vm.runInContext(bytes.toString(encoding), context, { filename: "database.js" });
  return context;
}

// database.js of the example site, indexed as `site` from the folder above
// it (so links read site/...).
function buildExampleIndex() {
  const sandbox = makeSandbox();
  try {
    fs.cpSync(exampleSite, path.join(sandbox.work, "site"), { recursive: true });
    return runProgram(sandbox, ["site"]);
  } finally {
    sandbox.remove();
  }
}

// database.js of the pages in `files` (relative name to content), indexed
// with `args`.
function buildIndexOf(files, args) {
  const sandbox = makeSandbox();
  try {
    for (const [name, content] of Object.entries(files)) {
      const file = path.join(sandbox.work, name);
      fs.mkdirSync(path.dirname(file), { recursive: true });
      fs.writeFileSync(file, content);
    }
    return runProgram(sandbox, args);
  } finally {
    sandbox.remove();
  }
}

module.exports = { buildExampleIndex, buildIndexOf, loadInContext, makeSandbox, runProgram, repoRoot };
